#!/usr/bin/env bash
# Start-up benchmark: launch to window mapped, launch to painted and resident memory of the real trRadio.exe
# with a present GB.Dat of 200, 10,000 and 100,000 stations, against the floor (startup_floor.exe, a bare
# window of the same size and style, built by the same toolchain and started the same way). Rounds are
# interleaved (floor, then each directory size) after one warm-up round; prints BENCH lines with the medians
# and the ratio of each median to the floor's.
#
#   bench/startup.sh [build-dir] [rounds] [baseline-build-dir]
#
# build-dir defaults to $TRRADIO_BUILD_DIR or build/ (build-x64/ where this host cannot execute 32-bit
# programs, or as TRRADIO_ARCH picks; a 64-bit build-dir runs under the 64-bit prefix), rounds to 7. With a
# baseline build its player is timed in the same rounds, right after the one under test, and reported as
# startup_base_*. A build directory from
# before this benchmark existed has no startup_floor.exe: the floor then comes from this checkout's own build.
#
# Timing is done from the X side by launch_watch (bench/startup/launch_watch.c, built here natively): mapped is
# the window's MapNotify, painted the first frame from which the window shows its settled picture (the counter
# label, which a timer rewrites, is left out). Memory is VmRSS of the Wine process once the picture settled.
# One hidden window (startup_floor.exe hidden) keeps Wine's desktop process up while the starts are timed.
#
# The build under test is also started with Source=community and 5,000 community stations: "cached" from a
# fresh Community.Dat, and "fetched" from the demo server's community API with no Community.Dat (13 requests;
# painted is then the moment the fetched list shows).
#
# And with the 200-station GB.Dat and 1,000 favourites in Favorites.Dat (startup_favorites_1000, to set against
# startup_200 of the same rounds).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
. "$root/tools/env.sh"
if [ "${4:-}" != "--inside-display" ]; then
  trradio_select_archs run
  build=$(cd "${1:-$(trradio_build_dir "${TRRADIO_ARCHS[0]}")}" && pwd)
  baseline=none
  [ -z "${3:-}" ] || baseline=$(cd "$3" && pwd)
  exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$build" "${2:-7}" "$baseline" --inside-display
fi
build=$1 rounds=$2 baseline=$3
trradio_use_arch "$(trradio_arch_of_build "$build")"
[ "$baseline" = none ] && baseline=
sizes=(200 10000 100000)
groups_of() { case $1 in 200) echo 20 ;; 10000) echo 200 ;; *) echo 1000 ;; esac; }
port=${TRRADIO_BENCH_PORT:-$(sed -n 's/^TRRADIO_TEST_PORT:STRING=//p' "$build/CMakeCache.txt" 2>/dev/null)}
port=${port:-18099}

work=$(mktemp -d)
keeper=
cleanup() {
  [ -n "$keeper" ] && kill "$keeper" 2>/dev/null
  "$root/tools/demo-server.sh" stop "$port" "$work" >/dev/null 2>&1 || true
  "$TRRADIO_WINESERVER" -k </dev/null >/dev/null 2>&1 || true
  rm -rf "$work"
}
trap cleanup EXIT

cc -O2 -o "$work/launch_watch" "$root/bench/startup/launch_watch.c" -lX11 -lXext -lXdamage -lXfixes
mkdir -p "$work/floor" "$work/bin"
floor_exe=$build/bin/startup_floor.exe
[ -f "$floor_exe" ] || floor_exe=$(trradio_build_dir "$TRRADIO_WINE_ARCH")/bin/startup_floor.exe
[ -f "$floor_exe" ] || { echo "startup: no startup_floor.exe in $build/bin or this checkout's build" >&2; exit 1; }
cp "$floor_exe" "$work/floor/"
cp "$build/bin/trRadio.exe" "$work/bin/"  # the demo server hands this out as the updater's download
# Variants: "floor", "p<n>" (the build under test with n stations), "b<n>" (the baseline build).
variants=(floor)
for n in "${sizes[@]}"; do
  variants+=("p$n")
  [ -n "$baseline" ] && variants+=("b$n")
  for kind in p b; do
    [ $kind = b ] && [ -z "$baseline" ] && continue
    mkdir -p "$work/$kind$n"
    from=$build
    [ $kind = p ] || from=$baseline
    cp "$from/bin/trRadio.exe" "$work/$kind$n/"
    /usr/bin/python3 -c "import sys; sys.path.insert(0, '$root/tools'); from demo_server import make_directory;
open('$work/$kind$n/GB.Dat', 'wb').write(make_directory($n, $(groups_of "$n")))"
  done
done

# The community variants: "c5000" lists a cached Community.Dat, "f5000" fetches the list at every start.
for kind in c f; do
  mkdir -p "$work/${kind}5000"
  cp "$build/bin/trRadio.exe" "$work/${kind}5000/"
  printf '[Directory]\r\nSource=community\r\n' > "$work/${kind}5000/trRadio.ini"
  variants+=("${kind}5000")
