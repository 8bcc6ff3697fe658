#!/usr/bin/env python3
"""End-to-end check of skimmer merging with a real contest logger.

  skimmer replay (replay.py, 127.0.0.1:17350)
     |  FEED: telnet client port, Cluster User
     v
  spotweaver --headless skimmer-e2e.ini /START
     |-- LOGGER: telnet server port 127.0.0.1:17351, CT User, merging --> TLF (in tmux)
     `-- LOG: log file skimmer-e2e.log, CT User, merging

TLF runs in a tmux session with its own logcfg.dat (its cluster is the LOGGER
port, CLUSTER_LOG keeps what it receives in "clusterlog"). After the stream
and the dwell, the script reads TLF's screen (the band map) and checks that
the log file, TLF's clusterlog and the band map each hold every station heard
by two or more skimmers exactly once, and none of those heard by one. It
prints what it found and exits 1 on a mismatch. Usage:

  python3 bench/skimmer-e2e/run.py [--binary build/bin/spotweaver] [--keep]
"""

import argparse
import collections
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
SESSION = "sw-skimmer-e2e"
SPOT = re.compile(r"^DX de (\S+):\s+(\d+\.\d)\s+(\S+)\s+(.*?)\s+(\d{4}Z)\s*$")
BANDMAP = re.compile(r"\b(1\d{4}\.\d)\s{2,}([A-Z0-9/]+)")


def spots(path):
    found = []
    with open(path, errors="replace") as text:
        for line in text:
            match = SPOT.match(line.rstrip("\r\n"))
            if match:
                found.append(match.groups())
    return found


def tmux(*args):
    return subprocess.run(["tmux", *args], check=False, capture_output=True, text=True).stdout


def verdict(name, calls, expected, singles):
    counts = collections.Counter(calls)
    missing = sorted(set(expected) - set(counts))
    twice = sorted(c for c, n in counts.items() if n > 1)
    held = sorted(set(counts) & set(singles))
    ok = not missing and not twice and not held
    print(f"{name:<20} {len(calls):>3} entries, {len(counts):>3} stations; missing {missing or 0}, "
          f"more than once {twice or 0}, heard by one skimmer {held or 0}: "
          f"{'OK' if ok else 'WRONG'}")
    return ok


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--binary", default="build/bin/spotweaver")
    parser.add_argument("--stations", type=int, default=40)
    parser.add_argument("--keep", action="store_true", help="keep the work directory")
    args = parser.parse_args()
    binary = os.path.abspath(args.binary)
    for tool in ("tlf", "tmux"):
        if shutil.which(tool) is None:
            sys.exit(f"{tool} is not installed (apt-get install {tool})")

    work = tempfile.mkdtemp(prefix="sw-skimmer-e2e-")
    for name in ("skimmer-e2e.ini", "logcfg.dat"):
        shutil.copy(os.path.join(HERE, name), work)
    gap, delay, singles = 0.3, 10.0, 5
    replay = subprocess.Popen(
        [sys.executable, os.path.join(HERE, "replay.py"), "--stations", str(args.stations),
         "--singles", str(singles), "--gap", str(gap), "--delay", str(delay), "--linger", "60",
         "--manifest", "manifest.txt"],
        cwd=work, stderr=open(os.path.join(work, "replay.out"), "w"))
    time.sleep(0.5)
    program = subprocess.Popen([binary, "--headless", "--follow", "skimmer-e2e.ini", "/START"],
                               cwd=work, stdin=subprocess.DEVNULL,
                               stdout=open(os.path.join(work, "spotweaver.out"), "w"),
                               stderr=subprocess.STDOUT)
    ok = False
    try:
        time.sleep(1)
        tmux("kill-session", "-t", SESSION)
        tmux("new-session", "-d", "-s", SESSION, "-x", "160", "-y", "60", "-c", work,
             "tlf -r -f logcfg.dat")
        time.sleep(2)
        # "Press any key to continue!"; TLF then logs in and shows the log
        # screen with the band map. (Its ":" cluster screen would hold the
        # band map still: spots that arrive there never reach it.)
        tmux("send-keys", "-t", SESSION, "Escape")
        # The stream, the longest burst (2 s) and the dwell (10 s), with room.
        time.sleep(delay + (args.stations + singles) * gap + 2 + 10 + 4)
        # TLF redraws its band map as keys come in: Ctrl-L redraws the screen.
        tmux("send-keys", "-t", SESSION, "C-l")
        time.sleep(2)
        screen = tmux("capture-pane", "-p", "-t", SESSION)
        with open(os.path.join(work, "tlf-screen.txt"), "w") as out:
            out.write(screen)

        with open(os.path.join(work, "manifest.txt")) as text:
            expected = [line.split()[0] for line in text if line.strip()]
        with open(os.path.join(work, "replay.out")) as text:
            sent = text.read().strip()
        singles_calls = set()
        for line in open(os.path.join(work, "spotweaver.out"), errors="replace"):
            match = SPOT.match(line.removeprefix("FEED| ").rstrip())
            if match and match.group(3) not in expected:
                singles_calls.add(match.group(3))
        logged = spots(os.path.join(work, "skimmer-e2e.log"))
        received = spots(os.path.join(work, "clusterlog"))
        shown = [call for _, call in BANDMAP.findall(screen)]
        print(sent)
        print(f"stations heard by two or more skimmers: {len(expected)}; by one: "
              f"{len(singles_calls)}")
        print("merged, as the log file has them (first three):")
        for spot in logged[:3]:
            print("  DX de %s: %s %s %s %s" % spot)
        ok = all([
            verdict("log file", [s[2] for s in logged], expected, singles_calls),
            verdict("TLF received", [s[2] for s in received], expected, singles_calls),
            verdict("TLF band map", shown, expected, singles_calls),
        ])
        q = collections.Counter(re.search(r"Q:(\d)", s[3]).group(1) for s in logged)
        print("Q marks in the log file:", dict(sorted(q.items())),
              "; with Z:", sum(" Z:" in s[3] for s in logged))
    finally:
        tmux("kill-session", "-t", SESSION)
        program.terminate()
        replay.terminate()
        program.wait()
        replay.wait()
        if args.keep:
            print("work directory:", work)
        else:
            shutil.rmtree(work)
    return 0 if ok else 1


if __name__ == "__main__":
    sys.exit(main())
