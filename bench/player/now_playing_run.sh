#!/usr/bin/env bash
# Now-playing benchmark: starts the demo server and runs bench_player_now_playing against its ICY stream (about
# five minutes). Prints BENCH lines.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
. "$root/tools/env.sh"
trradio_select_archs run
build=$(trradio_build_dir "${TRRADIO_ARCHS[0]}")
port=${TRRADIO_BENCH_PORT:-20086}
"$root/tools/demo-server.sh" start "$port" "$build"
trap '"$root/tools/demo-server.sh" stop "$port" "$build"' EXIT
TRRADIO_BENCH_SERVER="http://127.0.0.1:$port" "$root/tools/bench.sh" bench_player_now_playing
