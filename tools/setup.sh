#!/usr/bin/env bash
# Installs everything the build, the tests and the demo need on Debian 12, and prepares the Wine prefix.
# Safe to run again: every step checks before it acts.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
. "$here/env.sh"

sudo_if_needed() { if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi; }

packages=(
  cmake make g++-mingw-w64-i686 mingw-w64-tools binutils-mingw-w64-i686
  g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
  wine wine64 xvfb xauth x11-utils
  fonts-wqy-zenhei fonts-arphic-gbsn00lp locales imagemagick
  googletest
  clang libclang-rt-14-dev lib32stdc++-12-dev libc6-dev-i386 lib32gcc-12-dev
  nsis zip unzip
  gcc libx11-dev libxext-dev libxdamage-dev
  python3 python3-pil python3-pyftpdlib curl
  gstreamer1.0-plugins-base gstreamer1.0-plugins-good libasound2-plugins libgnutls30
  nlohmann-json3-dev
  unicode-data
)
# What 32-bit Wine needs; only where this host executes 32-bit code.
packages_x86=(
  wine32:i386 gstreamer1.0-plugins-base:i386 gstreamer1.0-plugins-good:i386 libasound2-plugins:i386
  libgnutls30:i386
)
if "$here/host-runs-x86.sh"; then packages+=("${packages_x86[@]}"); fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    sudo_if_needed dpkg --add-architecture i386
  fi
  # A mirror in the middle of a sync can fail one index; apt's own sources are retried, then we go on with
  # what arrived.
  for attempt in 1 2 3; do
    sudo_if_needed apt-get update -q -o Acquire::Retries=3 && break
    sleep 10
  done || true
  install() { sudo_if_needed env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "$@"; }
  if ! install "${missing[@]}"; then
    # i386 libraries must have the same version as their installed amd64 twins. When the twins are older, bring
    # them up to date; when the i386 index that holds their version is missing, move both to a version that is
    # offered for i386.
    sudo_if_needed env DEBIAN_FRONTEND=noninteractive apt-get upgrade -y -q || true
    if ! install "${missing[@]}"; then
      mapfile -t pins < <("$here/apt-align-twins.sh" "${missing[@]}")
      install --allow-downgrades "${missing[@]}" "${pins[@]}"
    fi
  fi
fi

# The Chinese locale lets non-ASCII arguments and file names reach Wine intact.
if ! locale -a 2>/dev/null | grep -qi '^zh_CN.utf8$'; then
  sudo_if_needed sed -i 's/^# *zh_CN.UTF-8 UTF-8/zh_CN.UTF-8 UTF-8/' /etc/locale.gen
  grep -q '^zh_CN.UTF-8 UTF-8' /etc/locale.gen || echo 'zh_CN.UTF-8 UTF-8' | sudo_if_needed tee -a /etc/locale.gen >/dev/null
  sudo_if_needed locale-gen >/dev/null
fi

# A silent sound sink, so the media player can render audio on machines without a sound card.
mkdir -p "$TRRADIO_WINE_HOME"
[ -f "$TRRADIO_WINE_HOME/.asoundrc" ] || printf 'pcm.!default { type null }\nctl.!default { type hw card 0 }\n' > "$TRRADIO_WINE_HOME/.asoundrc"

# A Wine prefix per architecture that this host runs; the first start takes a while, later ones are quick.
# Wine draws "宋体" with WenQuanYi Zen Hei, whose ascent and descent exceed its em: a 12-pixel cell then leaves
# glyphs of about 10 pixels with strokes missing (the channel list's names). AR PL SungtiL GB, a Song face like
# SimSun, has a cell as tall as its em and stays clear at 12 pixels. Only the prefix changes, not the program.
song_face="AR PL SungtiL GB"
trradio_select_archs run
for arch in "${TRRADIO_ARCHS[@]}"; do
  trradio_use_arch "$arch"
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    mkdir -p "$(dirname "$WINEPREFIX")"
    "$here/wine-run.sh" wineboot -i </dev/null >/dev/null 2>&1 || true
    "$TRRADIO_WINESERVER" -w </dev/null >/dev/null 2>&1 || true
  fi
  [ -f "$WINEPREFIX/system.reg" ] || { echo "setup: the $arch Wine prefix $WINEPREFIX was not created" >&2; exit 1; }
  for face in 宋体 SimSun; do
    if ! "$here/wine-run.sh" reg query 'HKCU\Software\Wine\Fonts\Replacements' /v "$face" </dev/null 2>/dev/null \
        | grep -q "$song_face"; then
      "$here/wine-run.sh" reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "$face" /d "$song_face" /f \
        </dev/null >/dev/null 2>&1
    fi
  done
  "$TRRADIO_WINESERVER" -w </dev/null >/dev/null 2>&1 || true
  echo "setup: ready ($arch prefix $WINEPREFIX)"
done
