#!/usr/bin/env python3
"""The web port under load: the headless program takes a telnet feed (FEED,
"Cluster User") and routes it to a telnet server port (NODE, "Cluster User",
one caller here, which gets each spot as a "DX" command line) and to a web port (WEB, "JSON Spots"), whose filter passes
only the feed's W calls. The feed sends its K calls flat out and, between
them, W calls at a steady 1,000 a second, so the web port gets 1,000 spots
a second whatever the node output's pace.

Three runs, each with a fresh program:
  1. throughput, no WebSocket client: lines/s that reach the NODE caller;
  2. the same with 200 WebSocket clients on /ws;
  3. latency: only the W calls, 1,000 a second, with the 200 clients; the
     push latency from the feed's send to a client's receipt (measured on a
     few of them, the others only drain), for --seconds alone and for
     --seconds while another process asks GET /spots 1,000 times a second
     over keep-alive connections;
  4. the /spots load again, with no WebSocket client.
The WebSocket clients (sw_bench_ws, all streams in one process reading them
through one epoll set) and the /spots client run in their own processes, on
the same cores as the program, so their work is in the figures. Nothing is
asserted: the goals are reported as met or missed.
"""

import argparse
import multiprocessing
import os
import signal
import socket
import subprocess
import sys
import tempfile
import threading
import time

FEED_PORT, NODE_PORT, WEB_PORT = 17500, 17501, 17502
TIMED_CLIENTS = 4

PORT_COMMON = """BufferSize=32000
KeepAlive=0
ScriptSteps=0
AutoReConnect=0
AutoTime=60
PortName={name}
IsTNCPort=0
StreamSW=|
PortStreamID=A
"""
ROUTER = """DupeLength=1000
CRLFOption={crlf}
BlockDashAtOption=0
StripAtPoundOption=0
OnlyPassSkimmerCQOption=0
"""


def setup_text():
    s = "NumberOfPorts=3\nFontSize=20\nFontWeight=400\nFontFace=Courier New\n"
    s += "PortType=TEL\n" + PORT_COMMON.format(name="FEED")
    s += f"HostName=127.0.0.1\nPortNumber={FEED_PORT}\nInputType=1\nMyCall=INET\n"
    s += "AntiLoopPrefix= <\n" + ROUTER.format(crlf=3)
    s += "PortType=RXTEL\n" + PORT_COMMON.format(name="NODE")
    s += f"HostName=127.0.0.1\nPortNumber={NODE_PORT}\nInputType=1\nMyCall=INET\n"
    s += "AntiLoopPrefix= <\n" + ROUTER.format(crlf=3)
    s += "PortType=WEB\n" + PORT_COMMON.format(name="WEB")
    s += f"HostName=127.0.0.1\nPortNumber={WEB_PORT}\nInputType=10\n" + ROUTER.format(crlf=2)
    s += "Filter=accept dx=W*\n"
    s += "Trace=0\nPort=2\nPort=3\nPort=0\n"
    s += "Trace=0\nPort=0\nPort=0\nPort=0\n" * 2
    return s