done
/usr/bin/python3 -c "import sys; sys.path.insert(0, '$root/tools'); from demo_community import make_community_cache;
open('$work/c5000/Community.Dat', 'wb').write(make_community_cache(5000))"
# "v200": the build under test with the 200-station GB.Dat and 1,000 stations in Favorites.Dat.
mkdir -p "$work/v200"
cp "$build/bin/trRadio.exe" "$work/p200/GB.Dat" "$work/v200/"
/usr/bin/python3 -c "lines = ['TRRADIO FAVORITES 1'] + ['builtin\t%d\t\t收藏%d' % (5000 + i, i) for i in range(1000)]
lines.append('end\t1000')
open('$work/v200/Favorites.Dat', 'wb').write(('\r\n'.join(lines) + '\r\n').encode('gbk'))"
variants+=(v200)

"$root/tools/demo-server.sh" start "$port" "$work" >/dev/null
# 2,571 stations give 5,000 rows: 500 most voted, 1,929 in the six regions, 2,571 in the six styles.
curl -fs "http://127.0.0.1:$port/__control/community?stations=2571" >/dev/null
export TRRADIO_DIRECTORY_URL=http://127.0.0.1:$port TRRADIO_COUNTER_URL=http://127.0.0.1:$port \
  TRRADIO_UPDATE_URL=http://127.0.0.1:$port TRRADIO_COMMUNITY_URL=http://127.0.0.1:$port \
  TRRADIO_COMMUNITY_SERVERS_URL=http://127.0.0.1:$port/json/servers
"$TRRADIO_WINESERVER" -p </dev/null >/dev/null 2>&1 || true
"$root/tools/wine-run.sh" wineboot </dev/null >/dev/null 2>&1 || true
(cd "$work/floor" && exec "$root/tools/wine-run.sh" ./startup_floor.exe hidden </dev/null >/dev/null 2>&1) &
keeper=$!
sleep 2

# One timed start of a variant: prints "mapped painted rss_kb frames", or "fail ...".
start_once() {
  if [ "$1" = floor ]; then
    (cd "$work/floor" && "$work/launch_watch" --title StartupFloor -- "$root/tools/wine-run.sh" ./startup_floor.exe)
  else
    rm -f "$work/f5000/Community.Dat"
    (cd "$work/$1" && "$work/launch_watch" --title TiroRadio --ignore 144,32,120,15 -- \
      "$root/tools/wine-run.sh" ./trRadio.exe)
  fi 2>/dev/null
}

# A killed player leaves Wine's desktop process busy with its notification icon for about 2 s; the next start
# would wait for it, so every start is followed by a pause.
for what in "${variants[@]}"; do start_once "$what" >/dev/null || true; sleep 3; done  # warm-up
for round in $(seq "$rounds"); do
  # Each round starts one variant further on, so no variant always follows the same one.
  count=${#variants[@]}
  for step in $(seq 0 $((count - 1))); do
    what=${variants[$(((round + step) % count))]}
    result=$(start_once "$what" || true)
    echo "startup: round $round $what: $result" >&2
    sleep 3
    case $result in fail*|"") continue ;; esac
    echo "$what $result" >> "$work/results"
  done
done

median() { sort -n | awk '{ v[NR] = $1 } END { if (NR == 0) print "nan"; else if (NR % 2) print v[(NR + 1) / 2]; else print (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
column_of() { awk -v w="$1" -v c="$2" '$1 == w { print $c }' "$work/results" 2>/dev/null | median; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }
megabytes() { awk -v k="$1" 'BEGIN { printf "%.1f", k / 1024 }'; }
floor_mapped=$(column_of floor 2)
floor_painted=$(column_of floor 3)
echo "BENCH startup_floor_mapped $floor_mapped ms"
echo "BENCH startup_floor_painted $floor_painted ms"
echo "BENCH startup_floor_rss $(megabytes "$(column_of floor 4)") MB"
for n in "${sizes[@]}"; do
  for kind in p b; do
    [ $kind = b ] && [ -z "$baseline" ] && continue
    name=startup_$n
    [ $kind = p ] || name=startup_base_$n
    mapped=$(column_of "$kind$n" 2)
    painted=$(column_of "$kind$n" 3)
    echo "BENCH ${name}_mapped $mapped ms"
    echo "BENCH ${name}_painted $painted ms"
    echo "BENCH ${name}_mapped_ratio $(ratio "$mapped" "$floor_mapped") x"
    echo "BENCH ${name}_painted_ratio $(ratio "$painted" "$floor_painted") x"
    echo "BENCH ${name}_rss $(megabytes "$(column_of "$kind$n" 4)") MB"
  done
done
echo "BENCH startup_favorites_1000_mapped $(column_of v200 2) ms"
echo "BENCH startup_favorites_1000_painted $(column_of v200 3) ms"
echo "BENCH startup_favorites_1000_painted_ratio $(ratio "$(column_of v200 3)" "$floor_painted") x"
echo "BENCH startup_favorites_1000_rss $(megabytes "$(column_of v200 4)") MB"
for kind in c f; do
  name=startup_community_cached_5000
  [ $kind = c ] || name=startup_community_fetched_5000
  echo "BENCH ${name}_mapped $(column_of "${kind}5000" 2) ms"
  echo "BENCH ${name}_painted $(column_of "${kind}5000" 3) ms"
  echo "BENCH ${name}_painted_ratio $(ratio "$(column_of "${kind}5000" 3)" "$floor_painted") x"
  echo "BENCH ${name}_rss $(megabytes "$(column_of "${kind}5000" 4)") MB"
done
