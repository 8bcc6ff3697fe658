#!/usr/bin/env bash
# Sets up, builds and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
build_dir=${BUILD_DIR:-build}
ctest --test-dir "$build_dir" --output-on-failure --no-tests=error -j2 --timeout 300
