#!/usr/bin/env bash
# Builds zibo and its media, then runs the show from build/media.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/build.sh build
cd build/media
exec ../zibo "$@"
