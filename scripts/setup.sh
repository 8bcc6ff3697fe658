#!/usr/bin/env bash
# Installs the Debian packages the build needs (when missing), configures and
# builds into build/. Safe to run again; it only does what is left to do.
#   bash scripts/setup.sh --packages   # only the packages, no build
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(build-essential cmake ninja-build pkg-config qt6-base-dev
          libgtest-dev libgmock-dev libbenchmark-dev socat iproute2 clang
          libclang-rt-14-dev clang-format xvfb xauth desktop-file-utils man-db tango-icon-theme
          hamradio-files tlf tmux qt6-websockets-dev chromium chromium-driver
          python3-selenium libmosquitto-dev mosquitto)
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ "${#missing[@]}" -gt 0 ]; then
    if [ "$(id -u)" -ne 0 ]; then
        echo "Missing Debian packages: ${missing[*]}" >&2
        echo "Run this once as root to install them (on a fresh Debian without sudo: su -)." >&2
        exit 1
    fi
    echo "Installing: ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
[ "${1:-}" = --packages ] && exit 0

build_dir=${BUILD_DIR:-build}
extra=()
[ -n "${SPOTWEAVER_CMAKE_ARGS:-}" ] && read -r -a extra <<<"$SPOTWEAVER_CMAKE_ARGS"
if [ ! -f "$build_dir/build.ninja" ]; then
    cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${extra[@]}"
fi
cmake --build "$build_dir"
