#!/usr/bin/env bash
# Idle cost of the running player: starts build/bin/trRadio.exe under Wine against the demo server, lets it come
# up, then measures over 60 s the CPU time its process used and its thread count at the start and the end of
# the minute (read from /proc: Wine threads are Linux threads). Prints BENCH lines.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/env.sh"
build=${TRRADIO_BUILD_DIR:-$TRRADIO_ROOT/build}
seconds=${1:-60}
if [ "${2:-}" != "--inside-display" ]; then
  exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$seconds" --inside-display
fi
port=18099
"$here/demo-server.sh" start $port "$build" >/dev/null
export TRRADIO_DIRECTORY_URL=http://127.0.0.1:$port TRRADIO_COUNTER_URL=http://127.0.0.1:$port \
  TRRADIO_UPDATE_URL=http://127.0.0.1:$port
work=$(mktemp -d)
cp "$build/bin/trRadio.exe" "$work/"
(cd "$work" && "$here/wine-run.sh" ./trRadio.exe >/dev/null 2>&1 &)
sleep 8
pid=$(pgrep -n -x trRadio.exe || true)
[ -n "$pid" ] || { echo "BENCH idle_player_not_running 1 flag"; exit 1; }
echo "idle: measuring process $pid: $(tr "\0" " " < /proc/$pid/cmdline)" >&2
ticks() { awk '{print $14 + $15}' "/proc/$pid/stat"; }
threads() { awk '/^Threads:/ {print $2}' "/proc/$pid/status"; }
hz=$(getconf CLK_TCK)
curl -fs "http://127.0.0.1:$port/__control/reset" >/dev/null
t0=$(ticks); n0=$(threads)
sleep "$seconds"
t1=$(ticks); n1=$(threads)
echo "BENCH idle_cpu_${seconds}s $(awk -v a="$t0" -v b="$t1" -v hz="$hz" 'BEGIN {printf "%.2f", (b - a) / hz}') s"
echo "BENCH idle_threads_start $n0 count"
echo "BENCH idle_threads_end $n1 count"
echo "BENCH idle_counter_requests_${seconds}s $(curl -fs "http://127.0.0.1:$port/__control/log" | grep -c count.asp) count"
kill "$pid" 2>/dev/null || true
"$here/demo-server.sh" stop $port "$build" >/dev/null
wineserver -k </dev/null >/dev/null 2>&1 || true
rm -rf "$work"
