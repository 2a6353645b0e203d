// One of the user's own stations, as the favourites file keeps it and a double-click starts it.
#pragma once
#include <cstddef>
#include <string>
#include <string_view>

namespace trr {

// How a station plays.
enum class StationKind {
  Builtin,    // the built-in directory's look-up address with its station id
  Community,  // the community directory's station look-up with its uuid, its listing address as fall-back
  Address,    // the stream address the user typed
};

struct FavoriteStation {
  StationKind kind = StationKind::Builtin;
  std::string id;       // built-in station id or community uuid; empty for a station added by address
  std::string address;  // listing address (community, may be empty) or typed address; empty for built-in
  std::string name;     // GBK display name
};

// Limits of a favourite's fields, in bytes.
constexpr size_t kMaxFavoriteNameBytes = 128;
constexpr size_t kMaxFavoriteIdBytes = 256;

// "builtin", "community" or "address", as the favourites file names the kinds.
const char* StationKindName(StationKind kind);
// The kind that `name` names; false for any other text.
bool StationKindFromName(std::string_view name, StationKind& kind);

// True when every field keeps the rules of its kind: a name of 1 to kMaxFavoriteNameBytes bytes, an id of 1 to
// kMaxFavoriteIdBytes bytes (a community uuid as IsStationUuid takes it; none for an address), an address as
// IsStationAddress takes it (required for Address, optional for Community, none for Builtin), and no control
// byte anywhere.
bool IsFavoriteStation(const FavoriteStation& station);

// True when both name the same station: the same kind and id, or for stations added by address the same
// address. Names do not count.
bool SameStation(const FavoriteStation& a, const FavoriteStation& b);

// A text that two stations share exactly when SameStation takes them for one.
std::string StationKey(const FavoriteStation& station);

// A row's name made fit for a favourite: control bytes become spaces, blanks at the ends go, and a name longer
// than kMaxFavoriteNameBytes is cut after its last whole GBK character that fits.
std::string FavoriteName(std::string_view name);

}  // namespace trr
