#!/usr/bin/env bash
# The soak in one command: builds Spotweaver and the benchmark helpers in
# Release, then runs 10,000,000 spots (about 7 minutes) through the headless
# fan-out route: three node-link callers that stay, a fourth that hangs up and
# calls again every 10 s, the CT network sink and the log file. Prints the
# rate, memory at start, peak and end, descriptors, and per output the lines
# lost, duplicated and out of order. Nothing is asserted.
#
#   bash bench/soak.sh                  # 10,000,000 lines
#   bash bench/soak.sh --lines 1000000  # a shorter run
#
# Other options go to bench/e2e/soak.py (--help). BENCH_BUILD_DIR chooses the
# build directory (default build-bench); --no-build uses it as it is.
set -euo pipefail
cd "$(dirname "$0")/.."

source bench/build-tools.sh
bench_options "$@"

if [ -z "$no_build" ]; then
    bench_build "$build_dir"
fi

exec python3 bench/e2e/soak.py --bin "$build_dir/bin" --spotweaver "$build_dir/bin/spotweaver" \
    "${args[@]}"
