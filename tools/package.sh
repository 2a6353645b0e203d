#!/usr/bin/env bash
# Builds everything and the release packages: build/dist/trRadio-<version>-setup.exe (NSIS, per-user install)
# and build/dist/trRadio-<version>-win32.zip. Extra arguments go to CMake's configure, as in tools/build.sh.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/.." && pwd)
build=${TRRADIO_BUILD_DIR:-$root/build}
command -v makensis >/dev/null || { echo "makensis is missing: run tools/setup.sh" >&2; exit 1; }
"$here/build.sh" "$@"
cmake --build "$build" --target dist
ls -l "$build"/dist/trRadio-*-setup.exe "$build"/dist/trRadio-*-win32.zip
