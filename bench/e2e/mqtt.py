#!/usr/bin/env python3
"""The MQTT port against a local Mosquitto broker of the run's own.

Rows:
  pskr-in R/s   PSK Reporter reports (JSON, one a message, all distinct)
                published with QoS 1 at R a second to pskr/filter/v2/...;
                an MQTT port of data type "PSK Reporter" subscribed with
                QoS 1 routes them to a log file port. Lost: reports with no
                line in the log.
  json-out R/s  "DX de" lines typed on the console at R a second, routed to
                an MQTT port of data type "JSON Spots" publishing with QoS 1;
                a subscriber of this script counts what the broker delivers.
  flood cost    the web bench's telnet feed -> telnet server (NODE) route in
                a program that also has the pskr-in MQTT port: NODE's lines/s
                without and with 10,000 reports a second into that port,
                alternating runs, the median of each, against the goal that
                the flood costs another port at most 10 % (reported, not
                asserted).

Figures: the program's CPU seconds per million messages (user + system, from
the start of the stream until the last message is in or the wait ends),
its peak resident memory, and the messages lost. The broker is set up with
max_queued_messages as the user guide says for QoS 1. MQTT 3.1.1 is spoken
over a plain socket, so nothing beyond Python's standard library is needed.
"""

import argparse
import os
import pwd
import shutil
import socket
import struct
import subprocess
import sys
import tempfile
import threading
import time

import web_bench

BROKER = "/usr/sbin/mosquitto"
TICK = os.sysconf("SC_CLK_TCK")


# --- MQTT 3.1.1 over a socket --------------------------------------------


def remaining_length(n):
    out = bytearray()
    while True:
        byte = n % 128
        n //= 128
        out.append(byte | (0x80 if n else 0))
        if not n:
            return bytes(out)


def packet(first, body):
    return bytes([first]) + remaining_length(len(body)) + body


def text(s):
    b = s.encode()
    return struct.pack("!H", len(b)) + b


class Mqtt:
    """One client connection: connect, publish and subscribe at QoS 1; a
    reader thread acknowledges what arrives and counts acknowledgements."""

    def __init__(self, port, client_id):
        self.sock = socket.create_connection(("127.0.0.1", port))
        self.sock.setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)
        self.acked = 0
        self.received = 0
        self.subscribed = threading.Event()
        self.connected = threading.Event()
        self.lock = threading.Lock()
        # Clean session, keep-alive 600 s.
        body = text("MQTT") + bytes([4, 0x02]) + struct.pack("!H", 600) + text(client_id)
        self.sock.sendall(packet(0x10, body))
        threading.Thread(target=self._read, daemon=True).start()
        if not self.connected.wait(5):
            raise RuntimeError("no CONNACK from the broker")

    def _read(self):
        buf = bytearray()
        f = self.sock
        while True:
            try:
                chunk = f.recv(1 << 16)
            except OSError:
                return
            if not chunk:
                return
            buf += chunk
            pos = 0
            acks = bytearray()
            while True:
                if len(buf) - pos < 2:
                    break
                mult, length, i = 1, 0, pos + 1
                while i < len(buf):
                    length += (buf[i] & 0x7F) * mult
                    mult *= 128
                    if not buf[i] & 0x80:
                        break
                    i += 1
                if i >= len(buf) or len(buf) - (i + 1) < length:
                    break
                kind = buf[pos] >> 4
                body = bytes(buf[i + 1 : i + 1 + length])
                if kind == 3:  # PUBLISH
                    qos = (buf[pos] >> 1) & 3
                    if qos:
                        tlen = struct.unpack("!H", body[:2])[0]
                        acks += packet(0x40, body[2 + tlen : 4 + tlen])
                    self.received += 1
                elif kind == 4:  # PUBACK
                    self.acked += 1
                elif kind == 2:  # CONNACK
                    self.connected.set()
                elif kind == 9:  # SUBACK
                    self.subscribed.set()
                pos = i + 1 + length
            del buf[:pos]
            if acks:
                with self.lock:
                    self.sock.sendall(acks)

    def subscribe(self, topic_filter):
        self.sock.sendall(packet(0x82, struct.pack("!H", 1) + text(topic_filter) + bytes([1])))
        if not self.subscribed.wait(5):
            raise RuntimeError("no SUBACK from the broker")

    def publish_many(self, messages, first_id):
        out = bytearray()
        for n, (topic, payload) in enumerate(messages):
            pid = (first_id + n) % 65535 + 1
            out += packet(0x32, text(topic) + struct.pack("!H", pid) + payload)
        with self.lock:
            self.sock.sendall(out)

    def close(self):
        try:
            self.sock.sendall(bytes([0xE0, 0]))
            self.sock.close()
        except OSError:
            pass


