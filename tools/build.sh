#!/usr/bin/env bash
# Configures and builds everything into build/ (programs in build/bin/). Extra arguments go to CMake's configure.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${TRRADIO_BUILD_DIR:-$root/build}
jobs=$(nproc 2>/dev/null || echo 2)
cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-i686-mingw.cmake" \
  -DCMAKE_BUILD_TYPE=Release "$@" >/dev/null
cmake --build "$build" -j "$jobs"
