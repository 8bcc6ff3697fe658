#!/usr/bin/env python3
"""End-to-end benchmark driver: runs the socat relay, the I/O floor and
Spotweaver (headless, and the GUI offscreen) over the same loopback route
with the same stream, one after the other, and prints one table.

Every run: the feed (sw_bench_gen) listens where the setup's telnet client
port connects; the node-link sink connects to the setup's telnet server port;
the CT sink listens on the setup's broadcast address; the log file is counted
afterwards. Peak RSS and CPU time come from wait4() of the process under test.
Nothing here asserts: the goals are reported as met or missed.
"""

import argparse
import datetime
import os
import queue
import shutil
import signal
import socket
import subprocess
import sys
import tempfile
import threading
import time
from array import array


# ---------------------------------------------------------------- processes

class Proc:
    """A child whose standard output is read line by line on a thread."""

    def __init__(self, args, cwd=None, env=None, stdin=True, log=None):
        self.args = args
        out = subprocess.PIPE if log is None else open(log, "wb")
        self.p = subprocess.Popen(args, cwd=cwd, env=env, text=log is None,
                                  stdin=subprocess.PIPE if stdin else subprocess.DEVNULL,
                                  stdout=out, stderr=subprocess.STDOUT if log else None)
        self.lines = queue.Queue()
        self.rusage = None
        self.status = None
        if log is None:
            threading.Thread(target=self._pump, daemon=True).start()

    def _pump(self):
        for line in self.p.stdout:
            self.lines.put(line.rstrip("\n"))
        self.lines.put(None)

    def expect(self, prefix, timeout):
        """The next output line that starts with prefix (others are skipped)."""
        deadline = time.monotonic() + timeout
        while True:
            left = deadline - time.monotonic()
            if left <= 0:
                raise RuntimeError(f"{os.path.basename(self.args[0])}: no '{prefix}' "
                                   f"within {timeout:.0f} s")
            try:
                line = self.lines.get(timeout=left)
            except queue.Empty:
                continue
            if line is None:
                raise RuntimeError(f"{os.path.basename(self.args[0])} ended before '{prefix}'")
            if line.startswith(prefix):
                return line

    def send(self, text):
        try:
            self.p.stdin.write(text + "\n")
            self.p.stdin.flush()
        except (BrokenPipeError, OSError):
            pass

    def alive(self):
        return self.status is None and self.p.poll() is None

    def reap(self, timeout, sig=None):
        """Waits (after sending sig) and keeps the child's rusage; kills it
        after the timeout. Returns True when it ended by itself in time."""
        if self.status is not None:
            return True
        if sig is not None:
            try:
                self.p.send_signal(sig)
            except ProcessLookupError:
                pass
        deadline = time.monotonic() + timeout
        clean = True
        while True:
            pid, status, usage = os.wait4(self.p.pid, os.WNOHANG)
            if pid == self.p.pid:
                break
            if time.monotonic() > deadline:
                clean = False
                self.p.kill()
                pid, status, usage = os.wait4(self.p.pid, 0)
                break
            time.sleep(0.02)
        self.status, self.rusage = status, usage
        self.p.returncode = os.waitstatus_to_exitcode(status)
        return clean


def fields(line):
    """'result lines=3 unique=2 ...' -> {'lines': 3, 'unique': 2, ...}"""
    out = {}
    for word in line.split():
        if "=" in word:
            k, v = word.split("=", 1)
            out[k] = int(v)
    return out


def udp_receive_errors():
    """Datagrams the kernel dropped for a full receive buffer (all sockets)."""
    try:
        with open("/proc/net/snmp") as f:
            rows = [l.split() for l in f if l.startswith("Udp:")]
        return int(rows[1][rows[0].index("RcvbufErrors")])
    except (OSError, ValueError, IndexError):
        return 0


def peak_rss_mb(pid):
    """VmHWM of a running process; unlike ru_maxrss it starts afresh at exec,
    so the driver's own size does not leak into the figure."""
    try:
        with open(f"/proc/{pid}/status") as f:
            for line in f:
                if line.startswith("VmHWM:"):
                    return int(line.split()[1]) / 1024.0
    except OSError:
        pass
    return float("nan")


