#!/usr/bin/env bash
# Runs every test under Wine inside a virtual X display, for each architecture this host runs: both suites where
# it executes 32-bit programs, the 64-bit suite alone where it cannot (one line says which and why).
# TRRADIO_ARCH=x86 or x64 runs one suite. Extra arguments go to ctest (for example -R listctrl).
# The tests mostly wait on Wine and the loopback servers, so two suites run side by side, each with its own X
# display, Wine prefix and server ports: the 32-bit suite prints as it goes, the 64-bit one when it has ended.
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
  arch=$2
  shift 2
  trradio_use_arch "$arch"
  build=$(trradio_build_dir "$arch")
  [ -f "$build/CTestTestfile.cmake" ] || { echo "test: no $arch build in $build: run tools/build.sh" >&2; exit 1; }
  echo "test: $arch suite in $build"
  run_ctest "$build" "$@"
  exit
fi

trradio_select_archs run
echo "test: $TRRADIO_ARCH_REASON"
# Tests that need a 32-bit program of their own (the setup program) skip where none can run.
if "$here/host-runs-x86.sh"; then
  export TRRADIO_HOST_RUNS_X86=yes
else
  export TRRADIO_HOST_RUNS_X86=no
  echo "test: skipping the setup program's install test: this host cannot execute 32-bit programs"
fi
in_display() {
  local number=$1
  shift
  xvfb-run -a -n "$number" -s "-screen 0 1280x1024x24" "$@"
}
if [ ${#TRRADIO_ARCHS[@]} -eq 1 ]; then
  in_display 99 "$0" --inside-display "${TRRADIO_ARCHS[0]}" "$@"
  exit
fi
log=$(mktemp "${TMPDIR:-/tmp}/trradio-test-x64.XXXXXX")
trap 'rm -f "$log"' EXIT
in_display 120 "$0" --inside-display x64 "$@" >"$log" 2>&1 &
x64=$!
status=0
in_display 99 "$0" --inside-display x86 "$@" || status=1
wait "$x64" || status=1
cat "$log"
exit $status
