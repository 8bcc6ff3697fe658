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
"""

import argparse
import os
import statistics
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import driver  # noqa: E402

HERE = os.path.dirname(os.path.abspath(__file__))
SETUPS = os.path.join(HERE, "..", "setups")

# row -> (driver system, setup file, what it is)
ROWS = {
    "pc11": ("pc11", "bench-pc11.ini", "TCP -> PC11 TCP"),
    "three": ("headless", "bench-headless.ini", "3 outputs from one source"),
    "fanout": ("fanout", "bench-fanout.ini", "fan-out to 8 callers"),
    "filtered": ("filtered", "bench-filtered.ini", "10 filter rules a port"),
}


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
        args = argparse.Namespace(bin=a.bin, spotweaver=a.new, seed=1, idle_ms=20000, keep=False,
                                  headless_setup=os.path.join(SETUPS, "bench-headless.ini"),
                                  country_file=os.path.join(SETUPS, "bench-cty.dat"), wrap=None)
        self.bench = driver.Bench(args)

    def run(self, binary, system, setup, lines, wrap=None):
        self.bench.a.spotweaver = binary
        self.bench.a.wrap = wrap
        r = self.bench.run(system, lines, setup=os.path.join(SETUPS, setup))
        lost = sum(o["lost"] for o in r["outputs"].values())
        if lost:
            raise RuntimeError(f"{system}: {lost} lines lost")
        return r

    def instructions(self, binary, row):
        system, setup, _ = ROWS[row]
        totals = []
        for lines in self.a.instr_lines:
            out = os.path.join(self.bench.work, f"callgrind.{row}.{lines}.{os.getpid()}")
            wrap = ["valgrind", "--tool=callgrind", "--quiet", f"--callgrind-out-file={out}"]
            self.run(binary, system, setup, lines, wrap)
            totals.append(callgrind_total(out))
        n1, n2 = self.a.instr_lines
        return (totals[1] - totals[0]) / (n2 - n1)

    def wall(self, rows):
        """Per row: lists of per-round figures for both builds."""
        builds = {"new": self.a.new, "old": self.a.old}
        res = {row: {"new": [], "old": []} for row in rows}
        refs = {"socat": [], "floor": []}
        for rnd in range(self.a.rounds):
            order = ["new", "old"] if rnd % 2 == 0 else ["old", "new"]
            sys.stderr.write(f"round {rnd + 1} of {self.a.rounds} ({' then '.join(order)})\n")
            for ref in refs:
                r = self.run(self.a.new, ref, "bench-headless.ini", self.a.lines)
                refs[ref].append(r["rate"])
            for row in rows:
                system, setup, _ = ROWS[row]
                for build in order:
                    r = self.run(builds[build], system, setup, self.a.lines)
                    res[row][build].append(r)
        return res, refs


def ratio_median(new, old, key):
    return statistics.median(n[key] / o[key] for n, o in zip(new, old))


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
    ap.add_argument("--rows", default=",".join(ROWS))
    ap.add_argument("--no-wall", action="store_true")
    ap.add_argument("--no-instr", action="store_true")
    a = ap.parse_args()
    a.instr_lines = [int(x) for x in a.instr_lines.split(",")]
    a.bin, a.new, a.old = (os.path.abspath(x) for x in (a.bin, a.new, a.old))
    rows = [r for r in a.rows.split(",") if r]
    load = " ".join(open("/proc/loadavg").read().split()[:3])
    c = Comparison(a)
    instr, failed = {}, set()
    if not a.no_instr:
        for row in rows:
            for build, binary in (("new", a.new), ("old", a.old)):
                sys.stderr.write(f"instructions: {ROWS[row][2]}, {build} ...\n")
                try:
                    instr[(row, build)] = c.instructions(binary, row)
                except RuntimeError as e:
                    # An older build may not know a row's setup (filters).
                    sys.stderr.write(f"  not measured: {e}\n")
                    failed.add(row)
    rows = [r for r in rows if r not in failed]
    wall, refs = ({}, {}) if a.no_wall else c.wall(rows)
    load_after = " ".join(open("/proc/loadavg").read().split()[:3])

    out = [f"compare: this tree against {a.old_name}; {driver.machine()}",
           f"load average before {load}, after {load_after}; "
           f"{a.rounds} rounds of {a.lines:,} lines (wall), "
           f"callgrind at {a.instr_lines[0]:,} and {a.instr_lines[1]:,} lines (instructions)",
           "",
           f"{'row':<28}{'instr/spot':>11}{'old':>9}{'ratio':>7}"
           f"{'lines/s':>10}{'old':>10}{'time ratio':>11}{'CPU ratio':>10}"]
    for row in rows:
        name = ROWS[row][2]
        i_new, i_old = instr.get((row, "new")), instr.get((row, "old"))
        istr = (f"{i_new:>11,.0f}{i_old:>9,.0f}{i_new / i_old:>7.3f}" if i_new and i_old
                else f"{'-':>11}{'-':>9}{'-':>7}")
        w = wall.get(row)
        if w:
            rate_new = statistics.median(r["rate"] for r in w["new"])
            rate_old = statistics.median(r["rate"] for r in w["old"])
            wstr = (f"{rate_new:>10,.0f}{rate_old:>10,.0f}"
                    f"{ratio_median(w['new'], w['old'], 'elapsed'):>11.3f}"
                    f"{ratio_median(w['new'], w['old'], 'cpu'):>10.3f}")
        else:
            wstr = f"{'-':>10}{'-':>10}{'-':>11}{'-':>10}"
        out.append(f"{name:<28}{istr}{wstr}")
    if refs:
        socat = statistics.median(refs["socat"])
        floor = statistics.median(refs["floor"])
        out.append("")
        out.append(f"references, median lines/s: socat relay {socat:,.0f}, "
                   f"per-line I/O floor {floor:,.0f}")
        for row in rows:
            w = wall[row]
            per = [(statistics.median(r["rate"] for r in w[b]), b) for b in ("new", "old")]
            out.append(f"  {ROWS[row][2]:<26}" + "  ".join(
                f"{b}: {rate / socat:.3f}x socat, {rate / floor:.3f}x floor" for rate, b in per))
    if failed:
        out.append("")
        out.append("left out, a build could not run them: "
                   + ", ".join(ROWS[r][2] for r in sorted(failed)))
    out.append("")
    out.append("ratios are new/old medians of the rounds: below 1 is faster or fewer")
    print("\n".join(out))
    c.bench.cleanup()


if __name__ == "__main__":
    main()
