#!/usr/bin/env bash
# Configures and builds both architectures: the 32-bit programs into build/ (programs in build/bin/), the 64-bit
# ones into build-x64/. TRRADIO_ARCH=x86 or x64 builds one. Extra arguments go to CMake's configure.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/env.sh"
trradio_select_archs build
jobs=$(nproc 2>/dev/null || echo 2)
for arch in "${TRRADIO_ARCHS[@]}"; do
  build=$(trradio_build_dir "$arch")
  toolchain=toolchain-i686-mingw.cmake
  [ "$arch" = x64 ] && toolchain=toolchain-x86_64-mingw.cmake
  echo "build: $arch in $build"
  cmake -S "$TRRADIO_ROOT" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$TRRADIO_ROOT/cmake/$toolchain" \
    -DCMAKE_BUILD_TYPE=Release "$@" >/dev/null
  cmake --build "$build" -j "$jobs"
done
