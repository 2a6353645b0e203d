#!/usr/bin/env bash
# The running player's community fetch against the demo server (build/bin/trRadio.exe under Wine, build-x64's
# where this host cannot execute 32-bit programs, or as TRRADIO_ARCH picks), with Source=community and no cache:
#   - peak memory (the process's VmHWM, read from /proc: Wine processes are Linux processes) of a fetch of the
#     demo's own stations, and of a fetch whose 13 listings are each just under the 4 MiB reply limit with the
#     longest addresses and names a station may have, and the difference;
#   - seconds until the cache is written when two of three listed servers trickle their headers for 35 s;
#   - requests of the community source that reach the demo server when the server list's https address is a port
#     that speaks only plain http (none may: nothing falls back to http).
# Prints BENCH lines. Usage: bench/community_fetch.sh. TRRADIO_BENCH_PORT picks the demo server's port.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
here=$root/tools
. "$here/env.sh"
if [ "${1:-}" != "--inside-display" ]; then
  exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" --inside-display
fi
trradio_select_archs run
trradio_use_arch "${TRRADIO_ARCHS[0]}"
build=$(trradio_build_dir "$TRRADIO_WINE_ARCH")
port=${TRRADIO_BENCH_PORT:-18097}
server=http://127.0.0.1:$port
"$here/demo-server.sh" start "$port" "$build" >/dev/null
work=$(mktemp -d)
pid=
cleanup() {
  [ -n "$pid" ] && kill "$pid" 2>/dev/null || true
  "$here/demo-server.sh" stop "$port" "$build" >/dev/null
  "$TRRADIO_WINESERVER" -k </dev/null >/dev/null 2>&1 || true
  rm -rf "$work"
}
trap cleanup EXIT
control() { curl -fs "$server/__control/$1" >/dev/null; }
export TRRADIO_DIRECTORY_URL=$server TRRADIO_COUNTER_URL=$server TRRADIO_UPDATE_URL=$server
"$TRRADIO_WINESERVER" -p </dev/null >/dev/null 2>&1 || true
"$here/wine-run.sh" wineboot </dev/null >/dev/null 2>&1 || true

# run NAME SECONDS: starts a fresh copy of the player in $work/NAME, waits until it has written Community.Dat
# (at most SECONDS) and a little longer for the list to fill; sets pid, took (seconds until the cache) and peak.
run() {
  local dir=$work/$1
  mkdir -p "$dir"
  cp "$build/bin/trRadio.exe" "$dir/"
  printf '[Directory]\r\nSource=community\r\n' >"$dir/trRadio.ini"
  # Marks our own player, so that a player another user runs on this machine is never measured.
  export TRRADIO_BENCH_MARK=$dir
  local start
  start=$(date +%s.%N)
  (cd "$dir" && setsid "$here/wine-run.sh" ./trRadio.exe >/dev/null 2>&1 &)
  pid=
  took=timeout
  for _ in $(seq $(($2 * 10))); do
    sleep 0.1
    if [ -z "$pid" ]; then
      for candidate in $(pgrep -x trRadio.exe || true); do
        tr '\0' '\n' <"/proc/$candidate/environ" 2>/dev/null | grep -qx "TRRADIO_BENCH_MARK=$dir" && pid=$candidate
      done
    fi
    if [ -f "$dir/Community.Dat" ]; then
      took=$(awk -v a="$start" -v b="$(date +%s.%N)" 'BEGIN {printf "%.1f", b - a}')
      break
    fi
  done
  sleep 3
  peak=$(awk '/^VmHWM:/ {printf "%.1f", $2 / 1024}' "/proc/$pid/status" 2>/dev/null || echo 0)
  kill "$pid" 2>/dev/null || true
  pid=
  sleep 1
}

export TRRADIO_COMMUNITY_URL=$server TRRADIO_COMMUNITY_SERVERS_URL=$server/json/servers
control reset
run normal 60
normal=$peak
echo "BENCH community_fetch_peak_normal $normal MB"
control reset
control "community?stations=6000&addresses=bloated"
run hostile 120
echo "BENCH community_fetch_peak_hostile_13x4MB $peak MB"
echo "BENCH community_fetch_peak_hostile_over_normal $(awk -v a="$normal" -v b="$peak" 'BEGIN {printf "%.1f", b - a}') MB"
echo "BENCH community_fetch_hostile_cache_bytes $(stat -c %s "$work/hostile/Community.Dat" 2>/dev/null || echo 0) bytes"

# Three names of the demo server in the list; the first two asked trickle their headers for 35 s.
unset TRRADIO_COMMUNITY_URL
control reset
curl -fs "$server/__control/body?path=/json/servers&text=$(/usr/bin/python3 -c "import urllib.parse, sys
print(urllib.parse.quote('[{\"name\":\"127.0.0.1:$port\"},{\"name\":\"localhost:$port\"},{\"name\":\"LOCALHOST:$port\"}]'))")" \
  >/dev/null
control "fault?path=/json/stations/topvote/500&mode=trickle&delay=35&count=2"
run trickle 150
echo "BENCH community_fetch_two_of_three_trickling $took s"
echo "BENCH community_fetch_two_of_three_trickling_groups $(grep -c $'^group\t' "$work/trickle/Community.Dat" 2>/dev/null || echo 0) count"

# The list's https address at the plain http port: the TLS handshake fails, and nothing may follow over http.
control reset
export TRRADIO_COMMUNITY_SERVERS_URL=https://localhost:$port/json/servers
run https_fails 20
echo "BENCH community_requests_when_https_fails $(curl -fs "$server/__control/log" | grep -c '^/json/' || true) count"
