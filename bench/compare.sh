#!/usr/bin/env bash
# A guard against silent regressions on the per-line path: builds an earlier
# commit in a worktree of its own, runs the benchmark rows for it and for this
# tree alternately, and prints the median ratios of wall time and of
# instructions per spot (bench/e2e/compare.py).
#
#   bash bench/compare.sh                 # against the newest tag, 5 rounds
#   bash bench/compare.sh --base 91cab8d  # against any commit
#   bash bench/compare.sh --rounds 9
#   bash bench/compare.sh --quick         # 5 rounds of 50,000 lines, short callgrind
#                                         # and latency runs
#   bash bench/compare.sh --rows console,latency   # only some rows
#
# Other options go to compare.py (--rows, --lines, --instr-lines,
# --latency-rate, --latency-seconds, --no-wall, --no-instr). BENCH_BUILD_DIR chooses this tree's build (default
# build-bench); the earlier commit builds in build-compare/<commit>/src/.
# An older commit may need the packages its own scripts/setup.sh lists
# (baseline-a57bfc8: qt6-serialport-dev).
set -euo pipefail
cd "$(dirname "$0")/.."

base=""
args=()
while [ $# -gt 0 ]; do
    case "$1" in
    --base) base=$2; shift ;;
    --rounds) args+=(--rounds "$2"); shift ;;
    --quick) args+=(--rounds 5 --lines 50000 --instr-lines 2000,8000 --latency-seconds 2) ;;
    --no-build) no_build=1 ;;
    *) args+=("$1") ;;
    esac
    shift
done
if [ -z "$base" ]; then
    base=$(git for-each-ref --sort=-creatordate --count=1 --format='%(refname:short)' refs/tags)
    [ -n "$base" ] || { echo "compare: no tag to compare with; give --base" >&2; exit 1; }
fi
sha=$(git rev-parse --short=7 "$base^{commit}")

for tool in socat valgrind python3; do
    command -v "$tool" >/dev/null || { echo "compare: $tool is missing (scripts/setup.sh)" >&2; exit 1; }
done

build_dir=${BENCH_BUILD_DIR:-build-bench}
old_tree=build-compare/$sha/src
# The build sits in its tree as this tree's does, so that a compiler cache
# with a base directory finds the objects of every unchanged file.
old_build=$old_tree/${build_dir##*/}
if [ -z "${no_build:-}" ]; then
    source bench/build-tools.sh
    bench_build "$build_dir"
    if [ ! -d "$old_tree" ]; then
        git worktree add --detach "$old_tree" "$sha"
    fi
    if [ ! -f "$old_build/build.ninja" ]; then
        launcher=()
        if command -v ccache >/dev/null; then
            launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
        fi
        cmake -S "$old_tree" -B "$old_build" -G Ninja -DCMAKE_BUILD_TYPE=Release "${launcher[@]}"
    fi
    # Only the program: the feed, sinks and floor are this tree's, the same
    # for both builds.
    cmake --build "$old_build" --target spotweaver
fi

exec python3 bench/e2e/compare.py --bin "$build_dir/bin" --new "$build_dir/bin/spotweaver" \
    --old "$old_build/bin/spotweaver" --old-name "$base ($sha)" "${args[@]}"
