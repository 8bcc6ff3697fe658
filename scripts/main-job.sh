#!/usr/bin/env bash
# Sets up and builds, then runs the bundled example: spots typed at the
# console are routed to four log files, each in the form of its data type,
# and over a telnet node link on this machine to a fifth.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh

top=$(pwd)
bin="$top/${BUILD_DIR:-build}/bin/spotweaver"
run=$(mktemp -d "${TMPDIR:-/tmp}/spotweaver-demo.XXXXXX")
cd "$run"

echo
echo "== Spotweaver demo in $run"
echo "   spotweaver --headless examples/demo.ini /START < examples/demo-spots.txt"
# The spots are typed a second after start-up, once the node link is up.
{ sleep 1; cat "$top/examples/demo-spots.txt"; } |
    "$bin" --headless "$top/examples/demo.ini" /START > console.txt 2> messages.txt &
pid=$!

# Nine lines go in; wait (at most ten seconds) until the last spot has reached
# the last logs, then stop the program as a service manager would.
for _ in $(seq 100); do
    if grep -q "VK9XX" cluster-user.log 2>/dev/null && grep -q "VK9XX" link-dx.log 2>/dev/null; then
        break
    fi
    sleep 0.1
done
kill -TERM "$pid"
status=0
wait "$pid" || status=$?

show() {
    echo
    echo "-- $1"
    echo "   $2"
    if [ -s "$1" ]; then
        sed 's/\r$//; s/^/   | /' "$1"
    else
        echo "   (empty)"
    fi
}

echo
echo "The program's own messages (standard error): the eight ports load, /START connects them."
sed 's/^/   | /' messages.txt
show console.txt "The console port CON (standard output): what came in on standard input, echoed, between its own connect and disconnect messages."
show ct-user.log "CTLOG, data type \"CT User\": spots as \"DX de\" display lines; other text (the WWV line) passes as it is."
show node-pc11.log "NODELOG, data type \"Cluster Node\": PC11 frames for a node link, with today's date, this station's call G4ABC, hop count 99, and the anti-loop mark \" <G4ABC\" in the comment."
show spider-commands.log "SPIDERLOG, data type \"Spider User\": \"DX \" commands a cluster login accepts."
show cluster-user.log "USERLOG, data type \"Cluster User\": \"DX/\" commands that name the original spotter."
show link-dx.log "LINKLOG, data type \"CT User\": the spots that NODEOUT sent as PC11 frames over telnet (127.0.0.1:7373) to LINK, read back and shown as \"DX de\" lines."
echo
echo "The VP8LP spot came in twice (1201Z and 1215Z); every log wrote it once: each port drops dupes."
echo "Stopped with SIGTERM: exit status $status (0 means every port was disconnected cleanly)."
echo "Files are in $run (kept so that you can read them; rm -r $run when done)."
exit "$status"
