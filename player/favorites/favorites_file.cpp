#include "player/favorites/favorites_file.h"

#include <unordered_set>

namespace trr {
namespace {

constexpr std::string_view kMagic = "TRRADIO FAVORITES ";
constexpr std::string_view kEnd = "end";

// Splits `line` at tabs into `count` fields, the last taking the rest (tabs included); false when it has fewer.
bool SplitFields(std::string_view line, std::string_view* fields, size_t count) {
  size_t begin = 0;
  for (size_t i = 0; i + 1 < count; ++i) {
    const size_t tab = line.find('\t', begin);
    if (tab == std::string_view::npos) return false;
    fields[i] = line.substr(begin, tab - begin);
    begin = tab + 1;
  }
  fields[count - 1] = line.substr(begin);
  return true;
}

// A decimal number of 1 to 9 digits without a leading zero; false for anything else.
bool ReadCount(std::string_view text, size_t& value) {
  if (text.empty() || text.size() > 9 || (text.size() > 1 && text[0] == '0')) return false;
  value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + static_cast<size_t>(c - '0');
  }
  return true;
}

// The station of a line, when the line is one; a later version may add fields after the name, which
// `strictFields` refuses.
bool ReadStation(std::string_view line, bool strictFields, FavoriteStation& station) {
  std::string_view f[4];
  if (!SplitFields(line, f, 4) || !StationKindFromName(f[0], station.kind)) return false;
  if (!strictFields) f[3] = f[3].substr(0, f[3].find('\t'));
  station.id = std::string(f[1]);
  station.address = std::string(f[2]);
  station.name = std::string(f[3]);
  return IsFavoriteStation(station);
}

// Keeps the first of stations that SameStation takes for one; `keys` holds those kept so far.
void AddOnce(std::vector<FavoriteStation>& stations, std::unordered_set<std::string>& keys,
             FavoriteStation station) {
  if (keys.insert(StationKey(station)).second) stations.push_back(std::move(station));
}

}  // namespace

FavoritesFileState ParseFavoritesFile(std::string_view bytes, std::vector<FavoriteStation>& stations) {
  stations.clear();
  if (bytes.size() > kMaxFavoritesFileBytes) return FavoritesFileState::Damaged;
  size_t end = bytes.find("\r\n");
  if (end == std::string_view::npos || bytes.substr(0, kMagic.size()) != kMagic) return FavoritesFileState::Damaged;
  size_t version = 0;
  if (!ReadCount(bytes.substr(kMagic.size(), end - kMagic.size()), version) || version == 0)
    return FavoritesFileState::Damaged;
  const bool newer = version > static_cast<size_t>(kFavoritesFileVersion);
  std::vector<FavoriteStation> read;
  std::unordered_set<std::string> keys;
  size_t lines = 0;  // station lines, duplicates included
  bool ended = false;
  for (size_t begin = end + 2; begin < bytes.size(); begin = end + 2) {
    end = bytes.find("\r\n", begin);
    const std::string_view line =
        bytes.substr(begin, end == std::string_view::npos ? std::string_view::npos : end - begin);
    if (newer) {
      // As much as this version understands; the rest of the line, and lines of other kinds, are skipped.
      FavoriteStation station;
      if (read.size() < kMaxFavorites && ReadStation(line, false, station))
        AddOnce(read, keys, std::move(station));
      if (end == std::string_view::npos) break;
      continue;
    }
    if (end == std::string_view::npos || ended) return FavoritesFileState::Damaged;  // cut, or text after the end
    std::string_view f[2];
    size_t count = 0;
    if (SplitFields(line, f, 2) && f[0] == kEnd && ReadCount(f[1], count)) {
      if (count != lines) return FavoritesFileState::Damaged;
      ended = true;
      continue;
    }
    FavoriteStation station;
    if (++lines > kMaxFavorites || !ReadStation(line, true, station)) return FavoritesFileState::Damaged;
    AddOnce(read, keys, std::move(station));
  }
  if (!newer && !ended) return FavoritesFileState::Damaged;
  stations = std::move(read);
  return newer ? FavoritesFileState::Newer : FavoritesFileState::Current;
}

std::string FormatFavoritesFile(const std::vector<FavoriteStation>& stations) {
  std::string out;
  out.reserve(32 + stations.size() * 96);
  out.append(kMagic).append(std::to_string(kFavoritesFileVersion)).append("\r\n");
  for (const FavoriteStation& s : stations) {
    out.append(StationKindName(s.kind)).append("\t").append(s.id).append("\t").append(s.address).append("\t")
        .append(s.name).append("\r\n");
  }
  out.append(kEnd).append("\t").append(std::to_string(stations.size())).append("\r\n");
  return out;
}

}  // namespace trr
