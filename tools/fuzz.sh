#!/usr/bin/env bash
# Fuzzes every parser: builds one libFuzzer target per parser natively with clang, AddressSanitizer and
# UndefinedBehaviorSanitizer, and runs each for the given seconds (default 60), one after the other at the lowest
# priority. The PE readers and the image mapper are built twice: as 32-bit programs (pe_tables, memory_module),
# as they run in the 32-bit updater, and natively for x86-64 (pe_tables_x64, memory_module_x64), as in the 64-bit
# one. TRRADIO_ARCH=x86 or x64 runs only that architecture's image targets; without it the x64 ones always run
# and the 32-bit ones where this host executes 32-bit programs (tools/host-runs-x86.sh). The other parsers
# always run. Prints "FUZZ <target> <executions> <crashes>" per target and exits non-zero when a target crashed
# or could not be built. Seeds come from tests/fuzz/corpus/; the grown corpora and crash inputs stay in
# build/fuzz/.
set -euo pipefail
seconds=${1:-60}
root=$(cd "$(dirname "$0")/.." && pwd)
. "$root/tools/env.sh"
build=$(trradio_build_dir x86)
out=$build/fuzz
mkdir -p "$out/bin"

case "${TRRADIO_ARCH:-}" in
  x86) image_archs=(x86) ;;
  x64) image_archs=(x64) ;;
  "") image_archs=(x64)
    if "$root/tools/host-runs-x86.sh"; then
      image_archs+=(x86)
    else
      echo "fuzz: x64 image targets only: this host cannot execute 32-bit programs" >&2
    fi ;;
  *) echo "TRRADIO_ARCH must be x86 or x64, not '$TRRADIO_ARCH'" >&2; exit 1 ;;
esac

# target bits arch corpus sources... (arch "any": not an image target, always run)
image_sources="updater/pe_image.cpp updater/pe_tables.cpp updater/image_pages.cpp"
mapper_sources="updater/memory_module.cpp $image_sources tests/fuzz/emulated_kernel32.cpp"
favorites_sources="player/favorites/favorites_file.cpp player/favorites/favorite_station.cpp \
  player/favorites/station_address.cpp player/favorites/new_station_check.cpp player/community/community_reply.cpp \
  player/community/station_address_rule.cpp common/gbk_text.cpp"
targets=(
  "channel_document 64 any channel_document player/directory/channel_document.cpp common/gbk_text.cpp"
  "counter_version 64 any counter_version player/counter/counter_reply.cpp player/update/version_compare.cpp common/gbk_text.cpp"
  "skin_file 64 any skin_file skin/skin_file.cpp"
  "pe_tables 32 x86 pe_image $image_sources"
  "memory_module 32 x86 pe_image $mapper_sources"
  "pe_tables_x64 64 x64 pe_image $image_sources"
  "memory_module_x64 64 x64 pe_image $mapper_sources"
  "gbk_text 64 any gbk_text common/gbk_text.cpp"
  "community_reply 64 any community_reply player/community/community_reply.cpp player/community/community_directory.cpp player/community/station_address_rule.cpp"
  "progress_format 64 any progress_format updater/progress_format.cpp"
  "favorites_file 64 any favorites_file $favorites_sources"
  "now_playing 64 any now_playing player/nowplaying/icy_metadata.cpp player/nowplaying/playlist.cpp player/nowplaying/title_text.cpp"
  "search_text 64 any search_text player/search/search_text.cpp player/search/hanzi_tables.cpp player/search/station_index.cpp"
)

flags=(-std=c++17 -g -O1 -fno-omit-frame-pointer -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all
  -Wall -Wextra -Wshadow -I "$root" -I "$root/tests/fuzz/shim")

failed=0
for entry in "${targets[@]}"; do
  read -r name bits arch corpus sources <<<"$entry"
  if [ "$arch" != any ] && [[ " ${image_archs[*]} " != *" $arch "* ]]; then continue; fi
  binary=$out/bin/$name
  files=("$root/tests/fuzz/${name%_x64}_fuzz.cpp")
  for s in $sources; do files+=("$root/$s"); done
  # Rebuild when a source, a header or this script is newer than the program.
  if [ ! -x "$binary" ] || [ -n "$(find "$root/tests/fuzz" "$root/common" "$root/player" "$root/skin" \
      "$root/updater" "$root/assets" "$0" -newer "$binary" \( -name '*.cpp' -o -name '*.h' -o -name '*.inc' \
      -o -name '*.sh' \) -print -quit)" ]; then
    if ! nice clang++ -m"$bits" "${flags[@]}" "${files[@]}" -o "$binary" 2>"$out/$name.build.log"; then
      cat "$out/$name.build.log" >&2
      echo "FUZZ $name 0 build-failed"
      failed=1
      continue
    fi
  fi
  work=$out/corpus/$name
  crashes=$out/crashes/$name
  mkdir -p "$work" "$crashes"
  # The image targets also start from the DLLs of both builds: the skin engine and the loader test probes.
  if [ "$corpus" = pe_image ]; then
    for built in x86 x64; do
      for dll in trskin.dll tls_probe.dll layout_probe.dll; do
        from=$(trradio_build_dir "$built")/bin/$dll
        if [ -f "$from" ]; then cp "$from" "$work/built-$built-$dll"; fi
      done
    done
  fi
  before=$(find "$crashes" -type f | wc -l)
  status=0
  nice -n 19 "$binary" -max_total_time="$seconds" -print_final_stats=1 -timeout=25 -rss_limit_mb=2048 \
    -artifact_prefix="$crashes/" "$work" "$root/tests/fuzz/corpus/$corpus" >"$out/$name.log" 2>&1 || status=$?
  executions=$(sed -n 's/^stat::number_of_executed_units: *//p' "$out/$name.log" | tail -1)
  found=$(( $(find "$crashes" -type f | wc -l) - before ))
  if [ "$status" -ne 0 ] && [ "$found" -eq 0 ]; then found=1; fi
  echo "FUZZ $name ${executions:-0} $found"
  if [ "$found" -ne 0 ]; then
    grep -m1 -A12 -E "ERROR|runtime error|deadly signal" "$out/$name.log" >&2 || tail -20 "$out/$name.log" >&2
    failed=1
  fi
done
exit $failed