# --- the broker and the program ------------------------------------------


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def start_broker(work):
    port = free_port()
    conf = os.path.join(work, "mosquitto.conf")
    with open(conf, "w") as f:
        # Started by root, the broker would switch to a user that cannot
        # read the work folder.
        f.write(f"user {pwd.getpwuid(os.geteuid()).pw_name}\n")
        f.write(f"listener {port} 127.0.0.1\nallow_anonymous true\n"
                "persistence false\nlog_dest none\nmax_queued_messages 1000000\n")
    proc = subprocess.Popen([BROKER, "-c", conf], stdout=subprocess.DEVNULL,
                            stderr=subprocess.DEVNULL)
    for _ in range(200):
        try:
            socket.create_connection(("127.0.0.1", port), 0.1).close()
            return proc, port
        except OSError:
            time.sleep(0.02)
    proc.kill()
    raise RuntimeError("the broker did not start")


OPTIONS = "BlockDashAtOption=0\nStripAtPoundOption=0\nOnlyPassSkimmerCQOption=0\n"


def port_section(kind, name, kind_keys, router):
    return (f"PortType={kind}\nBufferSize=32000\nKeepAlive=0\nScriptSteps=0\n"
            f"AutoReConnect=0\nAutoTime=60\nPortName={name}\nIsTNCPort=0\nStreamSW=|\n"
            f"PortStreamID=A\n{kind_keys}{router}")


def psk_ports(broker_port):
    """The MQTT port of data type PSK Reporter and the log file it feeds."""
    text_ = port_section(
        "MQTT", "PSKR",
        f"HostName=127.0.0.1\nPortNumber={broker_port}\nMqttClientId=bench-pskr\n"
        "MqttSubscribe=pskr/filter/v2/#\nMqttQos=1\n",
        "InputType=11\nDupeLength=0\nCRLFOption=2\n" + OPTIONS + "PskRepeat=0\n")
    text_ += port_section("FILE", "LOG", "FileName=pskr.log\n",
                          "InputType=5\nDupeLength=0\nCRLFOption=2\n" + OPTIONS)
    return text_


def routes(table):
    """The route block: per port its trace port and one "Port=" a port."""
    return "".join("Trace=0\n" + "".join(f"Port={p}\n" for p in (list(r) + [0] * len(table))
                                         [:len(table)]) for r in table)


def setup_psk_in(broker_port):
    text_ = "NumberOfPorts=2\nFontSize=20\nFontWeight=400\nFontFace=Courier New\n"
    return text_ + psk_ports(broker_port) + routes([(2,), ()])


def setup_flood(broker_port):
    """FEED -> NODE as the web bench has them, and PSKR -> LOG."""
    text_ = "NumberOfPorts=4\nFontSize=20\nFontWeight=400\nFontFace=Courier New\n"
    for kind, name, number in (("TEL", "FEED", web_bench.FEED_PORT),
                               ("RXTEL", "NODE", web_bench.NODE_PORT)):
        text_ += f"PortType={kind}\n" + web_bench.PORT_COMMON.format(name=name)
        text_ += (f"HostName=127.0.0.1\nPortNumber={number}\nInputType=1\nMyCall=INET\n"
                  "AntiLoopPrefix= <\n" + web_bench.ROUTER.format(crlf=3))
    return text_ + psk_ports(broker_port) + routes([(2,), (), (4,), ()])


def setup_json_out(broker_port):
    text_ = "NumberOfPorts=2\nFontSize=20\nFontWeight=400\nFontFace=Courier New\n"
    text_ += port_section("CON", "CON", "",
                          "InputType=1\nMyCall=G4ABC\nAntiLoopPrefix= <\nDupeLength=0\n"
                          "CRLFOption=3\n" + OPTIONS)
    text_ += port_section(
        "MQTT", "OUT",
        f"HostName=127.0.0.1\nPortNumber={broker_port}\nMqttClientId=bench-out\nMqttQos=1\n",
        "InputType=10\nDupeLength=0\nCRLFOption=2\n" + OPTIONS)
    return text_ + "Trace=0\nPort=2\nPort=0\nTrace=0\nPort=0\nPort=0\n"


