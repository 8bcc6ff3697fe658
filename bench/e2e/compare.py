#!/usr/bin/env python3
"""Two builds of Spotweaver on the same benchmark rows, alternating, and the
median ratios of their wall time and of their instructions per spot.

Wall time: each round runs every row once for each build (the order of the
builds swaps every round), and the socat relay and the per-line I/O floor once,
in the same round, as references. A row's figure is the median over the rounds
of the per-round ratio, new over old, so that a slow moment of the machine
falls on both builds of a round alike.

Instructions per spot: each row's program runs under callgrind with two
stream lengths; the difference of the two totals over the difference of the
lengths is the cost of one more line, start-up and shut-down excluded.
Instructions stay put on a busy machine; wall time does not.

Latency: each round also paces the stream at --latency-rate lines/s through
the 3-output setup for both builds; the p99 from the feed's send to the node
link's arrival is the figure. Peak RSS is the highest of a row's rounds.
The goals are reported as met or missed, never asserted.
"""

import argparse
import os
import statistics
from operator import itemgetter
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import driver  # noqa: E402

HERE = os.path.dirname(os.path.abspath(__file__))
SETUPS = os.path.join(HERE, "..", "setups")

# row -> (driver system, setup file, what it is)
ROWS = {
    "pc11": ("pc11", "bench-pc11.ini", "TCP -> PC11 TCP"),
    "three": ("headless", "bench-headless.ini", "3 outputs from one source"),
    "console": ("console", "bench-console.ini", "console -> 4 log files"),
    "fanout": ("fanout", "bench-fanout.ini", "fan-out to 8 callers"),
    "filtered": ("filtered", "bench-filtered.ini", "10 filter rules a port"),
    # The same, but no two ports with equal rule sets, so that no port can
    # take another's verdict.
    "filtered-own": ("filtered", "bench-filtered-own.ini", "10 own filter rules a port"),
}
# The paced run: its own entry in --rows, measured in the wall rounds only.
LATENCY = "latency"
LATENCY_ROW = "three"
BUILDS = ("new", "old")
RSS_GOAL_MB = 40.0
P99_GOAL_MS = 2.0
FILTER_GOAL = 0.10


def callgrind_total(path):
    """The Ir total of a callgrind output file."""
    with open(path) as f:
        for line in f:
            if line.startswith(("summary:", "totals:")):
                return int(line.split()[1])
    raise RuntimeError(f"{path}: no total")


class Comparison:
    def __init__(self, a):
        self.a = a
        self.binaries = {"new": a.new, "old": a.old}
        args = argparse.Namespace(bin=a.bin, spotweaver=a.new, seed=1, idle_ms=20000, keep=False,
                                  headless_setup=os.path.join(SETUPS, "bench-headless.ini"),
                                  country_file=os.path.join(SETUPS, "bench-cty.dat"), wrap=None,
                                  port_wait=a.port_wait, port_offset=a.port_offset)
        self.bench = driver.Bench(args)
        # row -> why a build could not run it
        self.failed = {}

    def run(self, binary, system, setup, lines, wrap=None, rate=0.0):
        self.bench.a.spotweaver = binary
        self.bench.a.wrap = wrap
        r = self.bench.run(system, lines, rate=rate, setup=os.path.join(SETUPS, setup))
        lost = sum(o["lost"] for o in r["outputs"].values())
        if lost:
            raise RuntimeError(f"{system}: {lost} lines lost")
        return r

    def attempt(self, row, build, measure):
        """measure() or None; a failure leaves the row out. An older build
        may not know a row's setup (filters, several callers)."""
        if row in self.failed:
            return None
        try:
            return measure()
        except driver.PortsTaken:
            raise
        except RuntimeError as e:
            sys.stderr.write(f"  {row}, {build}: not measured: {e}\n")
            self.failed[row] = f"{build}: {str(e).split(' [')[0]}"
            return None

    def instructions(self, build, row):
        system, setup, _ = ROWS[row]
        totals = []
        for lines in self.a.instr_lines:
            out = os.path.join(self.bench.work, f"callgrind.{row}.{lines}.{os.getpid()}")
            wrap = ["valgrind", "--tool=callgrind", "--quiet", f"--callgrind-out-file={out}"]
            self.run(self.binaries[build], system, setup, lines, wrap)
            totals.append(callgrind_total(out))
        n1, n2 = self.a.instr_lines
        return (totals[1] - totals[0]) / (n2 - n1)

    def all_instructions(self, rows):
        """(row, build) -> instructions per spot."""
        instr = {}
        for row in rows:
            for build in BUILDS:
                sys.stderr.write(f"instructions: {ROWS[row][2]}, {build} ...\n")
                i = self.attempt(row, build, lambda: self.instructions(build, row))
                if i is not None:
                    instr[(row, build)] = i
        return instr

    def one_round(self, row, build):
        if row == LATENCY:
            system, setup, _ = ROWS[LATENCY_ROW]
            lines = max(100, int(self.a.latency_rate * self.a.latency_seconds))
            r = self.run(self.binaries[build], system, setup, lines, rate=self.a.latency_rate)
            if r.get("latency") is None:
                raise RuntimeError("no line arrived")
            return r
        system, setup, _ = ROWS[row]
        return self.run(self.binaries[build], system, setup, self.a.lines)

    def wall(self, rows):
        """Per row and build: the figures of every round."""
        res = {row: {b: [] for b in BUILDS} for row in rows}
        refs = {"socat": [], "floor": []}
        for rnd in range(self.a.rounds):
            order = list(BUILDS) if rnd % 2 == 0 else list(reversed(BUILDS))
            sys.stderr.write(f"round {rnd + 1} of {self.a.rounds} ({' then '.join(order)})\n")
            for ref in refs:
                r = self.run(self.a.new, ref, "bench-headless.ini", self.a.lines)
                refs[ref].append(r["rate"])
            for row in rows:
                for build in order:
                    r = self.attempt(row, build, lambda: self.one_round(row, build))
                    if r is not None:
                        res[row][build].append(r)
        return {row: w for row, w in res.items() if row not in self.failed}, refs


