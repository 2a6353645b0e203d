#include "player/nowplaying/playlist.h"

#include <vector>

namespace trr {
namespace {

char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; }

bool StartsWithIgnoringCase(std::string_view text, std::string_view prefix) {
  if (text.size() < prefix.size()) return false;
  for (size_t i = 0; i < prefix.size(); ++i)
    if (Lower(text[i]) != Lower(prefix[i])) return false;
  return true;
}

std::string_view Trim(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t' || text.front() == '\r')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r')) text.remove_suffix(1);
  return text;
}

// The lines of `text`, blanks at their ends removed; a byte-order mark before the first is passed over.
std::vector<std::string_view> LinesOf(std::string_view text) {
  if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
  std::vector<std::string_view> lines;
  while (!text.empty()) {
    const size_t end = text.find('\n');
    lines.push_back(Trim(text.substr(0, end)));
    if (end == std::string_view::npos) break;
    text.remove_prefix(end + 1);
  }
  return lines;
}

bool IsStreamAddress(std::string_view text) {
  return StartsWithIgnoringCase(text, "http://") || StartsWithIgnoringCase(text, "https://");
}

// The address if it is one, with no byte below 0x21 or above 0x7E in it; empty otherwise.
std::string CleanEntry(std::string_view text) {
  text = Trim(text);
  if (!IsStreamAddress(text)) return {};
  for (char c : text)
    if (static_cast<unsigned char>(c) < 0x21 || static_cast<unsigned char>(c) > 0x7E) return {};
  return std::string(text);
}

std::string FirstPlsEntry(std::string_view body) {
  for (std::string_view line : LinesOf(body)) {
    if (!StartsWithIgnoringCase(line, "file")) continue;
    const size_t equals = line.find('=');
    if (equals == std::string_view::npos) continue;
    std::string entry = CleanEntry(line.substr(equals + 1));
    if (!entry.empty()) return entry;
  }
  return {};
}

std::string FirstM3uEntry(std::string_view body) {
  for (std::string_view line : LinesOf(body)) {
    if (line.empty() || line.front() == '#') continue;
    std::string entry = CleanEntry(line);
    if (!entry.empty()) return entry;
  }
  return {};
}

// The first <ref href="..."> (or <entryref href=...>), quoted with " or ', tags and names in any case.
std::string FirstAsxEntry(std::string_view body) {
  for (size_t at = 0; (at = body.find('<', at)) != std::string_view::npos; ++at) {
    std::string_view tag = body.substr(at + 1);
    if (!StartsWithIgnoringCase(tag, "ref ") && !StartsWithIgnoringCase(tag, "ref\t")) continue;
    const size_t close = tag.find('>');
    tag = tag.substr(0, close);
    for (size_t h = 0; h + 5 <= tag.size(); ++h) {
      if (!StartsWithIgnoringCase(tag.substr(h), "href")) continue;
      std::string_view value = Trim(tag.substr(h + 4));
      if (value.empty() || value.front() != '=') continue;
      value = Trim(value.substr(1));
      if (value.empty() || (value.front() != '"' && value.front() != '\'')) continue;
      const size_t end = value.find(value.front(), 1);
      if (end == std::string_view::npos) continue;
      std::string entry = CleanEntry(value.substr(1, end - 1));
      if (!entry.empty()) return entry;
    }
  }
  return {};
}

}  // namespace

PlaylistKind PlaylistKindOf(std::string_view contentType, std::string_view bodyStart) {
  std::string_view type = Trim(contentType.substr(0, contentType.find(';')));
  for (auto [name, kind] : {std::pair{"audio/x-scpls", PlaylistKind::Pls}, {"application/pls+xml", PlaylistKind::Pls},
                            {"audio/x-mpegurl", PlaylistKind::M3u}, {"audio/mpegurl", PlaylistKind::M3u},
                            {"application/x-mpegurl", PlaylistKind::M3u},
                            {"application/vnd.apple.mpegurl", PlaylistKind::M3u},
                            {"video/x-ms-asf", PlaylistKind::Asx}, {"video/x-ms-asx", PlaylistKind::Asx},
                            {"audio/x-ms-asx", PlaylistKind::Asx}}) {
    if (type.size() == std::string_view(name).size() && StartsWithIgnoringCase(type, name)) return kind;
  }
  const std::vector<std::string_view> lines = LinesOf(bodyStart.substr(0, 1024));
  size_t first = 0;
  while (first < lines.size() && lines[first].empty()) ++first;
  if (first == lines.size()) return PlaylistKind::None;
  const std::string_view line = lines[first];
  if (StartsWithIgnoringCase(line, "[playlist]")) return PlaylistKind::Pls;
  if (StartsWithIgnoringCase(line, "#EXTM3U") || IsStreamAddress(line)) return PlaylistKind::M3u;
  if (StartsWithIgnoringCase(line, "<asx")) return PlaylistKind::Asx;
  return PlaylistKind::None;
}

std::string FirstPlaylistEntry(PlaylistKind kind, std::string_view body) {
  if (body.size() > kMaxPlaylistBytes) body = body.substr(0, kMaxPlaylistBytes);
  switch (kind) {
    case PlaylistKind::Pls: return FirstPlsEntry(body);
    case PlaylistKind::M3u: return FirstM3uEntry(body);
    case PlaylistKind::Asx: return FirstAsxEntry(body);
    case PlaylistKind::None: break;
  }
  return {};
}

}  // namespace trr
