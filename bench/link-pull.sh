#!/usr/bin/env bash
# A link pulled for 60 s: the headless program in a network namespace feeds
# 50 spots a second over a telnet client port (Cluster Node, KeepAlive 1,
# AutoTime 10) to a partner in a second namespace, and the veth link between
# them is set down for 60 s. Prints the time to notice, the time until spots
# reach the partner again after the link returned, and the spots lost and
# duplicated. Needs root (ip netns); about 4 minutes. Nothing is asserted.
#
#   bash bench/link-pull.sh                 # builds, then one run
#   bash bench/link-pull.sh --pull 30       # options go to bench/e2e/link_pull.py
#
# BENCH_BUILD_DIR chooses the build directory (default build-bench); --no-build
# uses it as it is; SPOTWEAVER names another program to run.
set -euo pipefail
cd "$(dirname "$0")/.."

source bench/build-tools.sh
bench_options "$@"

if [ -z "$no_build" ] && [ -z "${SPOTWEAVER:-}" ]; then
    bench_build "$build_dir"
fi

exec python3 bench/e2e/link_pull.py --spotweaver "${SPOTWEAVER:-$build_dir/bin/spotweaver}" \
    "${args[@]}"
