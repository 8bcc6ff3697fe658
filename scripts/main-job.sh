#!/usr/bin/env bash
# Sets up, builds, and runs the bundled example.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
./build/bin/spotweaver --help
