#!/usr/bin/env python3
"""A link pulled for a while: the headless program in one network namespace
sends a steady spot feed over a telnet client port (KeepAlive 1) to a partner
in another, through a third that routes between them; the router's link to
the partner is set down and, after the pull, up again. The router sends what
it has no route for into a black hole, so the program's packets vanish on the
way without a word, as they do when a cable is pulled somewhere along the
path. (A link set down beside the program makes its own kernel refuse them,
and an "unreachable" from a router makes TCP retry at once; either way TCP
gets through within a second of the link's return, and a keep-alive sees
nothing.) Prints when the program noticed, when spots reached the
partner again, and the spots lost and duplicated. Needs root (ip netns).
Nothing is asserted."""

import argparse
import ctypes
import os
import selectors
import socket
import subprocess
import sys
import tempfile
import threading
import time

CLONE_NEWNET = 0x40000000
LIBC = ctypes.CDLL(None, use_errno=True)

FEED_PORT = 17400
PARTNER_PORT = 17401


def run(cmd):
    subprocess.run(cmd, shell=True, check=True, stdout=subprocess.DEVNULL,
                   stderr=subprocess.DEVNULL)


def enter(path):
    fd = os.open(path, os.O_RDONLY)
    try:
        if LIBC.setns(fd, CLONE_NEWNET) != 0:
            raise OSError(ctypes.get_errno(), "setns " + path)
    finally:
        os.close(fd)


def listener(ns, host, port):
    """A listening socket made inside namespace ns."""
    home = "/proc/thread-self/ns/net"
    home_fd = os.open(home, os.O_RDONLY)
    try:
        enter(f"/var/run/netns/{ns}")
        s = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
        s.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
        s.bind((host, port))
        s.listen(4)
        return s
    finally:
        LIBC.setns(home_fd, CLONE_NEWNET)
        os.close(home_fd)


