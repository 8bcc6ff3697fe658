#!/usr/bin/env bash
# Builds the Debian package: sets up and builds as scripts/setup.sh does, then
# lets CPack make spotweaver_<version>_<arch>.deb in the build folder. Its
# library dependencies are worked out by dpkg-shlibdeps.
#
#   bash scripts/package.sh
#   apt-get install ./build/spotweaver_*.deb
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh

# CPack finds the programs among the installed files with file(1), and
# dpkg-shlibdeps turns their libraries into package names.
need=()
command -v file >/dev/null || need+=(file)
command -v dpkg-shlibdeps >/dev/null || need+=(dpkg-dev)
if [ "${#need[@]}" -gt 0 ]; then
    echo "Installing: ${need[*]}"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    apt-get install -y -qq --no-install-recommends "${need[@]}"
fi

build_dir=${BUILD_DIR:-build}
rm -f "$build_dir"/spotweaver_*.deb
(cd "$build_dir" && cpack -G DEB)
deb=$(ls "$build_dir"/spotweaver_*.deb)
echo
echo "== $deb"
dpkg-deb --field "$deb" Package Version Architecture Depends
echo
echo "Install it with:  apt-get install ./$deb"
