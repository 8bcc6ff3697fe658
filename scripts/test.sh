#!/usr/bin/env bash
# Sets up, builds and runs every test: the fuzz targets briefly, the whole
# suite under AddressSanitizer and UndefinedBehaviorSanitizer, then the whole
# suite on the normal build. Each stage says how long it took. When the fuzz
# targets or the sanitizer suite fail, the failed tests' own output is shown
# and the normal suite still runs, so that its summary is the last thing
# printed; the exit status is non-zero when anything failed.
#   SPOTWEAVER_QUICK=1 bash scripts/test.sh   # only the normal build's suite
#   SPOTWEAVER_FUZZ_SECONDS=600 bash scripts/test.sh
set -euo pipefail
cd "$(dirname "$0")/.."

stage=""
stage_start=0
times=()
failed=()

begin() {
    stage=$1
    stage_start=$SECONDS
    echo
    echo "==== $stage"
}

end() {
    local took=$((SECONDS - stage_start))
    times+=("$(printf '%-26s %5d s' "$stage" "$took")")
    echo "---- $stage: $took s"
}

# Prints, from a ctest log, each failed test's result line with the output
# that follows it (at most 400 lines a test), then the run's summary.
show_failed_tests() {
    awk '/^ *[0-9]+\/[0-9]+ Test +#[0-9]+:/ { show = /\*\*\*/ && !/\*\*\*Skipped/; n = 0 }
         /^ +Start +[0-9]+:/ || /tests passed, .* tests failed out of/ { show = 0 }
         show && n++ < 400 { print }' "$1"
    sed -n '/tests passed, .* tests failed out of/,$p' "$1"
}

begin "packages"
bash scripts/setup.sh --packages
end

if [ "${SPOTWEAVER_QUICK:-0}" != 1 ]; then
    begin "fuzz build and run"
    bash scripts/fuzz.sh "${SPOTWEAVER_FUZZ_SECONDS:-12}" || failed+=("fuzz targets")
    end

    begin "sanitizer build"
    BUILD_DIR=build-asan \
        SPOTWEAVER_CMAKE_ARGS="-DSPOTWEAVER_SANITIZE=ON -DSPOTWEAVER_BUILD_BENCH=OFF" \
        bash scripts/setup.sh
    end

    begin "sanitizer suite"
    log=$PWD/build-asan/ctest.log
    if ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1} \
        ctest --test-dir build-asan --output-on-failure --no-tests=error -j2 --timeout 600 \
        >"$log" 2>&1; then
        tail -3 "$log"
    else
        echo "FAILED: the sanitizer suite. Each failed test with its own output:"
        show_failed_tests "$log"
        failed+=("sanitizer suite")
    fi
    echo "The whole log: $log"
    end
fi

begin "normal build"
bash scripts/setup.sh
end

echo
echo "Time per stage (the normal suite's own is its \"Total Test time\" below):"
printf '    %s\n' "${times[@]}"
if [ "${#failed[@]}" -gt 0 ]; then
    echo "FAILED so far: ${failed[*]} (shown above). The normal suite runs all the same."
fi

begin "normal suite"
status=0
ctest --test-dir "${BUILD_DIR:-build}" --output-on-failure --no-tests=error -j2 --timeout 300 ||
    status=$?
[ "${#failed[@]}" -eq 0 ] || [ "$status" -ne 0 ] || status=1
exit "$status"
