#!/usr/bin/env bash
# start|stop PORT DIR: an anonymous FTP server over DIR/ftp-root for the download tests, with one file
# "player.exe" in it. Starting never fails the tests: the FTP test skips when the server is not there.
action=$1 port=$2 dir=$3
pidfile="$dir/ftp-server-$port.pid"
root="$dir/ftp-root"
case "$action" in
  start)
    [ -f "$pidfile" ] && kill "$(cat "$pidfile")" 2>/dev/null
    mkdir -p "$root"
    # A built program with random bytes after it: the updater installs only Windows programs.
    { cat "$dir/bin/updater_standin_player.exe" && head -c 700001 /dev/urandom; } > "$root/player.exe.new" &&
      mv "$root/player.exe.new" "$root/player.exe"
    setsid /usr/bin/python3 -m pyftpdlib -i 127.0.0.1 -p "$port" -d "$root" \
      </dev/null >"$dir/ftp-server-$port.log" 2>&1 &
    echo $! > "$pidfile"
    for _ in $(seq 50); do
      (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null && exit 0
      sleep 0.1
    done
    rm -f "$root/player.exe"
    exit 0 ;;
  stop)
    [ -f "$pidfile" ] && kill "$(cat "$pidfile")" 2>/dev/null
    rm -f "$pidfile"
    exit 0 ;;
esac