def cpu_seconds(pid):
    with open(f"/proc/{pid}/stat") as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / TICK


def peak_rss_mb(pid):
    with open(f"/proc/{pid}/status") as f:
        for line in f:
            if line.startswith("VmHWM:"):
                return int(line.split()[1]) / 1024
    return 0.0


def start_program(spotweaver, work, setup, stdin):
    with open(os.path.join(work, "setup.ini"), "w") as f:
        f.write(setup)
    env = dict(os.environ, XDG_CONFIG_HOME=os.path.join(work, "config"))
    return subprocess.Popen([spotweaver, "--headless", "--follow", "setup.ini", "/START"],
                            cwd=work, env=env, stdin=stdin, stdout=subprocess.DEVNULL,
                            stderr=open(os.path.join(work, "stderr"), "w"))


def wait_for(done, seconds):
    end = time.monotonic() + seconds
    while not done():
        if time.monotonic() > end:
            return False
        time.sleep(0.02)
    return True


def paced(rate, count, send_batch):
    """Calls send_batch(first, n) every 10 ms so that count items go out at
    rate a second."""
    start = time.monotonic()
    sent = 0
    while sent < count:
        due = min(count, int((time.monotonic() - start) * rate) + 1)
        if due > sent:
            send_batch(sent, due - sent)
            sent = due
        time.sleep(0.01)
    return time.monotonic() - start


# --- the rows --------------------------------------------------------------

BANDS = [("160m", 1840000), ("80m", 3573000), ("40m", 7074000), ("30m", 10136000),
         ("20m", 14074000), ("17m", 18100000), ("15m", 21074000), ("10m", 28074000)]


def psk_report(n, now):
    band, base = BANDS[n % len(BANDS)]
    sender = f"K{n % 10}{chr(65 + n // 10 % 26)}{chr(65 + n // 260 % 26)}{chr(65 + n // 6760 % 26)}"
    receiver = f"DL{n % 7}XY"
    payload = (f'{{"sq":{30142870791 + n},"f":{base + n % 3000},"md":"FT8","rp":{-(n % 25)},'
               f'"t":{now},"sc":"{sender}","sl":"FN42","rc":"{receiver}","rl":"JO62",'
               f'"sa":291,"ra":230,"b":"{band}"}}').encode()
    topic = f"pskr/filter/v2/{band}/FT8/{sender}/{receiver}/FN42/JO62/291/230"
    return topic, payload


def run_psk_in(spotweaver, rate, seconds):
    count = int(rate * seconds)
    work = tempfile.mkdtemp(prefix="sw-mqtt-bench-")
    broker, port = start_broker(work)
    program = None
    try:
        program = start_program(spotweaver, work, setup_psk_in(port), subprocess.DEVNULL)
        if not wait_for(lambda: "Connected to broker" in open(os.path.join(work, "stderr")).read(),
                        10):
            raise RuntimeError("the program did not connect")
        time.sleep(0.5)  # its subscription follows the connection
        publisher = Mqtt(port, "bench-publisher")
        now = int(time.time())
        messages = [psk_report(n, now) for n in range(count)]
        log = os.path.join(work, "pskr.log")

        def lines():
            try:
                with open(log, "rb") as f:
                    return f.read().count(b"\n")
            except FileNotFoundError:
                return 0

        cpu0 = cpu_seconds(program.pid)
        took = paced(rate, count,
                     lambda first, n: publisher.publish_many(messages[first:first + n], first))
        wait_for(lambda: lines() >= count, 60)
        cpu = cpu_seconds(program.pid) - cpu0
        got = lines()
        publisher.close()
        return {"row": f"PSK Reporter in, {rate:,}/s", "messages": count, "seconds": took,
                "cpu_per_m": cpu / count * 1e6, "rss": peak_rss_mb(program.pid),
                "lost": count - got, "acked": publisher.acked}
    finally:
        if program is not None:
            program.kill()
            program.wait(10)
        broker.terminate()
        broker.wait(10)
        shutil.rmtree(work, ignore_errors=True)


def dx_line(n):
    band, base = BANDS[n % len(BANDS)]
    freq = (base + 1000 * (n % 40)) / 1000.0
    call = f"W{n % 10}{chr(65 + n // 10 % 26)}{chr(65 + n // 260 % 26)}{chr(65 + n // 6760 % 26)}"
    comment = f"CW 20 dB 25 WPM #{n}"
    return f"DX de {'DL1ABC-#:':<9}{freq:>9.1f}  {call:<13}{comment:<30} 1201Z\n"


