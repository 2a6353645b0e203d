// The user's favourites in memory and in "Favorites.Dat" beside the player (format in favorites_file.h). The file
// is read once at start and written whole after every change, to a temporary file renamed over it, so that it
// is always either the old or the new list. A file that cannot be read whole is never written over: it is
// renamed to "Favorites.Dat.bad" and the list starts empty; a file of a later version is listed and left as it
// is. Window thread only.
#pragma once
#include <string>
#include <vector>

#include "player/favorites/favorite_station.h"
#include "player/favorites/favorites_file.h"

namespace trr {

// Program directory + "\Favorites.Dat".
std::string FavoritesPath(const std::string& programDirectory);

class FavoritesStore {
 public:
  // Whether the list may change.
  enum class Mode {
    Writable,
    NewerFile,   // the file is of a later version: listed, never written
    Unreadable,  // the file could be neither read nor renamed: nothing is written for the rest of the run
  };

  // What reading the file at start found.
  enum class Loaded {
    NoFile,     // no favourites yet
    Listed,     // a whole file, listed
    Newer,      // a later version's file, listed as far as understood (Mode::NewerFile)
    SetAside,   // unreadable; renamed to .bad, the list starts empty
    Unreadable  // unreadable and not renamed (Mode::Unreadable)
  };

  enum class Change {
    Done,
    Duplicate,    // Add: the station is a favourite already
    Missing,      // Remove: the station is no favourite
    Full,         // Add: kMaxFavorites stations, or the file would outgrow kMaxFavoritesFileBytes
    Invalid,      // Add: the station breaks IsFavoriteStation
    ReadOnly,     // not Mode::Writable
    WriteFailed,  // the file could not be written; the list is as it was
  };

  // Reads the file at `path`. Only a damaged file is touched: renamed to `path` + ".bad", replacing an older one.
  Loaded Load(const std::string& path);

  const std::vector<FavoriteStation>& Stations() const { return stations_; }
  Mode mode() const { return mode_; }
  bool Contains(const FavoriteStation& station) const;

  // Appends `station` and writes the file; anything but Done leaves list and file as they were.
  Change Add(const FavoriteStation& station);
  // Takes out the favourite that SameStation finds for `station` and writes the file; anything but Done leaves
  // list and file as they were.
  Change Remove(const FavoriteStation& station);

 private:
  Change Write(std::vector<FavoriteStation> stations);

  std::string path_;
  std::vector<FavoriteStation> stations_;
  Mode mode_ = Mode::Writable;
};

}  // namespace trr