def letters(n, count):
    return "".join(chr(65 + (n // 26 ** i) % 26) for i in range(count))


def spot_line(call, freq, n):
    line = "DX de DL1ABC:"
    line += " " * (24 - len(freq) - len(line)) + freq + "  " + call
    line += " " * (39 - len(line)) + f"CQ #{n}"
    line += " " * (70 - len(line)) + "1200Z"
    return (line + "\r\n").encode()


def bulk_line(n):
    """A unique K call over the HF bands."""
    band = [1830, 3530, 7030, 10120, 14030, 18080, 21030, 24900, 28030][n % 9]
    return spot_line(f"K{n % 10}{letters(n // 10, 4)}", f"{band + (n // 9) % 40 / 10:.1f}", n)


def bulk_chunks(lines):
    """The K calls of a throughput run, 200 lines a chunk."""
    bulk, chunk = [], []
    for n in range(lines):
        chunk.append(bulk_line(n))
        if len(chunk) == 200:
            bulk.append(b"".join(chunk))
            chunk = []
    if chunk:
        bulk.append(b"".join(chunk))
    return bulk


def web_call(m):
    return f"W{m % 10}{letters(m // 10, 4)}"


def web_line(m):
    return spot_line(web_call(m), f"{14000 + m % 300 / 10:.1f}", m)


def pct(values, p):
    if not values:
        return float("nan")
    values = sorted(values)
    return values[min(len(values) - 1, int(p / 100.0 * len(values)))]


# ------------------------------------------------------------- /spots side

def http_get(s, path, buf):
    """One keep-alive GET; returns the status code."""
    s.sendall(f"GET {path} HTTP/1.1\r\nHost: x\r\n\r\n".encode())
    while b"\r\n\r\n" not in buf:
        chunk = s.recv(262144)
        if not chunk:
            raise RuntimeError("closed")
        buf += chunk
    head, _, _ = bytes(buf).partition(b"\r\n\r\n")
    length = 0
    for line in head.split(b"\r\n")[1:]:
        k, _, v = line.partition(b":")
        if k.strip().lower() == b"content-length":
            length = int(v)
    need = len(head) + 4 + length
    while len(buf) < need:
        chunk = s.recv(262144)
        if not chunk:
            raise RuntimeError("closed")
        buf += chunk
    del buf[:need]
    return int(head.split(b" ")[1]), length


def spots_load(port, rate, seconds, connections, conn):
    """A child process: GET /spots at rate a second, spread over keep-alive
    connections, each request at its time or at once when late; sends back
    the answer times (from the scheduled start) and the failures."""
    results = []
    lock = threading.Lock()
    start = time.monotonic() + 0.2
    per = rate / connections

    def run(k):
        s = socket.create_connection(("127.0.0.1", port), timeout=10)
        s.setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)
        buf = bytearray()
        mine, bad, size = [], 0, 0
        i = 0
        while True:
            due = start + (i + k / connections) / per
            if due > start + seconds:
                break
            wait = due - time.monotonic()
            if wait > 0:
                time.sleep(wait)
            t0 = time.monotonic()
            try:
                status, size = http_get(s, "/spots", buf)
            except (OSError, RuntimeError):
                bad += 1
                s = socket.create_connection(("127.0.0.1", port), timeout=10)
                buf = bytearray()
                i += 1
                continue
            t1 = time.monotonic()
            if status != 200:
                bad += 1
            mine.append(t1 - due)
            i += 1
        nonlocal_last[k] = time.monotonic()
        with lock:
            results.append((mine, bad, size))

    nonlocal_last = [start] * connections
    threads = [threading.Thread(target=run, args=(k,)) for k in range(connections)]
    for t in threads:
        t.start()
    for t in threads:
        t.join()
    lat = [x for mine, _, _ in results for x in mine]
    bad = sum(b for _, b, _ in results)
    # The rate over the time until the last answer came, not the time
    # the requests were due in.
    conn.send((lat, bad, max(nonlocal_last) - start, max(size for _, _, size in results)))


# ---------------------------------------------------------------- one run

class Run:
    """A fresh program with FEED routed to NODE; setup names its ports (the
    web bench's by default) and ready_port one more to wait for."""

    def __init__(self, a, work, name, setup_of=setup_text, ready_port=WEB_PORT):
        self.a = a
        self.dir = tempfile.mkdtemp(prefix=name + "-", dir=work)
        setup = os.path.join(self.dir, "web-bench.ini")
        with open(setup, "w") as f:
            f.write(setup_of())
        self.feed_listener = socket.socket()
        self.feed_listener.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
        self.feed_listener.bind(("127.0.0.1", FEED_PORT))
        self.feed_listener.listen(1)
        self.log = open(os.path.join(self.dir, "spotweaver.log"), "wb")
        self.proc = subprocess.Popen([a.spotweaver, "--headless", setup, "/START"],
                                     cwd=self.dir, stdin=subprocess.DEVNULL,
                                     stdout=self.log, stderr=subprocess.STDOUT)
        self.feed_listener.settimeout(20)
        self.feed, _ = self.feed_listener.accept()
        self.feed.setsockopt(socket.SOL_SOCKET, socket.SO_SNDBUF, 1 << 20)
        self.node = self.connect(NODE_PORT)
        if ready_port:
            self.wait_port(ready_port)
        self.node_lines = 0
        self.node_last = 0
        self.node_done = threading.Event()
        self.node_want = None
        self.web_next = 0

    @staticmethod
    def connect(port):
        deadline = time.monotonic() + 20
        while True:
            try:
                return socket.create_connection(("127.0.0.1", port), timeout=10)
            except OSError:
                if time.monotonic() > deadline:
                    raise
                time.sleep(0.05)

    def wait_port(self, port):
        self.connect(port).close()

    def drain_node(self):
        """Counts the lines the node caller gets (a "Cluster User" side
        writes each spot as a "DX" command line)."""
        self.node.settimeout(self.a.idle)
        while True:
            try:
                chunk = self.node.recv(262144)
            except socket.timeout:
                break
            if not chunk:
                break
            self.node_lines += chunk.count(b"\n")
            self.node_last = time.monotonic()
            if self.node_want is not None and self.node_lines >= self.node_want:
                break
        self.node_done.set()

    def feed_mixed(self, bulk, web_rate, web_only_seconds=0.0):
        """Sends the bulk chunks flat out (none for web_only_seconds) with W
        calls at web_rate between them; returns (first send, W send times)."""
        sent = {}
        m = first = self.web_next
        start = time.monotonic()
        step = 1.0 / web_rate
        chunks = iter(bulk)
        end = start + web_only_seconds
        while True:
            now = time.monotonic()
            due = first + int((now - start) / step) + 1
            if due > m:
                lines = b"".join(web_line(k) for k in range(m, due))
                t = time.monotonic_ns()
                for k in range(m, due):
                    sent[web_call(k)] = t
                self.feed.sendall(lines)
                m = due
            if web_only_seconds:
                if now >= end:
                    break
                time.sleep(min(step, max(0.0, start + (m - first) * step - time.monotonic())))
                continue
            chunk = next(chunks, None)
            if chunk is None:
                break
            self.feed.sendall(chunk)
        self.web_next = m
        return start, sent, m - first

    def cpu(self):
        """User and system seconds the program has used so far."""
        with open(f"/proc/{self.proc.pid}/stat") as f:
            fields = f.read().rsplit(")", 1)[1].split()
        return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")

    def close(self):
        self.proc.send_signal(signal.SIGTERM)
        try:
            self.proc.wait(15)
        except subprocess.TimeoutExpired:
            self.proc.kill()
            self.proc.wait()
        for s in (self.feed, self.node, self.feed_listener):
            s.close()
        self.log.close()


class WsClients:
    """The streams, timed and drained, in one sw_bench_ws process that reads
    them all through one epoll set."""

    def __init__(self, tool, count):
        self.proc = subprocess.Popen([tool, str(WEB_PORT), str(count), str(TIMED_CLIENTS)],
                                     stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True)
        if self.proc.stdout.readline().strip() != "ready":
            raise RuntimeError("the WebSocket clients did not start")

    def stop(self):
        """(receipt times per timed stream, streams closed, CPU seconds)"""
        out, _ = self.proc.communicate("stop\n", timeout=30)
        per_client = [dict() for _ in range(TIMED_CLIENTS)]
        closed, cpu = 0, 0.0
        for line in out.splitlines():
            f = line.split()
            if f[0] == "T":
                per_client[int(f[1])][f[2]] = int(f[3])
            elif f[0] == "closed":
                closed = int(f[1])
            elif f[0] == "cpu":
                cpu = float(f[1])
        return per_client, closed, cpu


def start_child(target, *args):
    parent, child = multiprocessing.Pipe()
    p = multiprocessing.Process(target=target, args=args + (child,), daemon=True)
    p.start()
    return p, parent


def throughput(a, work, bulk, clients, side=None, **run_args):
    """NODE's lines/s for the bulk stream; side, when given, is another load
    of the same program: side.start(run) before the stream, and the dict of
    side.stop() joins the result."""
    r = Run(a, work, f"throughput-{clients}", **run_args)
    try:
        ws = WsClients(a.ws_tool, clients) if clients else None
        if side:
            side.start(r)
        drain = threading.Thread(target=r.drain_node, daemon=True)
        drain.start()
        cpu0 = r.cpu()
        start, sent, web = r.feed_mixed(bulk, a.web_rate)
        r.node_want = a.lines + web
        r.node_done.wait(120)
        cpu = r.cpu() - cpu0
        got = r.node_lines
        rate = got / (r.node_last - start) if r.node_last > start else 0.0
        closed = 0
        if ws:
            _, closed, _ = ws.stop()
        result = {"rate": rate, "lost": a.lines + web - got, "web": web, "closed": closed,
                  "cpu_m": cpu / got * 1e6 if got else float("nan")}
        if side:
            result.update(side.stop())
        return result
    finally:
        r.close()


def latency(a, work, clients):
    r = Run(a, work, f"latency-{clients}")
    try:
        ws = WsClients(a.ws_tool, clients) if clients else None
        drain = threading.Thread(target=r.drain_node, daemon=True)
        drain.start()
        # The store fills to its 1,000 spots first. Then pushes alone, then
        # pushes while /spots is asked.
        r.feed_mixed([], a.web_rate, web_only_seconds=1.0)
        cpu0 = r.cpu()
        _, sent_alone, _ = r.feed_mixed([], a.web_rate, web_only_seconds=a.seconds)
        cpu1 = r.cpu()
        http, http_pipe = start_child(spots_load, WEB_PORT, a.spots_rate, a.seconds,
                                      a.spots_connections)
        _, sent_both, _ = r.feed_mixed([], a.web_rate, web_only_seconds=a.seconds)
        cpu2 = r.cpu()
        spot_lat, bad, seconds, body = http_pipe.recv()
        http.join(10)
        per_client, closed, ws_cpu = [], 0, 0.0
        if ws:
            time.sleep(1.0)
            per_client, closed, ws_cpu = ws.stop()

        def push_latency(sent):
            lat, missing = [], 0
            for got in per_client:
                for call, t in sent.items():
                    if call in got:
                        lat.append((got[call] - t) / 1e6)
                    else:
                        missing += 1
            return lat, missing

        alone, missing_alone = push_latency(sent_alone)
        both, missing_both = push_latency(sent_both)
        return {"push": alone, "push_both": both, "missing": missing_alone + missing_both,
                "closed": closed, "pushed": len(sent_alone) + len(sent_both),
                "spots": [x * 1000 for x in spot_lat], "spots_bad": bad,
                "spots_rate": len(spot_lat) / seconds, "body": body,
                "busy_push": (cpu1 - cpu0) / a.seconds, "busy": (cpu2 - cpu1) / a.seconds,
                "ws_cpu": ws_cpu}
    finally:
        r.close()


def main():
    ap = argparse.ArgumentParser(description=__doc__,
                                 formatter_class=argparse.RawDescriptionHelpFormatter)
    ap.add_argument("--spotweaver", required=True)
    ap.add_argument("--ws-tool", help="the WebSocket clients (default: sw_bench_ws beside "
                    "the program)")
    ap.add_argument("--lines", type=int, default=1000000, help="K calls in a throughput run")
    ap.add_argument("--repeat", type=int, default=3, help="throughput runs of each kind")
    ap.add_argument("--clients", type=int, default=200)
    ap.add_argument("--web-rate", type=float, default=1000.0)
    ap.add_argument("--seconds", type=float, default=10.0, help="length of the latency run")
    ap.add_argument("--spots-rate", type=float, default=1000.0)
    ap.add_argument("--spots-connections", type=int, default=4)
    ap.add_argument("--idle", type=float, default=5.0)
    a = ap.parse_args()
    a.spotweaver = os.path.abspath(a.spotweaver)
    a.ws_tool = os.path.abspath(a.ws_tool or os.path.join(os.path.dirname(a.spotweaver),
                                                          "sw_bench_ws"))
    work = tempfile.mkdtemp(prefix="sw-web-bench-")
    load = " ".join(open("/proc/loadavg").read().split()[:3])

    sys.stderr.write("preparing the stream ...\n")
    bulk = bulk_chunks(a.lines)

    # Alternating, so that a neighbour's load on the machine falls on both
    # kinds alike; the median of each kind is reported.
    runs0, runs1 = [], []
    for _ in range(a.repeat):
        sys.stderr.write("throughput without WebSocket clients ...\n")
        runs0.append(throughput(a, work, bulk, 0))
        sys.stderr.write(f"throughput with {a.clients} WebSocket clients ...\n")
        runs1.append(throughput(a, work, bulk, a.clients))
    t0 = sorted(runs0, key=lambda r: r["rate"])[len(runs0) // 2]
    t1 = sorted(runs1, key=lambda r: r["rate"])[len(runs1) // 2]
    sys.stderr.write("push latency and /spots ...\n")
    lt = latency(a, work, a.clients)
    sys.stderr.write("/spots without WebSocket clients ...\n")
    l0 = latency(a, work, 0)

    fall = 1 - t1["rate"] / t0["rate"] if t0["rate"] else float("nan")
    p = print
    p(f"Web port bench, {os.cpu_count()} cores, load average before: {load}")
    p(f"route: telnet feed -> NODE (telnet server, one caller) + WEB (W calls only, "
      f"{a.web_rate:,.0f}/s)")
    p("")
    def rates(runs):
        return " ".join(f"{r['rate']:,.0f}" for r in runs)

    p(f"NODE lines/s, {a.lines:,} K calls flat out (median of {a.repeat}; all runs: "
      f"{rates(runs0)} / {rates(runs1)}):")
    p(f"  no WebSocket client       {t0['rate']:>10,.0f}   program CPU s/M lines "
      f"{t0['cpu_m']:.2f}   lost {t0['lost']}")
    p(f"  {a.clients} WebSocket clients     {t1['rate']:>10,.0f}   program CPU s/M lines "
      f"{t1['cpu_m']:.2f}   lost {t1['lost']}   streams closed by the server {t1['closed']}")
    p("")
    p(f"push latency, feed send -> WebSocket receipt, {a.web_rate:,.0f} spots/s, "
      f"{a.clients} clients ({TIMED_CLIENTS} timed, the others drained), {a.seconds:.0f} s each:")
    for name, push in (("pushes alone", lt["push"]), ("while /spots is asked", lt["push_both"])):
        p(f"  {name:<22}p50 {pct(push, 50):.2f} ms   p99 {pct(push, 99):.2f} ms   max "
          f"{max(push) if push else float('nan'):.2f} ms")
    p(f"  not received {lt['missing']}   streams closed by the server {lt['closed']}   "
      f"program busy, pushes alone: {lt['busy_push'] * 100:.0f} % of a core")
    p(f"  the clients' own processes used {lt['ws_cpu']:.1f} CPU s, on the same cores")
    sp = lt["spots"]
    p(f"GET /spots ({lt['body']:,} bytes, 1,000 kept spots), offered {a.spots_rate:,.0f}/s "
      f"over {a.spots_connections} keep-alive connections, from the scheduled time:")
    for name, r in ((f"with the {a.clients} clients", lt), ("no WebSocket client", l0)):
        p(f"  {name:<22}answered {r['spots_rate']:,.0f}/s   p50 {pct(r['spots'], 50):.2f} ms   "
          f"p99 {pct(r['spots'], 99):.2f} ms   failed {r['spots_bad']}   program busy "
          f"{r['busy'] * 100:.0f} % of a core")
    p("")
    p("goals (reported, not asserted):")

    def goal(text, ok):
        p(f"  [{'met ' if ok else 'MISS'}] {text}")

    goal(f"NODE lines/s fall by at most 10 % with the clients: {fall * 100:.1f} %", fall <= 0.10)
    cost = t1["cpu_m"] / t0["cpu_m"] - 1
    goal(f"program CPU a NODE line grows by at most 10 % with the clients: {cost * 100:.1f} %",
         cost <= 0.10)
    push = lt["push"] + lt["push_both"]
    goal(f"push latency p99 <= 50 ms: {pct(push, 99):.2f} ms", pct(push, 99) <= 50)
    goal(f"/spots answers 1,000 requests/s: {lt['spots_rate']:,.0f}/s",
         lt["spots_rate"] >= 0.98 * a.spots_rate and not lt["spots_bad"])
    goal(f"/spots p99 <= 20 ms: {pct(sp, 99):.2f} ms", pct(sp, 99) <= 20)


if __name__ == "__main__":
    main()