def run_json_out(spotweaver, rate, seconds):
    count = int(rate * seconds)
    work = tempfile.mkdtemp(prefix="sw-mqtt-bench-")
    broker, port = start_broker(work)
    program = None
    try:
        program = start_program(spotweaver, work, setup_json_out(port), subprocess.PIPE)
        if not wait_for(lambda: "Connected to broker" in open(os.path.join(work, "stderr")).read(),
                        10):
            raise RuntimeError("the program did not connect")
        subscriber = Mqtt(port, "bench-subscriber")
        subscriber.subscribe("spotweaver/spots/#")
        lines = [dx_line(n).encode() for n in range(count)]

        def type_lines(first, n):
            program.stdin.write(b"".join(lines[first:first + n]))
            program.stdin.flush()

        cpu0 = cpu_seconds(program.pid)
        took = paced(rate, count, type_lines)
        wait_for(lambda: subscriber.received >= count, 60)
        cpu = cpu_seconds(program.pid) - cpu0
        subscriber.close()
        return {"row": f"JSON Spots out, {rate:,}/s", "messages": count, "seconds": took,
                "cpu_per_m": cpu / count * 1e6, "rss": peak_rss_mb(program.pid),
                "lost": count - subscriber.received, "acked": None}
    finally:
        if program is not None:
            program.kill()
            program.wait(10)
        broker.terminate()
        broker.wait(10)
        shutil.rmtree(work, ignore_errors=True)


class Flood:
    """The side load of a flood-cost run: a broker of its own (so that no
    session outlives its run) and, at rate > 0, reports published to the
    program's PSK Reporter port from a second before the feed starts until
    its stream is through."""

    def __init__(self, rate, messages):
        self.rate = rate
        self.messages = messages
        self.work = tempfile.mkdtemp(prefix="sw-mqtt-flood-")
        self.broker, self.port = start_broker(self.work)
        self.sent = 0
        self.took = 0.0

    def setup(self):
        return setup_flood(self.port)

    def start(self, run):
        self.run = run
        self.publisher = Mqtt(self.port, "bench-flood")
        # A report a few times a second until one is logged: the port has
        # then subscribed. Those that were on their way are let in too.
        probes = 0
        while self.logged() == 0:
            if probes == 50:
                raise RuntimeError("the program did not subscribe")
            self.publisher.publish_many([self.messages[0]], 65000 + probes)
            probes += 1
            time.sleep(0.2)
        time.sleep(0.5)
        self.probes = self.logged()
        self.broker_cpu = cpu_seconds(self.broker.pid)
        self.stopping = threading.Event()
        if self.rate:
            self.thread = threading.Thread(target=self._send, daemon=True)
            self.thread.start()
            time.sleep(1.0)

    def _send(self):
        start = time.monotonic()
        while not self.stopping.is_set():
            due = int((time.monotonic() - start) * self.rate) + 1
            if due > self.sent:
                batch = [self.messages[k % len(self.messages)] for k in range(self.sent, due)]
                self.publisher.publish_many(batch, self.sent)
                self.sent = due
            time.sleep(0.01)
        self.took = time.monotonic() - start

    def logged(self):
        try:
            with open(os.path.join(self.run.dir, "pskr.log"), "rb") as f:
                return f.read().count(b"\n")
        except FileNotFoundError:
            return 0

    def stop(self):
        self.stopping.set()
        if self.rate:
            self.thread.join()
            wait_for(lambda: self.logged() - self.probes >= self.sent, 30)
        self.publisher.close()
        # The broker runs on the same cores as the program and the route's
        # peers, so its work is part of what a flood costs them here.
        broker = cpu_seconds(self.broker.pid) - self.broker_cpu
        return {"flood_sent": self.sent, "flood_logged": self.logged() - self.probes,
                "flood_rate": self.sent / self.took if self.took else 0.0,
                "broker_us": broker / self.sent * 1e6 if self.sent else 0.0}

    def close(self):
        self.broker.terminate()
        self.broker.wait(10)
        shutil.rmtree(self.work, ignore_errors=True)


