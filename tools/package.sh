#!/usr/bin/env bash
# Builds everything and the release packages of each architecture: build/dist/trRadio-<version>-setup.exe (NSIS,
# per-user install) and build/dist/trRadio-<version>-win32.zip; build-x64/dist/trRadio-<version>-win64.zip and
# the 64-bit programs' setup program. TRRADIO_ARCH=x86 or x64 packages one. Extra arguments go to CMake's
# configure, as in tools/build.sh.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/env.sh"
command -v makensis >/dev/null || { echo "makensis is missing: run tools/setup.sh" >&2; exit 1; }
"$here/build.sh" "$@"
trradio_select_archs build
for arch in "${TRRADIO_ARCHS[@]}"; do
  build=$(trradio_build_dir "$arch")
  cmake --build "$build" --target dist
  ls -l "$build"/dist/trRadio-*.exe "$build"/dist/trRadio-*.zip
done
