#!/usr/bin/env bash
# Start-up benchmark: launch to window mapped, launch to painted and resident memory of the real trRadio.exe
# with a present GB.Dat of 200, 10,000 and 100,000 stations, against the floor (startup_floor.exe, a bare
# window of the same size and style, built by the same toolchain and started the same way). Rounds are
# interleaved (floor, then each directory size) after one warm-up round; prints BENCH lines with the medians
# and the ratio of each median to the floor's.
#
#   bench/startup.sh [build-dir] [rounds]     (default: $TRRADIO_BUILD_DIR or build/, 7 rounds)
#
# Timing is done from the X side by launch_watch (bench/startup/launch_watch.c, built here natively): mapped is
# the window's MapNotify, painted the first frame from which the window shows its settled picture (the counter
# label, which a timer rewrites, is left out). Memory is VmRSS of the Wine process once the picture settled.
# One hidden window (startup_floor.exe hidden) keeps Wine's desktop process up while the starts are timed.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
. "$root/tools/env.sh"
build=$(cd "${1:-${TRRADIO_BUILD_DIR:-$root/build}}" && pwd)
rounds=${2:-7}
if [ "${3:-}" != "--inside-display" ]; then
  exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$build" "$rounds" --inside-display
fi
sizes=(200 10000 100000)
groups_of() { case $1 in 200) echo 20 ;; 10000) echo 200 ;; *) echo 1000 ;; esac; }
port=${TRRADIO_BENCH_PORT:-$(sed -n 's/^TRRADIO_TEST_PORT:STRING=//p' "$build/CMakeCache.txt" 2>/dev/null)}
port=${port:-18099}

work=$(mktemp -d)
keeper=
cleanup() {
  [ -n "$keeper" ] && kill "$keeper" 2>/dev/null
  "$root/tools/demo-server.sh" stop "$port" "$work" >/dev/null 2>&1 || true
  wineserver -k </dev/null >/dev/null 2>&1 || true
  rm -rf "$work"
}
trap cleanup EXIT

cc -O2 -o "$work/launch_watch" "$root/bench/startup/launch_watch.c" -lX11 -lXext -lXdamage -lXfixes
mkdir -p "$work/floor" "$work/bin"
cp "$build/bin/startup_floor.exe" "$work/floor/"
cp "$build/bin/trRadio.exe" "$work/bin/"  # the demo server hands this out as the updater's download
for n in "${sizes[@]}"; do
  mkdir -p "$work/p$n"
  cp "$build/bin/trRadio.exe" "$work/p$n/"
  /usr/bin/python3 -c "import sys; sys.path.insert(0, '$root/tools'); from demo_server import make_directory;
open('$work/p$n/GB.Dat', 'wb').write(make_directory($n, $(groups_of "$n")))"
done

"$root/tools/demo-server.sh" start "$port" "$work" >/dev/null
export TRRADIO_DIRECTORY_URL=http://127.0.0.1:$port TRRADIO_COUNTER_URL=http://127.0.0.1:$port \
  TRRADIO_UPDATE_URL=http://127.0.0.1:$port
wineserver -p </dev/null >/dev/null 2>&1 || true
"$root/tools/wine-run.sh" wineboot </dev/null >/dev/null 2>&1 || true
(cd "$work/floor" && exec "$root/tools/wine-run.sh" ./startup_floor.exe hidden </dev/null >/dev/null 2>&1) &
keeper=$!
sleep 2

# One timed start: prints "mapped painted rss_kb frames", or "fail ...".
start_once() {
  local what=$1
  if [ "$what" = floor ]; then
    (cd "$work/floor" && "$work/launch_watch" --title StartupFloor -- "$root/tools/wine-run.sh" ./startup_floor.exe)
  else
    (cd "$work/p$what" && "$work/launch_watch" --title TiroRadio --ignore 144,32,120,15 -- \
      "$root/tools/wine-run.sh" ./trRadio.exe)
  fi 2>/dev/null
}

for what in floor "${sizes[@]}"; do start_once "$what" >/dev/null || true; sleep 3; done  # warm-up
for round in $(seq "$rounds"); do
  for what in floor "${sizes[@]}"; do
    result=$(start_once "$what" || true)
    echo "startup: round $round $what: $result" >&2
    case $result in fail*|"") continue ;; esac
    echo "$what $result" >> "$work/results"
    # A killed player leaves Wine's desktop process busy with its notification icon for about 2 s; the next
    # start would wait for it.
    sleep 3
  done
done

median() { sort -n | awk '{ v[NR] = $1 } END { if (NR == 0) print "nan"; else if (NR % 2) print v[(NR + 1) / 2]; else print (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
column_of() { awk -v w="$1" -v c="$2" '$1 == w { print $c }' "$work/results" | median; }
floor_mapped=$(column_of floor 2)
floor_painted=$(column_of floor 3)
echo "BENCH startup_floor_mapped $floor_mapped ms"
echo "BENCH startup_floor_painted $floor_painted ms"
echo "BENCH startup_floor_rss $(awk -v k="$(column_of floor 4)" 'BEGIN { printf "%.1f", k / 1024 }') MB"
for n in "${sizes[@]}"; do
  mapped=$(column_of "$n" 2)
  painted=$(column_of "$n" 3)
  echo "BENCH startup_${n}_mapped $mapped ms"
  echo "BENCH startup_${n}_painted $painted ms"
  echo "BENCH startup_${n}_mapped_ratio $(awk -v a="$mapped" -v b="$floor_mapped" 'BEGIN { printf "%.2f", a / b }') x"
  echo "BENCH startup_${n}_painted_ratio $(awk -v a="$painted" -v b="$floor_painted" 'BEGIN { printf "%.2f", a / b }') x"
  echo "BENCH startup_${n}_rss $(awk -v k="$(column_of "$n" 4)" 'BEGIN { printf "%.1f", k / 1024 }') MB"
done
