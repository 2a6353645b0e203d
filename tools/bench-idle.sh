#!/usr/bin/env bash
# Idle cost of the running player: starts build/bin/trRadio.exe (build-x64's where this host cannot execute
# 32-bit programs, or as TRRADIO_ARCH picks) under Wine against the demo server, lets it come
# up, then measures over 60 s the CPU time its process used and its thread count (sampled every second: start,
# end and highest; read from /proc: Wine threads are Linux threads). Prints BENCH lines.
# Usage: bench-idle.sh [SECONDS] [hang|trickle|titles]. With "hang" the counter server accepts and never answers
# during the minute, which shows whether waiting refreshes pile up threads. With "titles" the station 音乐之声 is
# started before the minute (as a user would: build/bin/demo_start_station.exe), so the now-playing reader reads
# its stream's song titles throughout. With "trickle" every server (directory,
# counter, version file) sends its status line and then trickles header bytes for 60 s from the player's start,
# which shows how many threads requests given up at their deadlines hold. TRRADIO_BENCH_PORT picks the demo
# server's port.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/env.sh"
trradio_select_archs run
trradio_use_arch "${TRRADIO_ARCHS[0]}"
build=$(trradio_build_dir "$TRRADIO_WINE_ARCH")
seconds=${1:-60}
mode=${2:-normal}
if [ "${3:-}" != "--inside-display" ]; then
  exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$seconds" "$mode" --inside-display
fi
port=${TRRADIO_BENCH_PORT:-18099}
"$here/demo-server.sh" start "$port" "$build" >/dev/null
export TRRADIO_DIRECTORY_URL=http://127.0.0.1:$port TRRADIO_COUNTER_URL=http://127.0.0.1:$port \
  TRRADIO_UPDATE_URL=http://127.0.0.1:$port
# The community directory at a closed loopback port: a directory that fails (trickle) never reaches out, and
# the counter keeps being measured rather than replaced by the community list's station count.
export TRRADIO_COMMUNITY_URL=http://127.0.0.1:1 TRRADIO_COMMUNITY_SERVERS_URL=http://127.0.0.1:1/json/servers
work=$(mktemp -d)
cp "$build/bin/trRadio.exe" "$work/"
if [ "$mode" = trickle ]; then
  for path in /Data.asp /fm/count.asp /upload/b.txt; do
    curl -fs "http://127.0.0.1:$port/__control/fault?path=$path&mode=trickle&delay=60" >/dev/null
  done
fi
# Marks our own player, so that a player another user runs on this machine is never measured.
export TRRADIO_BENCH_MARK=$work
(cd "$work" && "$here/wine-run.sh" ./trRadio.exe >/dev/null 2>&1 &)
sleep 8
pid=
for candidate in $(pgrep -x trRadio.exe || true); do
  if tr '\0' '\n' < "/proc/$candidate/environ" 2>/dev/null | grep -qx "TRRADIO_BENCH_MARK=$work"; then
    pid=$candidate
  fi
done
[ -n "$pid" ] || { echo "BENCH idle_player_not_running 1 flag"; exit 1; }
echo "idle: measuring process $pid ($mode)" >&2
ticks() { awk '{print $14 + $15}' "/proc/$pid/stat"; }
threads() { awk '/^Threads:/ {print $2}' "/proc/$pid/status"; }
hz=$(getconf CLK_TCK)
[ "$mode" = trickle ] || curl -fs "http://127.0.0.1:$port/__control/reset" >/dev/null
[ "$mode" = hang ] && curl -fs "http://127.0.0.1:$port/__control/fault?path=/fm/count.asp&mode=hang" >/dev/null
if [ "$mode" = titles ]; then
  "$here/wine-run.sh" "$build/bin/demo_start_station.exe" 1 1 </dev/null >/dev/null 2>&1 ||
    { echo "BENCH idle_station_not_started 1 flag"; exit 1; }
  sleep 2
fi
t0=$(ticks); n0=$(threads); most=$n0
for _ in $(seq "$seconds"); do
  sleep 1
  n=$(threads)
  [ "$n" -gt "$most" ] && most=$n
done
t1=$(ticks); n1=$(threads)
name=idle
[ "$mode" = hang ] && name=idle_hanging_counter
[ "$mode" = trickle ] && name=idle_trickling_servers
[ "$mode" = titles ] && name=idle_reading_titles
echo "BENCH ${name}_cpu_${seconds}s $(awk -v a="$t0" -v b="$t1" -v hz="$hz" 'BEGIN {printf "%.2f", (b - a) / hz}') s"
echo "BENCH ${name}_threads_start $n0 count"
echo "BENCH ${name}_threads_end $n1 count"
echo "BENCH ${name}_threads_most $most count"
echo "BENCH ${name}_counter_requests_${seconds}s $(curl -fs "http://127.0.0.1:$port/__control/log" | grep -c count.asp) count"
[ "$mode" = titles ] &&
  echo "BENCH ${name}_stream_requests_${seconds}s $(curl -fs "http://127.0.0.1:$port/__control/log" | grep -c '^/icy/') count"
curl -fs "http://127.0.0.1:$port/__control/reset" >/dev/null
kill "$pid" 2>/dev/null || true
"$here/demo-server.sh" stop "$port" "$build" >/dev/null
"$TRRADIO_WINESERVER" -k </dev/null >/dev/null 2>&1 || true
rm -rf "$work"
