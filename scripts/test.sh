#!/usr/bin/env bash
# Sets up, builds and runs every test: the fuzz targets briefly, the whole
# suite under AddressSanitizer and UndefinedBehaviorSanitizer, then the whole
# suite on the normal build (its summary is the last thing printed).
#   SPOTWEAVER_QUICK=1 bash scripts/test.sh   # only the normal build's suite
#   SPOTWEAVER_FUZZ_SECONDS=600 bash scripts/test.sh
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
if [ "${SPOTWEAVER_QUICK:-0}" != 1 ]; then
    bash scripts/fuzz.sh "${SPOTWEAVER_FUZZ_SECONDS:-30}"
    BUILD_DIR=build-asan \
        SPOTWEAVER_CMAKE_ARGS="-DSPOTWEAVER_SANITIZE=ON -DSPOTWEAVER_BUILD_BENCH=OFF" \
        bash scripts/setup.sh
    ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1} \
        ctest --test-dir build-asan --output-on-failure --no-tests=error -j2 --timeout 600 \
        >build-asan/ctest.log 2>&1 || { tail -200 build-asan/ctest.log; exit 1; }
    tail -3 build-asan/ctest.log
fi
ctest --test-dir "${BUILD_DIR:-build}" --output-on-failure --no-tests=error -j2 --timeout 300