def port_free(host, port):
    s = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    s.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)  # TIME_WAIT is no obstacle
    try:
        s.bind((host, port))
        return True
    except OSError:
        return False
    finally:
        s.close()


class PortsTaken(RuntimeError):
    """Another run (of this machine's other users, too) holds the route's
    ports: no fault of the system under test."""


def wait_ports_free(ends, seconds):
    """Gives a run that is ending the given time to free the ports."""
    deadline = time.monotonic() + seconds
    while True:
        taken = [e for e in ends if not port_free(*e)]
        if not taken:
            return
        if time.monotonic() > deadline:
            raise PortsTaken(f"{ep(taken[0])} is taken; another run still going?")
        time.sleep(0.5)


# -------------------------------------------------------------------- setup

def read_setup(setup_path):
    """The ports of a setup file (each a dict of its lower-cased keys, the kind
    as "PortType") and each port's route list (1-based port numbers, 0 for
    none)."""
    ports, routes, cur = [], [], None
    with open(setup_path, encoding="latin-1") as f:
        for raw in f:
            line = raw.strip()
            if not line or not line[0].isalnum():
                continue
            key, _, value = line.partition("=")
            key = key.lower()
            if key == "porttype":
                cur = {"PortType": value}
                ports.append(cur)
            elif key == "trace":
                cur = None
                routes.append([])
            elif key == "port" and routes:
                routes[-1].append(int(value or 0))
            elif cur is not None:
                cur.setdefault(key, value)
    if len(routes) != len(ports):
        raise SystemExit(f"{setup_path}: needs a route section per port")
    return ports, routes


def destinations(ports, routes, source):
    return [ports[n - 1] for n in routes[source] if 0 < n <= len(ports)]


def read_route(setup_path):
    """The four ends of the benchmark route from a setup file: the telnet
    client port (the feed) and, among the destinations on its route list, the
    telnet server port (node link), the broadcast port (CT network) and the
    log file port."""
    ports, routes = read_setup(setup_path)
    feeds = [i for i, p in enumerate(ports) if p["PortType"] == "TEL"]
    if len(feeds) != 1:
        raise SystemExit(f"{setup_path}: needs exactly one TEL port")
    dests = destinations(ports, routes, feeds[0])

    def dest(kind, needed=False):
        for p in dests:
            if p["PortType"] == kind:
                return p
        if needed:
            raise SystemExit(f"{setup_path}: the TEL port has no route to a {kind} port")
        return None

    # The node link is every route's measured end; the CT network and the log
    # file are counted when the setup has them.
    tel, rx, cte, log = ports[feeds[0]], dest("RXTEL", True), dest("CTE"), dest("FILE")
    return {
        "feed": (tel["hostname"], int(tel["portnumber"])),
        "node": (rx["hostname"], int(rx["portnumber"])),
        "callers": int(rx.get("maxcallers", 1)),
        "ct": (cte["broadcastip"], int(cte["portnumber"])) if cte else None,
        "log": log["filename"] if log else None,
        "ports": len(ports),
    }


def read_console_route(setup_path):
    """The log files the console port of a setup is routed to."""
    ports, routes = read_setup(setup_path)
    consoles = [i for i, p in enumerate(ports) if p["PortType"] == "CON"]
    if len(consoles) != 1:
        raise SystemExit(f"{setup_path}: needs exactly one CON port")
    logs = [p["filename"] for p in destinations(ports, routes, consoles[0])
            if p["PortType"] == "FILE"]
    if not logs:
        raise SystemExit(f"{setup_path}: the CON port has no route to a FILE port")
    return logs


def shifted_setup(setup_path, offset, run_dir):
    """The setup, or a copy of it in run_dir with every port number moved by
    offset, so that benchmarks run side by side on one machine never meet on
    loopback."""
    if not offset:
        return setup_path
    out = os.path.join(run_dir, os.path.basename(setup_path))
    with open(setup_path, encoding="latin-1", newline="") as f:
        lines = f.read().splitlines(keepends=True)
    with open(out, "w", encoding="latin-1", newline="") as f:
        for line in lines:
            key, _, value = line.partition("=")
            if key == "PortNumber" and value.strip().isdigit():
                line = f"PortNumber={int(value) + offset}{line[len(line.rstrip()):]}"
            f.write(line)
    return out


