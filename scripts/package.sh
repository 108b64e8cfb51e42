#!/usr/bin/env bash
# Builds zibo (with its media, icon and manual pages) in build/ and makes the
# Debian package build/zibo_<version>_<arch>.deb, whose dependencies dpkg-shlibdeps
# reads from the binaries. Install it with: sudo apt install ./build/zibo_*.deb
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/build.sh build
cd build
cpack -G DEB
ls -l zibo_*.deb
