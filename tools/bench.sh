#!/usr/bin/env bash
# Runs every benchmark program (build/bin/bench_*.exe) under Wine in a virtual display; each prints
# "BENCH <name> <value> <unit>" lines. Pass names to run only some (for example bench_listctrl_fill).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/env.sh"
build=${TRRADIO_BUILD_DIR:-$TRRADIO_ROOT/build}
if [ "${1:-}" != "--inside-display" ]; then
  exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" --inside-display "$@"
fi
shift
wineserver -p </dev/null >/dev/null 2>&1 || true
programs=("$@")
[ ${#programs[@]} -gt 0 ] || mapfile -t programs < <(cd "$build/bin" && ls bench_*.exe 2>/dev/null | sed 's/\.exe$//')
for program in "${programs[@]}"; do
  (cd "$build/bin" && "$here/wine-run.sh" "./$program.exe") || echo "BENCH $program failed 1 flag"
done
wineserver -k </dev/null >/dev/null 2>&1 || true