def ep(pair):
    return f"{pair[0]}:{pair[1]}"


# ---------------------------------------------------------------------- run

class Bench:
    def __init__(self, a):
        self.a = a
        self.bin = a.bin
        self.work = tempfile.mkdtemp(prefix="sw-bench-")

    def tool(self, name):
        return os.path.join(self.bin, name)

    def program(self, system, setup, run_dir):
        """The command line and environment of the program under test. A
        wrapper (valgrind, for the instruction counts) runs it; the filtered
        setup names its country file beside the program, so it is copied into
        run_dir."""
        env = dict(os.environ)
        args = list(getattr(self.a, "wrap", None) or []) + [self.a.spotweaver]
        if system != "gui":
            args += ["--headless"]
        else:
            env["QT_QPA_PLATFORM"] = "offscreen"
        args += [os.path.abspath(setup or self.a.headless_setup), "/START"]
        shutil.copy(self.a.country_file, run_dir)
        return args, env

    def count_log(self, path, sink_common):
        """The sink's figures for a log file, read once after the run."""
        if not os.path.exists(path):
            return {"lines": 0, "unique": 0, "dupes": 0, "repeats": 0, "unnumbered": 0}
        fp = Proc([self.tool("sw_bench_sink"), "--file", path] + sink_common)
        try:
            return fields(fp.expect("result", 120))
        finally:
            fp.reap(10)

    def run(self, system, lines, rate=0.0, setup=None, hold=True):
        """One pass of the stream through one system. Returns a dict of
        figures; raises RuntimeError when the run could not be made. With
        hold False the feed closes right after its last line instead of
        waiting until every sink has its lines."""
        if system == "console":
            return self.run_console(lines, setup)
        run_dir = tempfile.mkdtemp(prefix=f"{system}-", dir=self.work)
        setup = shifted_setup(setup or self.a.headless_setup,
                              getattr(self.a, "port_offset", 0), run_dir)
        route = read_route(setup)
        manifest = os.path.join(run_dir, "manifest.bin")
        gen_times = os.path.join(run_dir, "sent.bin")
        sink_times = os.path.join(run_dir, "arrived.bin")
        log_path = os.path.join(run_dir, route["log"] or "bench-floor.log")
        wait_ports_free([route["feed"], route["node"]], getattr(self.a, "port_wait", 0))

        procs = []

        def start(*args, **kw):
            p = Proc(*args, **kw)
            procs.append(p)
            return p

        try:
            gen_args = [self.tool("sw_bench_gen"), "--listen", ep(route["feed"]), "--lines",
                        str(lines), "--seed", str(self.a.seed), "--manifest", manifest,
                        "--wait-go"] + (["--hold"] if hold else [])
            if rate:
                gen_args += ["--rate", str(rate), "--times", gen_times]
            gen = start(gen_args)
            stream = fields(gen.expect("stream", 120))
            gen.expect("listening", 10)

            passes_dupes = system in ("socat", "floor")
            expect = stream["lines"] if passes_dupes else stream["unique"]
            sink_common = ["--lines", str(lines), "--manifest", manifest, "--expect", str(expect),
                           "--idle-ms", str(self.a.idle_ms if hold else 3000)]

            udp = None
            if system != "socat" and route["ct"]:
                udp = start([self.tool("sw_bench_sink"), "--udp-bind", ep(route["ct"])]
                            + sink_common)
                udp.expect("ready", 10)

            if system == "socat":
                sut = start(["socat",
                             f"TCP-LISTEN:{route['node'][1]},bind={route['node'][0]},reuseaddr,nodelay",
                             f"TCP:{route['feed'][0]}:{route['feed'][1]}"],
                            stdin=False, log=os.path.join(run_dir, "socat.log"))
            elif system == "floor":
                sut = start([self.tool("sw_bench_floor"), "--listen", ep(route["node"]),
                             "--feed", ep(route["feed"]), "--udp-to", ep(route["ct"]),
                             "--file", log_path], stdin=False, log=os.path.join(run_dir, "floor.log"))
            else:
                args, env = self.program(system, setup, run_dir)
                sut = start(args, cwd=run_dir, env=env, stdin=False,
                            log=os.path.join(run_dir, "spotweaver.log"))

            # Every caller the node port takes gets the whole stream; the
            # first one's arrival times give the latency.
            tcps = [start([self.tool("sw_bench_sink"), "--tcp-connect", ep(route["node"]),
                           "--connect-ms", "30000"] + sink_common
                          + (["--times", sink_times] if rate and i == 0 else []))
                    for i in range(route["callers"] if system != "socat" else 1)]
            for tcp in tcps:
                tcp.expect("connected", 40)
            gen.expect("connected", 40)
            udp_errors_before = udp_receive_errors()
            gen.send("go")

            budget = 120 + lines / 2000.0
            tcp_results = [fields(tcp.expect("result", budget)) for tcp in tcps]
            # The caller that got the fewest lines stands for the node output.
            tcp_result = min(tcp_results, key=lambda r: r["unique"])
            udp_result = fields(udp.expect("result", budget)) if udp else None
            sent = gen.expect("", 60)
            while not sent.startswith(("sent", "broken")):
                sent = gen.expect("", 60)
            sent_at = fields(sent)
            udp_dropped = udp_receive_errors() - udp_errors_before
            rss_mb = peak_rss_mb(sut.p.pid)
            gen.send("close")
            gen.reap(10)

            if system == "socat":
                clean = sut.reap(10)
            elif system == "floor":
                clean = sut.reap(10)
            else:
                clean = sut.reap(15, signal.SIGTERM)
            for p in tcps + [udp]:
                if p:
                    p.reap(10)

            file_result = None
            if system != "socat" and route["log"]:
                file_result = self.count_log(log_path, sink_common)

            ends = [r["last_ns"] for r in tcp_results + [udp_result] if r and r["lines"]]
            out = run_figures(system, stream, sent_at["first_ns"], ends, sut, rss_mb, clean)
            out.update({
                "outputs": {},
                "udp_dropped": udp_dropped,
                "broken_feed": sent.startswith("broken"),
                "offered": stream["lines"] / max(1e-9, (sent_at["last_ns"] - sent_at["first_ns"]) / 1e9),
            })
            for name, r in (("node", tcp_result), ("ct", udp_result), ("log", file_result)):
                if r is not None:
                    out["outputs"][name] = output_figures(stream, r, passes_dupes)
            if rate:
                out["latency"] = latency(gen_times, sink_times, manifest, passes_dupes)
            return out
        except (RuntimeError, OSError) as e:
            raise RuntimeError(f"{e}{log_tail(run_dir)}") from e
        finally:
            for p in procs:
                if p.alive():
                    p.reap(5, signal.SIGKILL)

    def run_console(self, lines, setup):
        """One pass of the stream typed on the console of the headless program
        and routed to the setup's log files. The stream goes to standard input
        once the console port is connected; the run ends when every log file
        has its lines, or none grew for --idle-ms. The wall time runs from the
        first byte fed to the last write into a log file (the files'
        modification times, a clock tick fine)."""
        logs = read_console_route(setup)
        run_dir = tempfile.mkdtemp(prefix="console-", dir=self.work)
        manifest = os.path.join(run_dir, "manifest.bin")
        text = os.path.join(run_dir, "stream.txt")
        gen = subprocess.run([self.tool("sw_bench_gen"), "--lines", str(lines), "--seed",
                              str(self.a.seed), "--manifest", manifest, "--dump", text],
                             capture_output=True, text=True, check=True)
        stream = fields(gen.stdout.split("\n")[0])
        paths = [os.path.join(run_dir, name) for name in logs]
        args, env = self.program("console", setup, run_dir)
        out_path = os.path.join(run_dir, "spotweaver.log")
        sut = Proc(args, cwd=run_dir, env=env, log=out_path)
        try:
            wait_for_text(sut, out_path, b"CON: Port connected", 120)
            started = time.time_ns()
            fed = {}
            threading.Thread(target=feed, args=(sut.p.stdin, text, fed), daemon=True).start()
            wait_for_lines(paths, stream["unique"], self.a.idle_ms / 1000.0,
                           120 + lines / 2000.0, sut.alive)
            rss_mb = peak_rss_mb(sut.p.pid)
            ends = [os.stat(p).st_mtime_ns for p in paths if os.path.exists(p)]
            clean = sut.reap(15, signal.SIGTERM)
            sink_common = ["--lines", str(lines), "--manifest", manifest]
            outputs = {os.path.basename(p): output_figures(stream, self.count_log(p, sink_common),
                                                           False) for p in paths}
        except (RuntimeError, OSError) as e:
            raise RuntimeError(f"{e}{log_tail(run_dir)}") from e
        finally:
            if sut.alive():
                sut.reap(5, signal.SIGKILL)
            sut.p.stdin.close()
        out = run_figures("console", stream, started, ends, sut, rss_mb, clean)
        out.update({
            "outputs": outputs,
            "udp_dropped": 0,
            "broken_feed": "broken" in fed,
            "offered": stream["lines"] / max(1e-9, fed.get("seconds", 0.0)),
        })
        return out

    def cleanup(self):
        if not self.a.keep:
            shutil.rmtree(self.work, ignore_errors=True)


