#!/usr/bin/env bash
# Builds the fuzz targets with clang and runs each for the given seconds
# (default 30) on its seed corpus. Crashing inputs land in build-fuzz/crashes/.
#   bash scripts/fuzz.sh [seconds]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-30}
bash scripts/setup.sh --packages >/dev/null
if [ ! -f build-fuzz/build.ninja ]; then
    CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DSPOTWEAVER_FUZZ=ON -DSPOTWEAVER_BUILD_GUI=OFF -DSPOTWEAVER_BUILD_BENCH=OFF >/dev/null
fi
targets=$(cd fuzz && ls *Fuzz.cpp | sed 's/\.cpp$//')
# shellcheck disable=SC2086
cmake --build build-fuzz --target $targets
mkdir -p build-fuzz/crashes
status=0
for t in $targets; do
    corpus="fuzz/corpus/$t"
    work="build-fuzz/corpus/$t"
    mkdir -p "$work"
    [ -d "$corpus" ] && cp -n "$corpus"/* "$work"/ 2>/dev/null || true
    echo "== $t: ${seconds}s"
    if ! "build-fuzz/fuzz/$t" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
            -max_len=65536 -artifact_prefix="build-fuzz/crashes/$t-" -print_final_stats=1 \
            "$work" 2>"build-fuzz/$t.log"; then
        echo "FAIL: $t found a problem (see build-fuzz/$t.log and build-fuzz/crashes/)"
        tail -40 "build-fuzz/$t.log"
        status=1
    else
        grep -E 'stat::number_of_executed_units|cov:' "build-fuzz/$t.log" | tail -2
    fi
done
exit $status
