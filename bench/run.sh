#!/usr/bin/env bash
# The end-to-end benchmark in one command: builds Spotweaver and the benchmark
# helpers in Release, then measures the socat relay, the I/O floor, Spotweaver
# headless and Spotweaver's GUI (offscreen, 33 windows) on the same loopback
# route and prints one table. Nothing is asserted; the goals are reported.
#
#   bash bench/run.sh            # 1,000,000 lines, 10 s latency runs
#   bash bench/run.sh --quick    # 100,000 lines, 3 s latency runs
#   bash bench/run.sh --no-gui   # leave out the GUI run
#
# Other options go to the driver (python3 bench/e2e/driver.py --help), for
# example --lines 500000, --systems socat,floor,headless, --keep.
# BENCH_BUILD_DIR chooses the build directory (default build-bench).
set -euo pipefail
cd "$(dirname "$0")/.."

build_dir=${BENCH_BUILD_DIR:-build-bench}
args=()
systems="socat,floor,headless,filtered,fanout,gui"
for arg in "$@"; do
    case "$arg" in
    --quick) args+=(--lines 100000 --latency-seconds 3) ;;
    --no-gui) systems="socat,floor,headless,filtered,fanout" ;;
    --no-build) no_build=1 ;;
    *) args+=("$arg") ;;
    esac
done

missing=()
command -v socat >/dev/null || missing+=(socat)
command -v python3 >/dev/null || missing+=(python3)
if [ "${#missing[@]}" -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

if [ -z "${no_build:-}" ]; then
    source bench/build-tools.sh
    bench_build "$build_dir"
fi

exec python3 bench/e2e/driver.py --bin "$build_dir/bin" --spotweaver "$build_dir/bin/spotweaver" \
    --systems "$systems" --latency-systems "$systems" "${args[@]}"