def wait_for_text(proc, path, text, timeout):
    """Waits until the output file of a running child holds text."""
    deadline = time.monotonic() + timeout
    while True:
        with open(path, "rb") as f:
            if text in f.read():
                return
        if not proc.alive():
            raise RuntimeError(f"the program ended before '{text.decode()}'")
        if time.monotonic() > deadline:
            raise RuntimeError(f"no '{text.decode()}' within {timeout:.0f} s")
        time.sleep(0.02)


def feed(pipe, path, fed):
    """Writes a file into a child's standard input in large writes, as a
    redirection would; the child's reading paces it."""
    first = time.monotonic()
    try:
        with open(path, "rb") as f:
            while chunk := f.read(65536):
                pipe.write(chunk)
                pipe.flush()
    except (BrokenPipeError, OSError, ValueError):
        fed["broken"] = True
    fed["seconds"] = time.monotonic() - first


def wait_for_lines(paths, expect, idle, budget, writer_alive):
    """Follows files as they grow until each holds expect lines, none grew
    for idle seconds, budget seconds have passed, or their writer ended."""
    offsets, counts = [0] * len(paths), [0] * len(paths)
    deadline = time.monotonic() + budget
    last_growth = time.monotonic()
    while True:
        for i, path in enumerate(paths):
            if not os.path.exists(path):
                continue
            with open(path, "rb") as f:
                f.seek(offsets[i])
                chunk = f.read()
            offsets[i] += len(chunk)
            counts[i] += chunk.count(b"\n")
            if chunk:
                last_growth = time.monotonic()
        now = time.monotonic()
        if (min(counts) >= expect or now - last_growth > idle or now > deadline
                or not writer_alive()):
            return
        time.sleep(0.02)


