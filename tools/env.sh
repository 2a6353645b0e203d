# Shared environment for running our programs under 32-bit Wine. Sourced by the other scripts.
export TRRADIO_ROOT=${TRRADIO_ROOT:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)}
export WINEARCH=win32
export WINEPREFIX=${WINEPREFIX:-$HOME/.cache/trradio/wine32}
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
export TRRADIO_WINE_HOME=${TRRADIO_WINE_HOME:-$HOME/.cache/trradio/home}
# Code page 936 inside Wine, as on a Chinese Windows; tools/wine-run.sh applies it to each Wine command.
export TRRADIO_WINE_LOCALE=zh_CN.UTF-8