def spot_line(n):
    """A unique "DX de" line numbered n in its comment (77 bytes, CR LF)."""
    letters = "".join(chr(65 + (n // 10 // 26 ** i) % 26) for i in range(3))
    call = f"W{n % 10}{letters}"
    freq = f"{14000 + (n % 3000) / 10:.1f}"
    line = "DX de DL1ABC:"
    line += " " * (24 - len(freq) - len(line)) + freq + "  " + call
    line += " " * (39 - len(line)) + f"CQ #{n}"
    line += " " * (70 - len(line)) + "1200Z"
    return line + "\r\n"


SETUP = """NumberOfPorts=2
FontSize=20
FontWeight=400
FontFace=Courier New
PortType=TEL
BufferSize=32000
KeepAlive=0
ScriptSteps=0
AutoReConnect=0
AutoTime=60
PortName=FEED
IsTNCPort=0
StreamSW=|
PortStreamID=A
HostName=127.0.0.1
PortNumber={feed_port}
InputType=1
MyCall=N0CALL
AntiLoopPrefix= <
DupeLength=1000
CRLFOption=3
BlockDashAtOption=0
StripAtPoundOption=0
OnlyPassSkimmerCQOption=0
PortType=TEL
BufferSize=32000
KeepAlive={keep_alive}
ScriptSteps=0
AutoReConnect=1
AutoTime={auto_time}
PortName=LINK
IsTNCPort=0
StreamSW=|
PortStreamID=A
HostName={partner}
PortNumber={partner_port}
InputType=2
MyCall=N0CALL
HopsOut=99
AntiLoopPrefix= <
DupeLength=1000
CRLFOption=3
BlockDashAtOption=0
StripAtPoundOption=0
OnlyPassSkimmerCQOption=0
Trace=0
Port=2
Port=0
Port=0
Port=0
Trace=0
Port=0
Port=0
Port=0
Port=0
"""


class Partner(threading.Thread):
    """The far end: takes every connection, notes the first arrival time and
    the count of every numbered line, and answers an empty line (the
    program's keep-alive) with a prompt, as a node does."""

    def __init__(self, sock, clock):
        super().__init__(daemon=True)
        self.sock, self.clock = sock, clock
        self.first, self.count, self.connects = {}, {}, []
        self.stop = threading.Event()

    def run(self):
        sel = selectors.DefaultSelector()
        self.sock.setblocking(False)
        sel.register(self.sock, selectors.EVENT_READ, None)
        while not self.stop.is_set():
            for key, _ in sel.select(0.2):
                if key.data is None:
                    conn, _ = self.sock.accept()
                    conn.setblocking(False)
                    self.connects.append(self.clock())
                    sel.register(conn, selectors.EVENT_READ, {"rest": b"", "id": len(self.connects)})
                    continue
                conn, state = key.fileobj, key.data
                try:
                    data = conn.recv(65536)
                except OSError:
                    data = b""
                if not data:
                    sel.unregister(conn)
                    conn.close()
                    continue
                lines = (state["rest"] + data).split(b"\n")
                state["rest"] = lines.pop()
                now = self.clock()
                for raw in lines:
                    line = raw.rstrip(b"\r")
                    if not line:
                        try:
                            conn.send(b"N0CALL de PARTNER >\r\n")
                        except OSError:
                            pass
                        continue
                    mark = line.find(b"#")
                    if mark < 0:
                        continue
                    digits = line[mark + 1:].split(maxsplit=1)[0].split(b"^")[0]
                    if digits.isdigit():
                        n = int(digits)
                        self.first.setdefault(n, (now, state["id"]))
                        self.count[n] = self.count.get(n, 0) + 1


class Feeder(threading.Thread):
    """The spot source the program's FEED port calls: numbered lines at a
    steady rate, with the send time of each."""

    def __init__(self, sock, rate, clock):
        super().__init__(daemon=True)
        self.sock, self.rate, self.clock = sock, rate, clock
        self.sent = []
        self.stop = threading.Event()

    def run(self):
        conn, _ = self.sock.accept()
        start = time.monotonic()
        n = 0
        while not self.stop.is_set():
            due = start + n / self.rate
            wait = due - time.monotonic()
            if wait > 0:
                time.sleep(wait)
            n += 1
            self.sent.append(self.clock())
            conn.sendall(spot_line(n).encode())
        conn.close()


class Follow(threading.Thread):
    """The program's --follow output: the times of the LINK port's notes."""

    def __init__(self, proc, clock, log):
        super().__init__(daemon=True)
        self.proc, self.clock, self.log = proc, clock, log
        self.events = []

    def run(self):
        for raw in self.proc.stdout:
            text = raw.decode(errors="replace")
            if "LINK" in text:
                self.log.write(f"{self.clock():9.3f} {text}")
                for word in ("Port Timeout", "Port disconnected", "Port connected.",
                             "held line", "partner stopped reading", "Error connecting"):
                    if word in text:
                        self.events.append((self.clock(), word, text.strip()))


def main():
    ap = argparse.ArgumentParser(description=__doc__)
    ap.add_argument("--spotweaver", required=True)
    ap.add_argument("--rate", type=float, default=50.0, help="spots a second (50)")
    ap.add_argument("--pull", type=float, default=60.0, help="seconds the link is down (60)")
    ap.add_argument("--settle", type=float, default=30.0,
                    help="seconds from the link's start to the pull (30): the first "
                         "keep-alive then goes out 30 s into the pull")
    ap.add_argument("--after", type=float, default=30.0,
                    help="seconds of feed once spots arrive again (30)")
    ap.add_argument("--give-up", type=float, default=300.0,
                    help="seconds after the link returns without spots before giving up (300)")
    ap.add_argument("--keep-alive", type=int, default=1, help="the LINK port's KeepAlive (1)")
    ap.add_argument("--auto-time", type=int, default=10, help="the LINK port's AutoTime (10)")
    ap.add_argument("--label", default="")
    a = ap.parse_args()

    if os.geteuid() != 0:
        print("link-pull: needs root for network namespaces", file=sys.stderr)
        return 2
    tag = str(os.getpid())
    ns_a, ns_r, ns_b = "swlpA" + tag, "swlpR" + tag, "swlpB" + tag
    addr_a, addr_b = "10.231.1.2", "10.231.2.2"
    work = tempfile.mkdtemp(prefix="sw-link-pull-")
    t0 = time.monotonic()

    def clock():
        return time.monotonic() - t0

    proc = None
    try:
        for ns in (ns_a, ns_r, ns_b):
            run(f"ip netns add {ns}")
            run(f"ip -n {ns} link set lo up")
        # A <-> R on 10.231.1.0/24, R <-> B on 10.231.2.0/24.
        for ns, net in ((ns_a, 1), (ns_b, 2)):
            here, there = f"lp{net}h{tag}", f"lp{net}r{tag}"
            run(f"ip link add {here} netns {ns} type veth peer name {there} netns {ns_r}")
            run(f"ip -n {ns} addr add 10.231.{net}.2/24 dev {here}")
            run(f"ip -n {ns_r} addr add 10.231.{net}.1/24 dev {there}")
            run(f"ip -n {ns} link set {here} up")
            run(f"ip -n {ns_r} link set {there} up")
            run(f"ip -n {ns} route add default via 10.231.{net}.1")
        run(f"ip netns exec {ns_r} sysctl -qw net.ipv4.ip_forward=1")
        run(f"ip -n {ns_r} route add blackhole default")
        pulled_dev = f"lp2r{tag}"

        feed_sock = listener(ns_a, "127.0.0.1", FEED_PORT)
        partner_sock = listener(ns_b, addr_b, PARTNER_PORT)
        partner = Partner(partner_sock, clock)
        partner.start()
        feeder = Feeder(feed_sock, a.rate, clock)
        feeder.start()

        setup = os.path.join(work, "link-pull.ini")
        with open(setup, "w") as f:
            f.write(SETUP.format(feed_port=FEED_PORT, keep_alive=a.keep_alive,
                                 auto_time=a.auto_time, partner=addr_b,
                                 partner_port=PARTNER_PORT).replace("\n", "\r\n"))
        log = open(os.path.join(work, "follow.log"), "w")
        proc = subprocess.Popen(["ip", "netns", "exec", ns_a, os.path.abspath(a.spotweaver),
                                 "--headless", setup, "/START", "--follow"], cwd=work,
                                stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                                stderr=subprocess.STDOUT)
        follow = Follow(proc, clock, log)
        follow.start()

        linked = None
        while linked is None and clock() < 30:
            linked = next((t for t, w, _ in follow.events if w == "Port connected."), None)
            time.sleep(0.1)
        if linked is None:
            print("link-pull: the LINK port did not connect; see " + work)
            return 1
        time.sleep(max(0.0, linked + a.settle - clock()))
        if not partner.first:
            print("link-pull: no spot reached the partner before the pull; see " + work)
            return 1
        pulled = clock()
        run(f"ip -n {ns_r} link set {pulled_dev} down")
        time.sleep(a.pull)
        returned = clock()
        run(f"ip -n {ns_r} link set {pulled_dev} up")

        # Spots again: the first line, sent after the link returned, that
        # arrives on a connection made after the pull.
        def after_pull(conn):
            return partner.connects[conn - 1] >= pulled

        def routed_again():
            return any(w >= returned for w, _ in list(partner.first.values()))

        deadline = returned + a.give_up
        while clock() < deadline and not routed_again():
            time.sleep(0.2)
        time.sleep(a.after)
        feeder.stop.set()
        feeder.join()
        stopped = clock()
        time.sleep(3)
        partner.stop.set()
        partner.join()

        sent = len(feeder.sent)
        lost = [n for n in range(1, sent + 1) if n not in partner.count]
        dup = sum(c - 1 for c in partner.count.values() if c > 1)
        again = min((w for w, _ in partner.first.values() if w >= returned), default=None)
        again_new = min((w for w, c in partner.first.values() if after_pull(c)), default=None)
        notices = [(t, w) for t, w, _ in follow.events
                   if t >= pulled and w in ("Port Timeout", "partner stopped reading",
                                            "Port disconnected")]
        notice = notices[0][0] - pulled if notices else None
        in_gap = [n for n in lost if pulled <= feeder.sent[n - 1] <= stopped]
        label = f" ({a.label})" if a.label else ""
        print(f"link pulled for {a.pull:.0f} s{label}: {a.rate:.0f} spots/s, KeepAlive "
              f"{a.keep_alive}, AutoTime {a.auto_time}, connections {len(partner.connects)}")
        print("  noticed after:        " +
              (f"{notice:.1f} s" if notice is not None else "never (within the run)"))
        print("  routing again after:  " +
              (f"{again - returned:.1f} s after the link returned" if again else "never"))
        print("  on a new connection:  " +
              (f"{again_new - returned:.1f} s after the link returned" if again_new
               else "none"))
        print(f"  spots sent: {sent}, lost: {len(lost)} ({len(in_gap)} of them sent during "
              f"the pull or after), duplicated: {dup}")
        if lost:
            print(f"  lost numbers: {lost[0]} .. {lost[-1]}")
        for t, word, text in follow.events:
            print(f"  {t - pulled:+8.1f} s  {text}")
        print(f"  work directory: {work}")
        return 0
    finally:
        if proc is not None:
            proc.terminate()
            try:
                proc.wait(10)
            except subprocess.TimeoutExpired:
                proc.kill()
        subprocess.run(f"ip netns del {ns_a}; ip netns del {ns_r}; ip netns del {ns_b}", shell=True,
                       stderr=subprocess.DEVNULL)


if __name__ == "__main__":
    sys.exit(main())