def run_figures(system, stream, first_ns, ends, sut, rss_mb, clean):
    """The figures of every run: the wall time from the first line sent to the
    latest of the outputs' last arrivals (ends, ns), and the reaped process
    under test's CPU time."""
    elapsed = (max(ends) - first_ns) / 1e9 if ends else float("nan")
    usage = sut.rusage
    return {
        "system": system,
        "lines": stream["lines"],
        "unique": stream["unique"],
        "elapsed": elapsed,
        "rate": stream["lines"] / elapsed if ends and elapsed > 0 else 0.0,
        "cpu": usage.ru_utime + usage.ru_stime,
        "rss_mb": rss_mb,
        "clean_exit": clean,
    }


def output_figures(stream, r, passes_dupes):
    """What one output lost or let through, from its sink's figures."""
    wanted = stream["lines"] if passes_dupes else stream["unique"]
    got = r["unique"] + (r["dupes"] if passes_dupes else 0)
    return {
        "lost": wanted - got,
        "dupes_passed": 0 if passes_dupes else r["dupes"],
        "repeats": r["repeats"],
        "unnumbered": r["unnumbered"],
    }


def log_tail(run_dir):
    """The last lines the process under test wrote, for a failed run."""
    for name in ("spotweaver.log", "floor.log", "socat.log"):
        path = os.path.join(run_dir, name)
        if os.path.exists(path):
            with open(path, "rb") as f:
                tail = f.read().decode("latin-1").strip().splitlines()[-6:]
            if tail:
                return f" [{name}: " + " | ".join(tail) + "]"
    return ""


