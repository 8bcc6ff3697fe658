#!/usr/bin/env bash
# The web port under load: a telnet feed routed flat out to a telnet server
# port and, 1,000 spots a second, to a web port with 200 WebSocket clients.
# Prints the telnet server port's lines/s without and with the clients, the
# push latency to the clients and GET /spots at 1,000 requests a second.
# About 2 minutes. Nothing is asserted; the goals are reported.
#
#   bash bench/web.sh                  # builds, then one run
#   bash bench/web.sh --seconds 5      # options go to bench/e2e/web_bench.py
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

exec python3 bench/e2e/web_bench.py --spotweaver "${SPOTWEAVER:-$build_dir/bin/spotweaver}" \
    "${args[@]}"
