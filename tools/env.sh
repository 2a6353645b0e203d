# Shared environment for running our programs under Wine. Sourced by the other scripts.
#
# Two architectures are built from the same sources: x86 (the shipped 32-bit programs, in build/) and x64 (in
# build-x64/ beside it). TRRADIO_WINE_ARCH (x86 by default) picks the Wine prefix and loader that wine-run.sh
# and the wineserver calls use; each architecture keeps a prefix of its own, since a 32-bit prefix cannot run
# 64-bit programs. TRRADIO_ARCH limits the scripts to one architecture.
export TRRADIO_ROOT=${TRRADIO_ROOT:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)}
export TRRADIO_WINE_ROOT=${TRRADIO_WINE_ROOT:-$HOME/.cache/trradio}
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
export TRRADIO_WINE_HOME=${TRRADIO_WINE_HOME:-$TRRADIO_WINE_ROOT/home}
# Code page 936 inside Wine, as on a Chinese Windows; tools/wine-run.sh applies it to each Wine command.
export TRRADIO_WINE_LOCALE=zh_CN.UTF-8

# trradio_use_arch x86|x64: points WINEPREFIX, the Wine loader (TRRADIO_WINE) and the wineserver
# (TRRADIO_WINESERVER) at that architecture. Debian's /usr/bin/wine always takes the 32-bit loader when it is
# installed, so 64-bit programs go to wine64 directly, with WINELOADER naming it for Wine's own child processes.
trradio_use_arch() {
  export TRRADIO_WINE_ARCH=$1
  if [ "$1" = x64 ]; then
    export WINEARCH=win64 WINEPREFIX=$TRRADIO_WINE_ROOT/wine64
    export WINELOADER=/usr/lib/wine/wine64 TRRADIO_WINE=/usr/lib/wine/wine64
    export TRRADIO_WINESERVER=/usr/lib/wine/wineserver64
    [ -x "$TRRADIO_WINESERVER" ] || TRRADIO_WINESERVER=wineserver
  else
    export WINEARCH=win32 WINEPREFIX=$TRRADIO_WINE_ROOT/wine32 TRRADIO_WINE=wine TRRADIO_WINESERVER=wineserver
    unset WINELOADER
  fi
}
trradio_use_arch "${TRRADIO_WINE_ARCH:-x86}"

# trradio_build_dir x86|x64: the build tree of that architecture. TRRADIO_BUILD_DIR names the 32-bit tree; the
# 64-bit tree is build-x64 beside it.
trradio_build_dir() {
  local x86=${TRRADIO_BUILD_DIR:-$TRRADIO_ROOT/build}
  if [ "$1" = x64 ]; then echo "$(dirname "$x86")/build-x64"; else echo "$x86"; fi
}

# trradio_arch_of_build DIR: x64 when DIR is a 64-bit build tree, else x86.
trradio_arch_of_build() {
  if grep -qs '^CMAKE_SIZEOF_VOID_P:INTERNAL=8' "$1/CMakeCache.txt"; then echo x64; else echo x86; fi
}

# trradio_select_archs build|run: sets TRRADIO_ARCHS to the architectures a script acts on. TRRADIO_ARCH=x86 or
# x64 names one; otherwise both are built, and run where this host executes 32-bit code, else x64 alone.
# TRRADIO_ARCH_REASON is one line that says which and why.
trradio_select_archs() {
  case "${TRRADIO_ARCH:-}" in
    x86|x64) TRRADIO_ARCHS=("$TRRADIO_ARCH"); TRRADIO_ARCH_REASON="$TRRADIO_ARCH only (TRRADIO_ARCH=$TRRADIO_ARCH)"
      return ;;
    "") ;;
    *) echo "TRRADIO_ARCH must be x86 or x64, not '$TRRADIO_ARCH'" >&2; return 1 ;;
  esac
  if [ "$1" = build ]; then
    TRRADIO_ARCHS=(x86 x64); TRRADIO_ARCH_REASON="x86 and x64"
  elif "$TRRADIO_ROOT/tools/host-runs-x86.sh"; then
    TRRADIO_ARCHS=(x86 x64); TRRADIO_ARCH_REASON="x86 and x64: this host executes 32-bit programs"
  else
    TRRADIO_ARCHS=(x64)
    TRRADIO_ARCH_REASON="x64 only: this host cannot execute 32-bit programs (a 32-bit probe program failed)"
  fi
}
