#include "player/favorites/favorite_station.h"

#include <algorithm>

#include "common/gbk_text.h"
#include "player/community/community_reply.h"
#include "player/favorites/station_address.h"

namespace trr {
namespace {

bool IsControlByte(char c) {
  const auto byte = static_cast<unsigned char>(c);
  return byte < 0x20 || byte == 0x7F;
}

bool HasControlByte(std::string_view text) { return std::any_of(text.begin(), text.end(), IsControlByte); }

}  // namespace

const char* StationKindName(StationKind kind) {
  switch (kind) {
    case StationKind::Builtin: return "builtin";
    case StationKind::Community: return "community";
    case StationKind::Address: return "address";
  }
  return "";
}

bool StationKindFromName(std::string_view name, StationKind& kind) {
  for (StationKind k : {StationKind::Builtin, StationKind::Community, StationKind::Address}) {
    if (name == StationKindName(k)) {
      kind = k;
      return true;
    }
  }
  return false;
}

bool IsFavoriteStation(const FavoriteStation& station) {
  if (station.name.empty() || station.name.size() > kMaxFavoriteNameBytes || HasControlByte(station.name))
    return false;
  switch (station.kind) {
    case StationKind::Builtin:
      return !station.id.empty() && station.id.size() <= kMaxFavoriteIdBytes && !HasControlByte(station.id) &&
             station.address.empty();
    case StationKind::Community:
      return IsStationUuid(station.id) && (station.address.empty() || IsStationAddress(station.address));
    case StationKind::Address:
      return station.id.empty() && IsStationAddress(station.address);
  }
  return false;
}

bool SameStation(const FavoriteStation& a, const FavoriteStation& b) {
  if (a.kind != b.kind) return false;
  return a.kind == StationKind::Address ? a.address == b.address : a.id == b.id;
}

std::string StationKey(const FavoriteStation& station) {
  // The kind's name has no tab, and a tab stands in no id or address.
  return std::string(StationKindName(station.kind)) + '\t' +
         (station.kind == StationKind::Address ? station.address : station.id);
}

std::string FavoriteName(std::string_view name) {
  std::string fit(name);
  std::replace_if(fit.begin(), fit.end(), IsControlByte, ' ');
  fit = TrimText(fit);
  size_t end = 0;
  // Whole characters only: a lead byte takes its trail byte with it.
  while (end < fit.size()) {
    const size_t width = IsGbkLeadByte(static_cast<unsigned char>(fit[end])) && end + 1 < fit.size() ? 2 : 1;
    if (end + width > kMaxFavoriteNameBytes) break;
    end += width;
  }
  fit.resize(end);
  return TrimText(fit);
}

}  // namespace trr
