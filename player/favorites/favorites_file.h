// The favourites file "Favorites.Dat" beside the player: the user's own stations in the order they were added.
// Pure text work, no windows and no file access (favorites_store.h reads and writes the file).
//
// GBK text, lines ending in CR LF, fields separated by a tab:
//   TRRADIO FAVORITES 1
//   <kind> <TAB> <id> <TAB> <address> <TAB> <name>      one station a line, in the order they were added
//   end <TAB> <stations>
// Kinds: "builtin" (id: the built-in directory's station id; no address), "community" (id: the community
// station's uuid; address: its listing address or empty) and "address" (no id; address: the stream address the
// user typed). No field holds a tab, CR, LF or other control byte. The end line makes a file cut at a line's
// end as unreadable as one cut inside a line.
//
// A file whose first line names a later version is read leniently, as far as its lines are understood, and is
// never written by this version.
#pragma once
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "player/favorites/favorite_station.h"

namespace trr {

// What the file may hold.
constexpr size_t kMaxFavorites = 1000;
constexpr size_t kMaxFavoritesFileBytes = 256 * 1024;

enum class FavoritesFileState {
  Current,  // a whole file of this version
  Newer,    // a file of a later version: `stations` holds the lines this version understands
  Damaged,  // not a whole favourites file: cut, altered, too large, a bad line or too many stations
};

// The format version this player writes.
constexpr int kFavoritesFileVersion = 1;

// Reads the file's bytes into `stations` (a station listed twice is kept once, at its first place). Damaged
// leaves `stations` empty.
FavoritesFileState ParseFavoritesFile(std::string_view bytes, std::vector<FavoriteStation>& stations);

// The file's bytes for `stations` (each must pass IsFavoriteStation).
std::string FormatFavoritesFile(const std::vector<FavoriteStation>& stations);

}  // namespace trr
