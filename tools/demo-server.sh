#!/usr/bin/env bash
# start|stop PORT STATE_DIR: runs the demo server in the background for the tests, detached from the caller's
# output so that CTest does not wait on it. With openssl at hand it also serves https on PORT+1, with a
# certificate for "localhost" from a test authority kept in STATE_DIR/test-authority.
set -u
action=$1 port=$2 dir=$3
here=$(cd "$(dirname "$0")" && pwd)
pidfile="$dir/demo-server-$port.pid"
case "$action" in
  start)
    [ -f "$pidfile" ] && kill "$(cat "$pidfile")" 2>/dev/null
    player="$dir/bin-1.1/trRadio.exe"
    [ -f "$player" ] || player="$dir/bin/trRadio.exe"
    tls=()
    if "$here/test-authority.sh" "$dir/test-authority" 2>/dev/null; then
      tls=(--tls-port $((port + 1)) --tls-cert "$dir/test-authority/server.pem"
        --tls-key "$dir/test-authority/server.key")
    fi
    setsid /usr/bin/python3 "$here/demo_server.py" --port "$port" --player-exe "$player" "${tls[@]}" \
      </dev/null >"$dir/demo-server-$port.log" 2>&1 &
    echo $! > "$pidfile"
    for _ in $(seq 50); do
      curl -fs "http://127.0.0.1:$port/__control/reset" >/dev/null 2>&1 && exit 0
      sleep 0.1
    done
    echo "demo server did not come up on port $port" >&2
    cat "$dir/demo-server-$port.log" >&2
    exit 1 ;;
  stop)
    [ -f "$pidfile" ] && kill "$(cat "$pidfile")" 2>/dev/null
    rm -f "$pidfile"
    exit 0 ;;
esac
