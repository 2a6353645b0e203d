#!/usr/bin/env bash
# start|stop PORT BUILD_DIR: runs the demo server in the background for the tests, detached from the caller's
# output so that CTest does not wait on it. It serves the newer player of both architectures' build trees (the
# version file is shared): the 32-bit one as /trftv/trRadio.exe, the 64-bit one as /trftv/x64/trRadio.exe.
# With openssl at hand it also serves https on PORT+1, with a certificate for "localhost" from a test
# authority kept in BUILD_DIR/test-authority, and on PORT+2 with a certificate that signs itself (one that does
# not verify; the plain http port is its twin).
set -u
action=$1 port=$2 dir=$3
here=$(cd "$(dirname "$0")" && pwd)
pidfile="$dir/demo-server-$port.pid"
case "$action" in
  start)
    [ -f "$pidfile" ] && kill "$(cat "$pidfile")" 2>/dev/null
    . "$here/env.sh"
    if [ "$(trradio_arch_of_build "$dir")" = x64 ]; then
      x64_dir=$dir x86_dir=$(trradio_build_dir x86)
    else
      x86_dir=$dir x64_dir=$(dirname "$dir")/build-x64
    fi
    newest() { if [ -f "$1/bin-1.1/trRadio.exe" ]; then echo "$1/bin-1.1/trRadio.exe"; else echo "$1/bin/trRadio.exe"; fi; }
    tls=()
    if "$here/test-authority.sh" "$dir/test-authority" 2>/dev/null; then
      tls=(--tls-port $((port + 1)) --tls-cert "$dir/test-authority/server.pem"
        --tls-key "$dir/test-authority/server.key" --untrusted-tls-port $((port + 2))
        --untrusted-tls-cert "$dir/test-authority/untrusted.pem" --untrusted-tls-key "$dir/test-authority/untrusted.key")
    fi
    setsid /usr/bin/python3 "$here/demo_server.py" --port "$port" --player-exe "$(newest "$x86_dir")" \
      --player-exe-x64 "$(newest "$x64_dir")" "${tls[@]}" \
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
