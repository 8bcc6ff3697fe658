#!/usr/bin/env bash
# The MQTT port against a local Mosquitto broker: PSK Reporter reports in at
# 300/s and 10,000/s, and JSON spots out at 10,000/s. Prints one table of CPU
# seconds per million messages, peak memory and messages lost, then what a
# 10,000/s flood of reports costs a telnet route of the same program.
#
#   bash bench/mqtt.sh                 # streams of 20 s each
#   bash bench/mqtt.sh --seconds 60    # options go to bench/e2e/mqtt.py
#   bash bench/mqtt.sh --no-build      # use the program already built
# BENCH_BUILD_DIR chooses the build directory (default build-bench).
set -euo pipefail
cd "$(dirname "$0")/.."

source bench/build-tools.sh
bench_options "$@"

if [ ! -x /usr/sbin/mosquitto ]; then
    echo "Installing: mosquitto"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    apt-get install -y -qq --no-install-recommends mosquitto
fi

if [ -z "$no_build" ]; then
    bench_build "$build_dir"
fi

exec python3 bench/e2e/mqtt.py --spotweaver "$build_dir/bin/spotweaver" "${args[@]}"
