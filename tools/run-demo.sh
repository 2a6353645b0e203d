#!/usr/bin/env bash
# Runs the player against the bundled demo server: starts the server on a free loopback port and runs
# build/bin/trRadio.exe under Wine with the server addresses pointed at it. Where this host cannot execute
# 32-bit programs it runs the 64-bit player (build-x64/bin/trRadio.exe); TRRADIO_ARCH=x86 or x64 picks one.
# `run-demo.sh community` shows the community directory instead: a copy of the player in build/demo-community
# with Source=community in its trRadio.ini, listing the demo server's own community stations.
# On your X display (DISPLAY set) the player stays open until you close it. Without a display it runs inside a
# virtual one, waits a few seconds, saves a screenshot to build/demo-screenshot.png and stops. Setting
# TRRADIO_DEMO_SECONDS (default 10) gives the timed run with its screenshot on a real display too.
# The built-in demo starts the station 音乐之声 as a user would (its look-up leads to a stream with song titles),
# so the player shows the song that plays.
# Everything the script started is stopped when it ends (also on Ctrl-C).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/env.sh"
trradio_select_archs run
arch=${TRRADIO_ARCHS[0]}
trradio_use_arch "$arch"
build=$(trradio_build_dir "$arch")
seconds=${TRRADIO_DEMO_SECONDS:-10}

source=builtin
for arg in "$@"; do [ "$arg" = community ] && source=community; done
if [ "${1:-}" != "--inside-display" ] && [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" --inside-display "$source"
fi
interactive=no
[ "${1:-}" != "--inside-display" ] && [ -z "${TRRADIO_DEMO_SECONDS:-}" ] && interactive=yes

player="$build/bin/trRadio.exe"
[ -f "$player" ] || { echo "no $player: run tools/build.sh first" >&2; exit 1; }
port=$(/usr/bin/python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')

player_pid=
cleanup() {
  [ -n "$player_pid" ] && kill "$player_pid" 2>/dev/null || true
  "$here/demo-server.sh" stop "$port" "$build"
}
trap cleanup EXIT
trap "exit 130" INT TERM

"$here/demo-server.sh" start "$port" "$build"
export TRRADIO_DIRECTORY_URL="http://127.0.0.1:$port"
export TRRADIO_COUNTER_URL="http://127.0.0.1:$port"
export TRRADIO_UPDATE_URL="http://127.0.0.1:$port"
export TRRADIO_COMMUNITY_URL="http://127.0.0.1:$port"
export TRRADIO_COMMUNITY_SERVERS_URL="http://127.0.0.1:$port/json/servers"

# Prepare the Wine prefix first (the very first start takes a while), then fetch the directory afresh.
"$here/wine-run.sh" wineboot </dev/null >/dev/null 2>&1 || true
rm -f "$build/bin/GB.Dat"
if [ $source = community ]; then
  # A folder of its own, so the setting never reaches the tests' programs in bin/.
  demo="$build/demo-community"
  mkdir -p "$demo"
  cp "$player" "$demo/"
  printf '[Directory]\r\nSource=community\r\n' > "$demo/trRadio.ini"
  rm -f "$demo/Community.Dat" "$demo/GB.Dat"
  player="$demo/trRadio.exe"
fi
# Starts 音乐之声, the first station of the second group, once the list has filled.
start_station() {
  [ $source = builtin ] && [ -f "$build/bin/demo_start_station.exe" ] || return 0
  "$here/wine-run.sh" "$build/bin/demo_start_station.exe" 1 1 </dev/null >/dev/null 2>&1 || true
}
if [ $interactive = yes ]; then
  echo "demo server on port $port; the $arch player runs until you close it"
  "$here/wine-run.sh" "$player" </dev/null >/dev/null 2>&1 &
  player_pid=$!
  start_station
  wait "$player_pid" || true
  player_pid=
  exit 0
fi
echo "demo server on port $port; starting the $arch player for $seconds seconds"
"$here/wine-run.sh" "$player" </dev/null >/dev/null 2>&1 &
player_pid=$!
started=$SECONDS
start_station
sleep $(( seconds > SECONDS - started ? seconds - (SECONDS - started) : 1 ))
shot="$build/demo-screenshot.png"
[ $source = community ] && shot="$build/demo-community-screenshot.png"
import -window root "$shot"
echo "screenshot: $shot"