def latency(gen_times, sink_times, manifest, passes_dupes):
    sent, arrived = array("q"), array("q")
    with open(gen_times, "rb") as f:
        sent.frombytes(f.read())
    with open(sink_times, "rb") as f:
        arrived.frombytes(f.read())
    with open(manifest, "rb") as f:
        marks = f.read()
    lat = sorted((arrived[i] - sent[i]) / 1e6 for i in range(min(len(sent), len(arrived)))
                 if arrived[i] and sent[i] and (passes_dupes or not marks[i]))
    if not lat:
        return None

    def pct(p):
        return lat[min(len(lat) - 1, int(p / 100.0 * len(lat)))]

    return {"p50": pct(50), "p99": pct(99), "max": lat[-1], "n": len(lat)}


# ------------------------------------------------------------------- report

def machine():
    model = "?"
    try:
        with open("/proc/cpuinfo") as f:
            for line in f:
                if line.startswith("model name"):
                    model = line.split(":", 1)[1].strip()
                    break
    except OSError:
        pass
    return f"{os.cpu_count()} cores ({os.sched_getaffinity(0).__len__()} usable), {model}"


NAMES = {"socat": "socat relay (reference)", "floor": "I/O floor",
         "headless": "Spotweaver headless", "filtered": "headless, 10 filters a port",
         "gui": "Spotweaver GUI, 33 windows", "fanout": "headless, node to 8 callers",
         "pc11": "headless, PC11 node link only"}


def fmt_int(x):
    return f"{x:,.0f}"


