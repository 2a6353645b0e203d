#!/usr/bin/env bash
# Prints the `package:arch=version` pins that let the given i386 packages install when apt cannot find the i386
# twins of installed amd64 libraries at the same version (for example while a mirror's i386 index of a suite is
# missing). Multi-Arch "same" libraries must have one version on both architectures, so each mismatched library,
# with every installed sibling built from the same source, moves on both architectures to a version that apt's
# configured sources offer for i386. Only simulates; prints nothing when no set of pins helps.
set -uo pipefail

declare -A pinned=()
explore=("$@")

i386_versions() { apt-cache madison "$1:i386" 2>/dev/null | awk -F'|' '{gsub(/ /, "", $2); print $2}'; }

pin_source_of() {  # pins the library $1 and its installed siblings; returns non-zero when nothing could be pinned
  local name=$1 have versions target source sibling found=1
  have=$(dpkg-query -W -f='${Version}' "$name:amd64" 2>/dev/null) || return 1
  [ -n "$have" ] || return 1
  versions=$(i386_versions "$name")
  [ -n "$versions" ] || return 1
  grep -qxF -- "$have" <<<"$versions" && return 1
  target=$(head -1 <<<"$versions")
  source=$(dpkg-query -W -f='${source:Package}' "$name:amd64")
  for sibling in $(dpkg-query -W -f='${Package} ${source:Package} ${Multi-Arch}\n' |
                   awk -v s="$source" '$2 == s && $3 == "same" { print $1 }'); do
    i386_versions "$sibling" | grep -qxF -- "$target" || continue
    pinned[$sibling]=$target
    found=0
  done
  return $found
}

pins() { local p; for p in "${!pinned[@]}"; do printf '%s:amd64=%s\n%s:i386=%s\n' "$p" "${pinned[$p]}" "$p" "${pinned[$p]}"; done; }

for round in $(seq 1 20); do
  # shellcheck disable=SC2046
  out=$(apt-get install -s -y -q --allow-downgrades --no-install-recommends "${explore[@]}" $(pins) 2>&1)
  if grep -q '^Inst' <<<"$out" && ! grep -q 'unmet dependencies' <<<"$out"; then
    pins
    exit 0
  fi
  progress=0
  for name in $(grep -o '[A-Za-z0-9.+-]*:i386\b' <<<"$out" | sed 's/:i386$//' | sort -u); do
    [ -n "${pinned[$name]:-}" ] && continue
    if pin_source_of "$name"; then
      progress=1
    elif ! printf '%s\n' "${explore[@]}" | grep -qxF -- "$name:i386"; then
      # The resolver names only the first level of a failure; asking for the package itself shows the next one.
      explore+=("$name:i386")
      progress=1
    fi
  done
  [ $progress = 1 ] || exit 0
done
