#!/usr/bin/env python3
"""Soak: one long headless run of the fan-out route (bench/setups/bench-fanout.ini)
with three node-link callers that stay, a fourth that hangs up and calls again
every few seconds, the CT network sink and the log file. Prints the rate,
the program's memory at start, peak and end, its descriptors, and per output
the lines lost, duplicated and out of order. Nothing is asserted."""

import argparse
import os
import shutil
import signal
import socket
import sys
import tempfile
import threading
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from driver import Proc, ep, fields, port_free, read_route  # noqa: E402


def status_kib(pid, key):
    try:
        with open(f"/proc/{pid}/status") as f:
            for line in f:
                if line.startswith(key + ":"):
                    return int(line.split()[1])
    except OSError:
        pass
    return 0


def descriptors(pid):
    try:
        return len(os.listdir(f"/proc/{pid}/fd"))
    except OSError:
        return 0


class Sampler(threading.Thread):
    """Resident memory and descriptor count of a process, once a second."""

    def __init__(self, pid):
        super().__init__(daemon=True)
        self.pid, self.rss, self.fds = pid, [], []
        self.stop = threading.Event()

    def run(self):
        while not self.stop.is_set():
            self.rss.append(status_kib(self.pid, "VmRSS"))
            self.fds.append(descriptors(self.pid))
            self.stop.wait(1.0)


class Flapper(threading.Thread):
    """A caller that reads for a while, hangs up and calls again."""

    def __init__(self, node, period):
        super().__init__(daemon=True)
        self.node, self.period, self.calls = node, period, 0
        self.stop = threading.Event()

    def run(self):
        while not self.stop.is_set():
            try:
                with socket.create_connection(self.node, timeout=5) as s:
                    self.calls += 1
                    s.settimeout(0.2)
                    end = time.monotonic() + self.period
                    while time.monotonic() < end and not self.stop.is_set():
                        try:
                            if not s.recv(65536):
                                break
                        except socket.timeout:
                            pass
            except OSError:
                self.stop.wait(0.5)


def main():
    ap = argparse.ArgumentParser(description=__doc__)
    ap.add_argument("--bin", required=True, help="directory of the sw_bench_* tools")
    ap.add_argument("--spotweaver", required=True)
    here = os.path.dirname(os.path.abspath(__file__))
    ap.add_argument("--setup", default=os.path.join(here, "..", "setups", "bench-fanout.ini"))
    ap.add_argument("--lines", type=int, default=10_000_000)
    ap.add_argument("--seed", type=int, default=1)
    ap.add_argument("--callers", type=int, default=3)
    ap.add_argument("--flap-seconds", type=float, default=10.0)
    ap.add_argument("--keep", action="store_true")
    a = ap.parse_args()

    tool = lambda name: os.path.join(os.path.abspath(a.bin), name)  # noqa: E731
    a.spotweaver = os.path.abspath(a.spotweaver)
    route = read_route(a.setup)
    for end in ("feed", "node"):
        if not port_free(*route[end]):
            raise SystemExit(f"{ep(route[end])} is taken; another run still going?")
    work = tempfile.mkdtemp(prefix="sw-soak-")
    manifest = os.path.join(work, "manifest.bin")
    procs = []

    def start(*args, **kw):
        p = Proc(*args, **kw)
        procs.append(p)
        return p

    try:
        gen = start([tool("sw_bench_gen"), "--listen", ep(route["feed"]), "--lines", str(a.lines),
                     "--seed", str(a.seed), "--manifest", manifest, "--wait-go", "--hold"])
        stream = fields(gen.expect("stream", 600))
        gen.expect("listening", 10)
        common = ["--lines", str(a.lines), "--manifest", manifest, "--expect",
                  str(stream["unique"]), "--idle-ms", "20000"]
        udp = start([tool("sw_bench_sink"), "--udp-bind", ep(route["ct"])] + common)
        udp.expect("ready", 10)
        sut = start([a.spotweaver, "--headless", os.path.abspath(a.setup), "/START"], cwd=work,
                    stdin=False, log=os.path.join(work, "spotweaver.log"))
        tcps = [start([tool("sw_bench_sink"), "--tcp-connect", ep(route["node"]),
                       "--connect-ms", "30000"] + common) for _ in range(a.callers)]
        for tcp in tcps:
            tcp.expect("connected", 40)
        gen.expect("connected", 40)
        sampler = Sampler(sut.p.pid)
        sampler.start()
        flapper = Flapper(route["node"], a.flap_seconds)
        flapper.start()
        time.sleep(1.5)
        began = time.monotonic()
        gen.send("go")

        budget = 300 + a.lines / 1000.0
        results = {f"caller {i + 1}": fields(t.expect("result", budget)) for i, t in enumerate(tcps)}
        results["CT network"] = fields(udp.expect("result", budget))
        elapsed = time.monotonic() - began
        flapper.stop.set()
        flapper.join(15)
        time.sleep(2)
        sampler.stop.set()
        sampler.join(5)
        peak = status_kib(sut.p.pid, "VmHWM")
        gen.send("close")
        gen.reap(10)
        clean = sut.reap(15, signal.SIGTERM)
        log = Proc([tool("sw_bench_sink"), "--file", os.path.join(work, route["log"])] + common)
        results["log file"] = fields(log.expect("result", 600))
        log.reap(10)

        mb = lambda kib: f"{kib / 1024:.1f} MB"  # noqa: E731
        print(f"soak: {stream['lines']:,} lines ({stream['unique']:,} unique) in {elapsed:.0f} s, "
              f"{stream['unique'] / elapsed:,.0f} unique lines/s")
        print(f"memory: start {mb(sampler.rss[0])}, peak {mb(peak)}, end {mb(sampler.rss[-1])}")
        print(f"descriptors: start {sampler.fds[0]}, min {min(sampler.fds)}, "
              f"max {max(sampler.fds)}, end {sampler.fds[-1]}")
        print(f"flapping caller: {flapper.calls} calls; SIGTERM exit "
              f"{'clean' if clean else 'NOT clean'}")
        print(f"{'output':<12} {'lost':>10} {'duplicated':>11} {'out of order':>13}")
        for name, r in results.items():
            lost = stream["unique"] - r.get("unique", 0)
            print(f"{name:<12} {lost:>10,} {r.get('repeats', 0) + r.get('dupes', 0):>11,} "
                  f"{r.get('out_of_order', 0):>13,}")
    finally:
        for p in procs:
            if p.alive():
                p.reap(5, signal.SIGKILL)
        if a.keep:
            print(f"work directory kept: {work}")
        else:
            shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
