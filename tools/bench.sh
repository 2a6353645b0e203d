#!/usr/bin/env bash
# Runs every benchmark program (build/bin/bench_*.exe) under Wine in a virtual display; each prints
# "BENCH <name> <value> <unit>" lines. Pass names to run only some (for example bench_listctrl_fill). Runs the
# programs of each architecture this host executes (the 64-bit ones' lines start "BENCH x64/"); TRRADIO_ARCH=x86
# or x64 runs one.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/env.sh"
if [ "${1:-}" != "--inside-display" ]; then
  exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" --inside-display "$@"
fi
shift
trradio_select_archs run
for arch in "${TRRADIO_ARCHS[@]}"; do
  trradio_use_arch "$arch"
  build=$(trradio_build_dir "$arch")
  label=""
  [ "$arch" = x64 ] && label="x64/"
  "$TRRADIO_WINESERVER" -p </dev/null >/dev/null 2>&1 || true
  programs=("$@")
  [ ${#programs[@]} -gt 0 ] || mapfile -t programs < <(cd "$build/bin" && ls bench_*.exe 2>/dev/null | sed 's/\.exe$//')
  for program in "${programs[@]}"; do
    (cd "$build/bin" && "$here/wine-run.sh" "./$program.exe") | sed "s|^BENCH |BENCH $label|" ||
      echo "BENCH $label$program failed 1 flag"
  done
  "$TRRADIO_WINESERVER" -k </dev/null >/dev/null 2>&1 || true
done
