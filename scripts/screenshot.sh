#!/usr/bin/env bash
# Takes a picture of the desktop program as a person sees it: the main window
# with the port windows of examples/gui-demo.ini, connected, after a cluster
# feed sent it the spots of examples/demo-spots.txt over telnet. Runs under a
# virtual X server and writes docs/screenshot.png (or the path given).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
out=${1:-$root/docs/screenshot.png}
build_dir=${BUILD_DIR:-build}
program=$root/$build_dir/bin/spotweaver

need=()
command -v xvfb-run >/dev/null || need+=(xvfb)
command -v xauth >/dev/null || need+=(xauth)
if [ "${#need[@]}" -gt 0 ]; then
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    apt-get install -y -qq --no-install-recommends "${need[@]}"
fi
if [ ! -x "$program" ]; then
    [ -f "$build_dir/build.ninja" ] || cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
    cmake --build "$build_dir" --target spotweaver
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp examples/gui-demo.ini "$work/"
mkdir -p "$(dirname "$out")"
rm -f "$out"

# The program writes the picture itself SPOTWEAVER_SCREENSHOT_MS after start
# and then ends.
(
    cd "$work"
    SPOTWEAVER_SCREENSHOT="$out" SPOTWEAVER_SCREENSHOT_MS=7500 \
        xvfb-run -a -s "-screen 0 1280x900x24" "$program" gui-demo.ini /START
) &
gui=$!

# The cluster feed: connect to the NODE port once it listens, send the spots
# a line at a time, and stay connected until the picture is taken.
feed() {
    for _ in $(seq 1 40); do
        if exec 3<>/dev/tcp/127.0.0.1/7373; then
            while IFS= read -r line; do
                printf '%s\r\n' "$line" >&3
                sleep 0.2
            done < examples/demo-spots.txt
            printf '%s\r\n' "DX de G4ABC:     14025.0  VP8LP        CQ up 2                        1201Z" >&3
            return 0
        fi
        sleep 0.25
    done
    echo "screenshot: the NODE port never listened" >&2
    return 1
}
feed 2>/dev/null || true
wait "$gui"
exec 3>&- || true
[ -s "$out" ] || { echo "screenshot: no picture was written" >&2; exit 1; }
echo "screenshot: $out"
