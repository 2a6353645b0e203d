#!/usr/bin/env bash
# Runs every test under Wine inside a virtual X display. Extra arguments go to ctest (for example -R listctrl).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/env.sh"
build=${TRRADIO_BUILD_DIR:-$TRRADIO_ROOT/build}

run_ctest() {
  # Start the wineserver and the prefix before ctest: Wine's background processes would otherwise inherit
  # ctest's output pipe and every test would wait for them.
  wineserver -p </dev/null >/dev/null 2>&1 || true
  "$here/wine-run.sh" wineboot </dev/null >/dev/null 2>&1 || true
  local status=0
  ctest --test-dir "$build" --output-on-failure --timeout 900 "$@" || status=$?
  wineserver -k </dev/null >/dev/null 2>&1 || true
  return $status
}

if [ "${1:-}" = "--inside-display" ]; then
  shift
  run_ctest "$@"
else
  exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" --inside-display "$@"
fi