def ratio_median(new, old, figure):
    return statistics.median(figure(n) / figure(o) for n, o in zip(new, old))


def median(results, figure):
    return statistics.median(figure(r) for r in results)


def p99(r):
    return r["latency"]["p99"]


def p50(r):
    return r["latency"]["p50"]


def peak_rss(results):
    return max(r["rss_mb"] for r in results)


def dash(*widths):
    return "".join(f"{'-':>{w}}" for w in widths)


def row_line(row, instr, wall):
    i_new, i_old = instr.get((row, "new")), instr.get((row, "old"))
    istr = (f"{i_new:>11,.0f}{i_old:>9,.0f}{i_new / i_old:>7.3f}" if i_new and i_old
            else dash(11, 9, 7))
    w = wall.get(row)
    if w:
        new, old = w["new"], w["old"]
        rate = itemgetter("rate")
        wstr = (f"{median(new, rate):>10,.0f}{median(old, rate):>10,.0f}"
                f"{ratio_median(new, old, itemgetter('elapsed')):>11.3f}"
                f"{ratio_median(new, old, itemgetter('cpu')):>10.3f}"
                f"{peak_rss(new):>8.1f}{peak_rss(old):>8.1f}")
    else:
        wstr = dash(10, 10, 11, 10, 8, 8)
    return f"{ROWS[row][2]:<28}{istr}{wstr}"


def references(rows, wall, refs):
    socat, floor = statistics.median(refs["socat"]), statistics.median(refs["floor"])
    out = ["", f"references, median lines/s: socat relay {socat:,.0f}, "
               f"per-line I/O floor {floor:,.0f}"]
    for row in rows:
        per = [(median(wall[row][b], itemgetter("rate")), b) for b in BUILDS]
        out.append(f"  {ROWS[row][2]:<26}" + "  ".join(
            f"{b}: {rate / socat:.3f}x socat, {rate / floor:.3f}x floor" for rate, b in per))
    return out


def latency_lines(a, w):
    m = {b: (median(w[b], p50), median(w[b], p99)) for b in BUILDS}
    return ["", f"latency at {a.latency_rate:,.0f} lines/s for {a.latency_seconds:g} s "
                f"({ROWS[LATENCY_ROW][2]}), feed send -> PC11 frame received, medians of "
                "the rounds:",
            f"  {'p50 ms':>8}{'old':>8}{'p99 ms':>9}{'old':>8}{'p99 ratio':>11}",
            f"  {m['new'][0]:>8.3f}{m['old'][0]:>8.3f}{m['new'][1]:>9.3f}{m['old'][1]:>8.3f}"
            f"{ratio_median(w['new'], w['old'], p99):>11.3f}"]


def goal(text, ok):
    return f"  [{'met ' if ok else 'MISS'}] {text}"


