#!/usr/bin/env python3
"""A skimmer feed on loopback for the end-to-end merging check.

Listens on 127.0.0.1 (port 17350 unless told), and sends the first caller a
generated stream of skimmer reports in the layout of a reverse-beacon telnet
feed (without its login, which the port would need a connect script for):

  DX de KM3T-#:     14025.2  K1ABC        CW    24 dB  22 WPM  CQ      2259Z

Each station calls CQ once and is heard by 2 to 11 skimmers a little apart
in frequency, within about two seconds; a few calls are heard by one
skimmer only (a merging port holds them back). Stations start a burst
every --gap seconds. The stream is made from a fixed seed; --manifest writes
what a merging port should send: one line per station, "call kHz skimmers".
The stream starts --delay seconds after the caller came (time for a logger
to connect to the merging port). After the stream the connection stays open (a feed that ends would make the
port reconnect) until --linger seconds pass.
"""

import argparse
import random
import socket
import sys
import time

SKIMMERS = [
    "KM3T", "W3LPL", "VE2WU", "DK9IP", "OH6BG", "G4ZFE", "N6TV", "W1NT", "AC0C",
    "JA1XYZ", "VK2GEL", "ZL2HAM", "PY1NB", "EA8BFK", "UA9CDX", "RA0CCK", "K9LC",
    "WZ7I", "HB9DCO", "SM7IUN", "OE9GHV", "LZ4AE", "CX6VM", "ZS6RBN",
]
PREFIXES = ["K", "W", "N", "DL", "G", "F", "I", "JA", "VE", "PY", "EA", "UA", "OK", "SP"]


def make_call(rng):
    return (rng.choice(PREFIXES) + str(rng.randrange(10)) +
            "".join(chr(ord("A") + rng.randrange(26)) for _ in range(rng.choice((2, 3)))))


def make_stream(stations, singles, gap, seed):
    rng = random.Random(seed)
    calls = set()
    while len(calls) < stations + singles:
        calls.add(make_call(rng))
    calls = sorted(calls)
    rng.shuffle(calls)
    events = []  # (seconds from start, line)
    manifest = []
    # 20 m CW, the stations at least 0.6 kHz apart: a band map keeps one
    # entry per frequency, so two stations on one would look like a lost spot.
    slots = rng.sample(range(5, 95), len(calls))
    for i, call in enumerate(calls):
        start = i * gap
        khz = 14000.0 + slots[i] + rng.randrange(5) / 10.0
        heard = 1 if i >= stations else rng.randrange(2, 12)
        speed = rng.randrange(18, 36)
        for skimmer in rng.sample(SKIMMERS, heard):
            offset = rng.choice((-0.1, 0.0, 0.0, 0.1, 0.2))
            events.append((start + rng.random() * 2.0, skimmer, khz + offset, call,
                           rng.randrange(3, 40), speed))
        if heard >= 2:
            manifest.append(f"{call} {khz:.1f} {heard}")
    events.sort()
    return events, manifest


def line(skimmer, khz, call, db, wpm):
    spotter = f"{skimmer}-#:"
    return (f"DX de {spotter:<10}{khz:>9.1f}  {call:<13}CW  {db:>4} dB  {wpm:>2} WPM  CQ"
            f"      {time.strftime('%H%MZ', time.gmtime())}")


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--port", type=int, default=17350)
    parser.add_argument("--stations", type=int, default=40, help="at most 85 with --singles")
    parser.add_argument("--singles", type=int, default=5)
    parser.add_argument("--gap", type=float, default=0.3)
    parser.add_argument("--seed", type=int, default=26)
    parser.add_argument("--delay", type=float, default=0.0,
                        help="seconds between the login prompt and the stream")
    parser.add_argument("--linger", type=float, default=60.0)
    parser.add_argument("--manifest")
    args = parser.parse_args()

    events, manifest = make_stream(args.stations, args.singles, args.gap, args.seed)
    if args.manifest:
        with open(args.manifest, "w") as out:
            out.write("\n".join(manifest) + "\n")

    server = socket.socket()
    server.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    server.bind(("127.0.0.1", args.port))
    server.listen(1)
    server.settimeout(args.linger)
    try:
        conn, _ = server.accept()
    except socket.timeout:
        print("replay: nobody called", file=sys.stderr)
        return 1
    time.sleep(args.delay)
    begin = time.monotonic()
    for at, skimmer, khz, call, db, wpm in events:
        delay = begin + at - time.monotonic()
        if delay > 0:
            time.sleep(delay)
        conn.sendall((line(skimmer, khz, call, db, wpm) + "\r\n").encode())
    print(f"replay: sent {len(events)} reports of {args.stations + args.singles} calls",
          file=sys.stderr)
    time.sleep(args.linger)
    conn.close()
    return 0


if __name__ == "__main__":
    sys.exit(main())
