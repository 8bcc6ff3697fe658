#!/usr/bin/env bash
# Fails when a C++ source differs from the layout .clang-format gives.
set -euo pipefail
cd "$(dirname "$0")/.."
files=$(git ls-files '*.cpp' '*.h' 2>/dev/null || find src tests bench fuzz -name '*.cpp' -o -name '*.h')
# shellcheck disable=SC2086
clang-format --dry-run --Werror $files
echo "Every C++ source matches .clang-format."
