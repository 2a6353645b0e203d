#!/usr/bin/env bash
# Runs one Windows program under our Wine prefix with code page 936 and a silent sound sink. The prefix and loader
# are those of TRRADIO_WINE_ARCH (x86 by default; the 64-bit toolchain passes --x64 as the first argument).
here=$(cd "$(dirname "$0")" && pwd)
if [ "${1:-}" = --x64 ]; then export TRRADIO_WINE_ARCH=x64; shift; fi
. "$here/env.sh"
export HOME=$TRRADIO_WINE_HOME
exec env LC_ALL="$TRRADIO_WINE_LOCALE" "$TRRADIO_WINE" "$@"
