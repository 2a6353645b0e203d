#!/usr/bin/env bash
# Runs every test under Wine inside a virtual X display, for each architecture this host runs: both suites where
# it executes 32-bit programs, the 64-bit suite alone where it cannot (one line says which and why).
# TRRADIO_ARCH=x86 or x64 runs one suite. Extra arguments go to ctest (for example -R listctrl).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/env.sh"

run_ctest() {
  local build=$1; shift
  # Start the wineserver and the prefix before ctest: Wine's background processes would otherwise inherit
  # ctest's output pipe and every test would wait for them.
  "$TRRADIO_WINESERVER" -p </dev/null >/dev/null 2>&1 || true
  "$here/wine-run.sh" wineboot </dev/null >/dev/null 2>&1 || true
  local status=0
  ctest --test-dir "$build" --output-on-failure --timeout 900 "$@" || status=$?
  "$TRRADIO_WINESERVER" -k </dev/null >/dev/null 2>&1 || true
  return $status
}

if [ "${1:-}" = "--inside-display" ]; then
  shift
  trradio_select_archs run
  echo "test: $TRRADIO_ARCH_REASON"
  # Tests that need a 32-bit program of their own (the setup program) skip where none can run.
  if "$here/host-runs-x86.sh"; then
    export TRRADIO_HOST_RUNS_X86=yes
  else
    export TRRADIO_HOST_RUNS_X86=no
    echo "test: skipping the setup program's install test: this host cannot execute 32-bit programs"
  fi
  status=0
  for arch in "${TRRADIO_ARCHS[@]}"; do
    trradio_use_arch "$arch"
    build=$(trradio_build_dir "$arch")
    [ -f "$build/CTestTestfile.cmake" ] || { echo "test: no $arch build in $build: run tools/build.sh" >&2; exit 1; }
    echo "test: $arch suite in $build"
    run_ctest "$build" "$@" || status=1
  done
  exit $status
else
  exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" --inside-display "$@"
fi