def goals(a, instr, wall, latency):
    out = []
    for b in BUILDS:
        rss = [(peak_rss(w[b]), ROWS[row][2]) for row, w in wall.items()]
        if latency:
            rss.append((peak_rss(latency[b]), "latency run"))
        if rss:
            top, where = max(rss)
            out.append(goal(f"{b}: peak RSS under {RSS_GOAL_MB:.0f} MB on every row: "
                            f"highest {top:.1f} MB ({where})", top < RSS_GOAL_MB))
    for b in BUILDS:
        if latency:
            v = median(latency[b], p99)
            out.append(goal(f"{b}: p99 <= {P99_GOAL_MS:g} ms at {a.latency_rate:,.0f} "
                            f"lines/s: {v:.3f} ms", v <= P99_GOAL_MS))
    for row in ("filtered", "filtered-own"):
        for b in BUILDS:
            f, t = instr.get((row, b)), instr.get(("three", b))
            if f and t:
                cost = f / t - 1
                out.append(goal(f"{b}: {ROWS[row][2]} cost <= +{FILTER_GOAL * 100:.0f} % "
                                f"instructions per spot over 3 outputs: {cost * 100:+.1f} %",
                                cost <= FILTER_GOAL))
    return ["", "goals (reported, not asserted):"] + out if out else []


def report(a, rows, instr, wall, refs, failed, loads):
    out = [f"compare: this tree against {a.old_name}; {driver.machine()}",
           f"load average before {loads[0]}, after {loads[1]}; "
           f"{a.rounds} rounds of {a.lines:,} lines (wall), "
           f"callgrind at {a.instr_lines[0]:,} and {a.instr_lines[1]:,} lines (instructions)",
           "",
           f"{'row':<28}{'instr/spot':>11}{'old':>9}{'ratio':>7}"
           f"{'lines/s':>10}{'old':>10}{'time ratio':>11}{'CPU ratio':>10}"
           f"{'RSS MB':>8}{'old':>8}"]
    out += [row_line(row, instr, wall) for row in rows]
    if refs:
        out += references([r for r in rows if r in wall], wall, refs)
    latency = wall.get(LATENCY)
    if latency:
        out += latency_lines(a, latency)
    out += goals(a, instr, {r: w for r, w in wall.items() if r != LATENCY}, latency)
    if failed:
        out.append("")
        out.append("left out, a build could not run them:")
        out += [f"  {ROWS.get(r, (0, 0, 'latency'))[2]} ({why})" for r, why in failed.items()]
    out.append("")
    out.append("ratios are new/old medians of the rounds: below 1 is faster or fewer; "
               "RSS is the highest of the rounds")
    return "\n".join(out)


def load_average():
    with open("/proc/loadavg") as f:
        return " ".join(f.read().split()[:3])


def main():
    ap = argparse.ArgumentParser(description=__doc__)
    ap.add_argument("--bin", required=True, help="the sw_bench_* tools")
    ap.add_argument("--new", required=True, help="spotweaver of the tree")
    ap.add_argument("--old", required=True, help="spotweaver of the earlier commit")
    ap.add_argument("--old-name", default="old")
    ap.add_argument("--rounds", type=int, default=5)
    ap.add_argument("--lines", type=int, default=300000)
    ap.add_argument("--instr-lines", default="4000,20000",
                    help="the two stream lengths of the callgrind runs")
    ap.add_argument("--rows", default=",".join(list(ROWS) + [LATENCY]),
                    help=f"any of {', '.join(list(ROWS) + [LATENCY])}")
    ap.add_argument("--latency-rate", type=float, default=10000.0)
    ap.add_argument("--latency-seconds", type=float, default=10.0)
    ap.add_argument("--port-offset", type=int, default=100 * (1 + os.getpid() % 40),
                    help="moves every port of the setups (default: by the process id), so "
                         "that another benchmark on the machine does not meet this one")
    ap.add_argument("--port-wait", type=float, default=300.0,
                    help="seconds to wait for another benchmark to free the loopback ports")
    ap.add_argument("--no-wall", action="store_true")
    ap.add_argument("--no-instr", action="store_true")
    a = ap.parse_args()
    a.instr_lines = [int(x) for x in a.instr_lines.split(",")]
    a.bin, a.new, a.old = (os.path.abspath(x) for x in (a.bin, a.new, a.old))
    chosen = [r for r in a.rows.split(",") if r]
    unknown = [r for r in chosen if r not in ROWS and r != LATENCY]
    if unknown:
        ap.error(f"unknown rows: {', '.join(unknown)}")
    rows = [r for r in chosen if r in ROWS]
    loads = [load_average()]
    c = Comparison(a)
    try:
        instr = {} if a.no_instr else c.all_instructions(rows)
        timed = [r for r in chosen if r not in c.failed]
        wall, refs = ({}, {}) if a.no_wall else c.wall(timed)
    except driver.PortsTaken as e:
        c.bench.cleanup()
        raise SystemExit(f"compare: {e} (waited {a.port_wait:.0f} s); no figures") from e
    loads.append(load_average())
    print(report(a, [r for r in rows if r not in c.failed], instr, wall, refs, c.failed, loads))
    c.bench.cleanup()


if __name__ == "__main__":
    main()
