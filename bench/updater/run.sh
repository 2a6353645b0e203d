#!/usr/bin/env bash
# Download benchmark: starts the demo server, measures curl natively on a 200 MB body, then runs the updater's
# download component and a bare WinINet loop under Wine (bench_updater_download). Prints BENCH lines.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
. "$root/tools/env.sh"
trradio_select_archs run
build=$(trradio_build_dir "${TRRADIO_ARCHS[0]}")
port=${TRRADIO_BENCH_PORT:-20084}
"$root/tools/demo-server.sh" start "$port" "$build"
trap '"$root/tools/demo-server.sh" stop "$port" "$build"' EXIT
url="http://127.0.0.1:$port/bench/$((200 * 1048576)).bin"
curl -s -o /dev/null "$url"  # warm-up
speed=$(curl -s -o /dev/null -w '%{speed_download}' "$url")
awk -v s="$speed" 'BEGIN { printf "BENCH updater_curl_throughput %.1f MB/s\n", s / 1048576 }'
TRRADIO_BENCH_SERVER="http://127.0.0.1:$port" "$root/tools/bench.sh" bench_updater_download
