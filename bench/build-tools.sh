# Sourced by the bench scripts: builds spotweaver and the benchmark helpers
# in Release into the folder given ($1), configuring it the first time.
bench_build() {
    local build_dir=$1
    if [ ! -f "$build_dir/build.ninja" ]; then
        cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=Release
    fi
    # grep reads the whole list (no -q): an early exit would end the build
    # tool with SIGPIPE, which pipefail reports as a failure.
    if ! cmake --build "$build_dir" --target help | grep sw_bench_e2e >/dev/null; then
        echo "bench: the benchmark targets are not configured; the build needs" >&2
        echo "Google Benchmark (libbenchmark-dev): run bash scripts/setup.sh first" >&2
        exit 1
    fi
    cmake --build "$build_dir" --target spotweaver sw_bench_e2e
}

# Reads a bench script's own options: sets build_dir (BENCH_BUILD_DIR, default
# build-bench), no_build for --no-build, and args to the rest, which go on to
# the script's driver.
bench_options() {
    build_dir=${BENCH_BUILD_DIR:-build-bench}
    no_build=
    args=()
    for arg in "$@"; do
        case "$arg" in
        --no-build) no_build=1 ;;
        *) args+=("$arg") ;;
        esac
    done
}
