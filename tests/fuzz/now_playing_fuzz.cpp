// The now-playing reader's readers on any bytes: the first byte picks the reader (a stream body fed in pieces
// of the next byte's size, a playlist, a title), the rest is its input. What they return keeps the promises the
// player relies on: nothing read beyond the first metadata block, playlist entries that are printable http or
// https addresses, titles within their length with no control byte and no half character.
#include <iconv.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>

#include "player/nowplaying/icy_metadata.h"
#include "player/nowplaying/playlist.h"
#include "player/nowplaying/title_text.h"

namespace {

void Check(bool condition) {
  if (!condition) __builtin_trap();
}

// The platform's GBK conversion, natively: glibc's GBK table.
std::string GbkOfNative(char32_t c) {
  static iconv_t converter = iconv_open("GBK", "UTF-32LE");
  char in[4] = {static_cast<char>(c & 0xFF), static_cast<char>((c >> 8) & 0xFF), static_cast<char>((c >> 16) & 0xFF),
                static_cast<char>(c >> 24)};
  char out[8];
  char* from = in;
  char* to = out;
  size_t inLeft = 4, outLeft = sizeof(out);
  iconv(converter, nullptr, nullptr, nullptr, nullptr);
  if (iconv(converter, &from, &inLeft, &to, &outLeft) == static_cast<size_t>(-1)) return {};
  return std::string(out, sizeof(out) - outLeft);
}

void CheckStream(std::string_view input) {
  if (input.size() < 2) return;
  const size_t interval = 1 + static_cast<unsigned char>(input[0]) * 4;
  const size_t piece = 1 + static_cast<unsigned char>(input[1]);
  input.remove_prefix(2);
  trr::IcyBlockReader reader(interval);
  size_t fed = 0;
  while (!reader.Complete() && fed < input.size()) {
    const size_t wanted = reader.Wanted();
    Check(wanted > 0);
    const size_t n = std::min({piece, wanted, input.size() - fed});
    reader.Feed(input.substr(fed, n));
    fed += n;
  }
  if (reader.Complete()) {
    Check(reader.Wanted() == 0);
    Check(fed == interval + 1 + reader.Block().size());
    Check(reader.Block().size() % 16 == 0);
    if (auto title = trr::StreamTitleOf(reader.Block())) Check(title->size() < reader.Block().size());
  }
}

void CheckPlaylist(std::string_view input) {
  const size_t split = input.empty() ? 0 : std::min<size_t>(static_cast<unsigned char>(input[0]), input.size() - 1);
  const std::string_view type = input.substr(input.empty() ? 0 : 1, split);
  const std::string_view body = input.substr(std::min(input.size(), 1 + split));
  const trr::PlaylistKind kind = trr::PlaylistKindOf(type, body);
  const std::string entry = trr::FirstPlaylistEntry(kind, body);
  if (kind == trr::PlaylistKind::None) Check(entry.empty());
  if (entry.empty()) return;
  std::string scheme = entry.substr(0, 8);
  for (char& c : scheme) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
  Check(scheme.rfind("http://", 0) == 0 || scheme == "https://");
  for (char c : entry) Check(static_cast<unsigned char>(c) >= 0x21 && static_cast<unsigned char>(c) <= 0x7E);
}

void CheckTitle(std::string_view input) {
  const size_t split = input.empty() ? 0 : std::min<size_t>(static_cast<unsigned char>(input[0]) % 32, input.size() - 1);
  const std::string_view station = input.substr(input.empty() ? 0 : 1, split);
  const std::string_view raw = input.substr(std::min(input.size(), 1 + split));
  const std::string title = trr::TitleDisplayText(raw, station, &GbkOfNative);
  Check(title.size() <= trr::kMaxTitleBytes);
  Check(title.empty() || title != station);
  for (size_t i = 0; i < title.size(); ++i) {
    const auto byte = static_cast<unsigned char>(title[i]);
    Check(byte >= 0x20 && byte != 0x7F);
    if (byte > 0x80) {
      Check(i + 1 < title.size());  // never half a character
      const auto trail = static_cast<unsigned char>(title[++i]);
      Check(trail >= 0x40 && trail != 0x7F && trail != 0xFF);
    }
  }
  Check(title.empty() || (title.front() != ' ' && title.back() != ' '));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const std::string_view input(reinterpret_cast<const char*>(data) + 1, size - 1);
  switch (data[0] % 3) {
    case 0: CheckStream(input); break;
    case 1: CheckPlaylist(input); break;
    default: CheckTitle(input); break;
  }
  return 0;
}