def flood_cost(a):
    """NODE's lines/s without and with the flood, alternating runs."""
    work = tempfile.mkdtemp(prefix="sw-mqtt-flood-runs-")
    sys.stderr.write("preparing the streams ...\n")
    bulk = web_bench.bulk_chunks(a.lines)
    now = int(time.time())
    # Thirty seconds of distinct reports, then again from the first (the
    # port spots every report: PskRepeat=0).
    messages = [psk_report(n, now) for n in range(int(a.flood_rate * 30))]
    runs = {0: [], a.flood_rate: []}
    try:
        for _ in range(a.repeat):
            for rate in runs:
                sys.stderr.write(f"NODE throughput, flood {rate:,.0f}/s ...\n")
                side = Flood(rate, messages)
                try:
                    runs[rate].append(web_bench.throughput(
                        a, work, bulk, 0, side=side, setup_of=side.setup, ready_port=None))
                finally:
                    side.close()
    finally:
        shutil.rmtree(work, ignore_errors=True)
    return runs


def print_flood_cost(a, runs):
    quiet, flooded = runs[0], runs[a.flood_rate]
    median = lambda rs: sorted(rs, key=lambda r: r["rate"])[len(rs) // 2]
    q, f = median(quiet), median(flooded)
    every = lambda rs: " ".join(f"{r['rate']:,.0f}" for r in rs)
    print(f"\nflood cost: telnet feed -> NODE (telnet server, one caller) lines/s, {a.lines:,} "
          f"K calls flat out (median of {a.repeat}; all runs: {every(quiet)} / "
          f"{every(flooded)}):")
    print(f"  no MQTT traffic            {q['rate']:>10,.0f}   program CPU s/M lines "
          f"{q['cpu_m']:.2f}   lost {q['lost']}")
    print(f"  {a.flood_rate:,.0f} PSK reports/s     {f['rate']:>10,.0f}   program CPU s/M lines "
          f"{f['cpu_m']:.2f}   lost {f['lost']}   reports published {f['flood_sent']:,} at "
          f"{f['flood_rate']:,.0f}/s, logged {f['flood_logged']:,}, broker CPU "
          f"{f['broker_us']:.1f} us a report")
    cost = 1 - f["rate"] / q["rate"] if q["rate"] else float("nan")
    ok = cost <= 0.10
    print(f"  [{'met ' if ok else 'MISS'}] the flood costs NODE at most 10 % of its lines/s: "
          f"{cost * 100:.1f} % (reported, not asserted)")


def main():
    ap = argparse.ArgumentParser(description=__doc__,
                                 formatter_class=argparse.RawDescriptionHelpFormatter)
    ap.add_argument("--spotweaver", required=True)
    ap.add_argument("--seconds", type=float, default=20, help="length of each stream")
    ap.add_argument("--only", choices=("all", "rows", "flood"), default="all",
                    help="the three rows, the flood cost, or both")
    ap.add_argument("--lines", type=int, default=2000000, help="K calls in a flood-cost run")
    ap.add_argument("--repeat", type=int, default=3, help="flood-cost runs of each kind")
    ap.add_argument("--flood-rate", type=float, default=10000.0)
    ap.add_argument("--web-rate", type=float, default=1000.0,
                    help="W calls a second between the feed's K calls")
    ap.add_argument("--idle", type=float, default=5.0)
    a = ap.parse_args()
    a.spotweaver = os.path.abspath(a.spotweaver)
    if not os.path.exists(BROKER):
        print(f"{BROKER} is not installed (apt-get install mosquitto)")
        return 77
    load = " ".join(open("/proc/loadavg").read().split()[:3])
    print(f"MQTT port bench, {os.cpu_count()} cores, load average before: {load}")
    if a.only in ("all", "rows"):
        rows = [run_psk_in(a.spotweaver, 300, a.seconds),
                run_psk_in(a.spotweaver, 10000, a.seconds),
                run_json_out(a.spotweaver, 10000, a.seconds)]
        print(f"{'row':<26}{'messages':>10}{'sent in':>9}{'CPU s/M':>9}{'peak RSS':>10}"
              f"{'lost':>7}")
        for r in rows:
            print(f"{r['row']:<26}{r['messages']:>10,}{r['seconds']:>8.1f}s"
                  f"{r['cpu_per_m']:>9.1f}{r['rss']:>8.1f}MB{r['lost']:>7}")
    if a.only in ("all", "flood"):
        print_flood_cost(a, flood_cost(a))
    return 0


if __name__ == "__main__":
    sys.exit(main())
