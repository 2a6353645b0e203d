#!/usr/bin/env bash
# Runs one Windows program under our 32-bit Wine prefix with code page 936 and a silent sound sink.
here=$(cd "$(dirname "$0")" && pwd)
. "$here/env.sh"
export HOME=$TRRADIO_WINE_HOME
exec env LC_ALL="$TRRADIO_WINE_LOCALE" wine "$@"