def report(results, lat, closing, a, notes):
    lines = []
    p = lines.append
    p(f"Spotweaver end-to-end benchmark, {datetime.date.today().isoformat()}, "
      f"{machine()}")
    p(f"load average before the run: {a.load_before}")
    p(f"stream: {a.lines:,} spot lines (seed {a.seed}), loopback; "
      f"route: telnet feed -> PC11 node link + CT network UDP + CT User log file")
    p("")
    p(f"{'system':<28}{'lines/s':>11}{'x socat':>9}{'x floor':>9}{'CPU s/M':>9}"
      f"{'peak RSS':>10}  lost node/ct/log   dupes passed")
    socat = results.get("socat")
    floor = results.get("floor")
    for key in ("socat", "floor", "headless", "filtered", "fanout", "gui"):
        r = results.get(key)
        if r is None:
            continue
        if isinstance(r, str):
            p(f"{NAMES[key]:<28}  not run: {r}")
            continue
        vs_socat = f"{r['rate'] / socat['rate']:.3f}" if isinstance(socat, dict) and socat["rate"] else "-"
        vs_floor = f"{r['rate'] / floor['rate']:.3f}" if isinstance(floor, dict) and floor["rate"] else "-"
        cpu_m = r["cpu"] / r["lines"] * 1e6
        o = r["outputs"]
        lost = "/".join(str(o[k]["lost"]) if k in o else "-" for k in ("node", "ct", "log"))
        passed = "/".join(str(o[k]["dupes_passed"]) if k in o else "-" for k in ("node", "ct", "log"))
        p(f"{NAMES[key]:<28}{fmt_int(r['rate']):>11}{vs_socat:>9}{vs_floor:>9}"
          f"{cpu_m:>9.2f}{r['rss_mb']:>8.1f}MB  {lost:<18} {passed}")
    p("")
    p("latency, feed send -> PC11 frame received by the node-link sink (unique lines):")
    p(f"{'system':<28}{'offered/s':>10}{'sent/s':>9}{'p50 ms':>9}{'p99 ms':>9}{'max ms':>9}"
      f"{'lines':>8}  lost")
    for (key, rate), r in lat.items():
        if isinstance(r, str):
            p(f"{NAMES[key]:<28}{fmt_int(rate):>10}  not run: {r}")
            continue
        l = r.get("latency")
        lost = r["outputs"]["node"]["lost"]
        if l is None:
            p(f"{NAMES[key]:<28}{fmt_int(rate):>10}  no line arrived")
            continue
        p(f"{NAMES[key]:<28}{fmt_int(rate):>10}{fmt_int(r['offered']):>9}{l['p50']:>9.3f}{l['p99']:>9.3f}"
          f"{l['max']:>9.3f}{l['n']:>8}  {lost}")
    p("")
    p("goals (reported, not asserted):")
    h = results.get("headless")
    g = results.get("gui")

    def goal(text, ok):
        p(f"  [{'met ' if ok is True else 'MISS' if ok is False else ' -- '}] {text}")

    if isinstance(h, dict):
        goal(f"headless >= 0.5x I/O floor: {h['rate'] / floor['rate']:.3f}x"
             if isinstance(floor, dict) else "headless >= 0.5x I/O floor: floor not run",
             h["rate"] >= 0.5 * floor["rate"] if isinstance(floor, dict) else None)
        goal(f"headless >= 0.05x socat: {h['rate'] / socat['rate']:.4f}x"
             if isinstance(socat, dict) else "headless >= 0.05x socat: socat not run",
             h["rate"] >= 0.05 * socat["rate"] if isinstance(socat, dict) else None)
        goal(f"headless peak RSS <= 40 MB: {h['rss_mb']:.1f} MB", h["rss_mb"] <= 40)
        lost = sum(v["lost"] for v in h["outputs"].values())
        goal(f"headless loses no line (dupes aside): {lost} lost", lost == 0)
    else:
        goal("headless goals: headless run not made", None)
    f = results.get("filtered")
    if isinstance(h, dict) and isinstance(f, dict):
        cost = 1 - f["rate"] / h["rate"]
        goal(f"10 filter rules a port cost <= 10 % of headless lines/s: {cost * 100:.1f} %",
             cost <= 0.10)
    l10 = lat.get(("headless", 10000))
    if isinstance(l10, dict) and l10.get("latency"):
        goal(f"headless p99 latency <= 2 ms at 10,000 lines/s: {l10['latency']['p99']:.3f} ms",
             l10["latency"]["p99"] <= 2.0)
    else:
        goal("headless p99 latency at 10,000 lines/s: not measured", None)
    f = results.get("fanout")
    if isinstance(f, dict) and isinstance(h, dict):
        goal(f"8 callers cost <= 2x the CPU of one: {f['cpu'] / h['cpu']:.2f}x",
             f["cpu"] <= 2 * h["cpu"])
    if isinstance(g, dict):
        goal(f"GUI >= 20,000 spots/s with every window open: {fmt_int(g['rate'])}",
             g["rate"] >= 20000)
        goal(f"GUI peak RSS <= 100 MB: {g['rss_mb']:.1f} MB", g["rss_mb"] <= 100)
    else:
        goal("GUI goals: GUI run not made", None)
    if closing:
        p("")
    for key, r in closing.items():
        if isinstance(r, str):
            p(f"feed closing right after its last line ({NAMES[key]}): not run: {r}")
            continue
        lost = "/".join(str(r["outputs"][k]["lost"]) for k in ("node", "ct", "log"))
        p(f"feed closing right after its last line ({NAMES[key]}, {r['lines']:,} lines sent "
          f"flat out): lost node/ct/log {lost} of {r['unique']:,}")
    if notes:
        p("")
        p("notes:")
        for n in notes:
            p(f"  {n}")
    return "\n".join(lines)


def setup_of(a, system):
    return {"gui": a.gui_setup, "fanout": a.fanout_setup,
            "filtered": a.filtered_setup}.get(system, a.headless_setup)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    ap = argparse.ArgumentParser(description=__doc__)
    ap.add_argument("--bin", required=True, help="directory of the sw_bench_* tools")
    ap.add_argument("--spotweaver", required=True, help="the spotweaver binary")
    ap.add_argument("--headless-setup", default=os.path.join(here, "..", "setups",
                                                             "bench-headless.ini"))
    ap.add_argument("--gui-setup", default=os.path.join(here, "..", "setups", "bench-gui.ini"))
    ap.add_argument("--fanout-setup", default=os.path.join(here, "..", "setups",
                                                           "bench-fanout.ini"))
    ap.add_argument("--filtered-setup", default=os.path.join(here, "..", "setups",
                                                             "bench-filtered.ini"))
    ap.add_argument("--country-file", default=os.path.join(here, "..", "setups", "bench-cty.dat"))
    ap.add_argument("--lines", type=int, default=1000000)
    ap.add_argument("--seed", type=int, default=1)
    ap.add_argument("--rates", default="1000,10000", help="offered loads for latency")
    ap.add_argument("--latency-seconds", type=float, default=10.0)
    ap.add_argument("--idle-ms", type=int, default=10000,
                    help="a sink gives up after this long without data")
    ap.add_argument("--systems", default="socat,floor,headless,fanout,gui")
    ap.add_argument("--latency-systems", default="socat,floor,headless,gui")
    ap.add_argument("--port-offset", type=int, default=0,
                    help="moves every port of the setups, to run beside another benchmark")
    ap.add_argument("--keep", action="store_true", help="keep the work directory")
    ap.add_argument("--report", help="also write the table to this file")
    a = ap.parse_args()
    a.bin, a.spotweaver = os.path.abspath(a.bin), os.path.abspath(a.spotweaver)

    a.load_before = " ".join(open("/proc/loadavg").read().split()[:3])
    b = Bench(a)
    results, lat, notes = {}, {}, []
    systems = [s for s in a.systems.split(",") if s]
    check = subprocess.run([b.tool("sw_bench_check"), "--lines", str(a.lines), "--seed",
                            str(a.seed)], capture_output=True, text=True)
    sys.stderr.write(check.stdout + check.stderr)
    if check.returncode != 0:
        raise SystemExit("the stream check failed; no figures")
    if "socat" in systems and shutil.which("socat") is None:
        results["socat"] = "socat is not installed (apt-get install socat)"
        systems.remove("socat")
    for s in systems:
        setup = setup_of(a, s)
        sys.stderr.write(f"throughput: {NAMES[s]} ...\n")
        try:
            results[s] = b.run(s, a.lines, setup=setup)
            if not results[s]["clean_exit"]:
                notes.append(f"{NAMES[s]} did not end within its time and was killed")
            if results[s]["udp_dropped"]:
                notes.append(f"{NAMES[s]}: the kernel dropped {results[s]['udp_dropped']} "
                             "datagrams for a full receive buffer")
        except RuntimeError as e:
            results[s] = str(e)
    for s in [x for x in a.latency_systems.split(",") if x and x in systems]:
        if isinstance(results.get(s), str):
            continue
        setup = setup_of(a, s)
        for rate in [float(x) for x in a.rates.split(",") if x]:
            n = max(100, int(rate * a.latency_seconds))
            sys.stderr.write(f"latency: {NAMES[s]} at {rate:.0f} lines/s ...\n")
            try:
                lat[(s, rate)] = b.run(s, n, rate=rate, setup=setup)
            except RuntimeError as e:
                lat[(s, rate)] = str(e)
    closing = {}
    if "headless" in systems and not isinstance(results.get("headless"), str):
        sys.stderr.write("feed closing at once: Spotweaver headless ...\n")
        try:
            closing["headless"] = b.run("headless", 20000, hold=False)
        except RuntimeError as e:
            closing["headless"] = str(e)
    text = report(results, lat, closing, a, notes)
    print(text)
    if a.report:
        with open(a.report, "w") as f:
            f.write(text + "\n")
    b.cleanup()


if __name__ == "__main__":
    main()
