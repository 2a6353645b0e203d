#include "player/favorites/favorites_store.h"

#include <windows.h>

#include <algorithm>
#include <utility>

#include "common/file_util.h"

namespace trr {

std::string FavoritesPath(const std::string& programDirectory) { return programDirectory + "\\Favorites.Dat"; }

FavoritesStore::Loaded FavoritesStore::Load(const std::string& path) {
  path_ = path;
  stations_.clear();
  mode_ = Mode::Writable;
  if (!FileExists(path)) return Loaded::NoFile;
  std::string bytes;
  if (ReadWholeFile(path, bytes, kMaxFavoritesFileBytes)) {
    switch (ParseFavoritesFile(bytes, stations_)) {
      case FavoritesFileState::Current: return Loaded::Listed;
      case FavoritesFileState::Newer:
        mode_ = Mode::NewerFile;
        return Loaded::Newer;
      case FavoritesFileState::Damaged: break;
    }
  }
  // Kept for the user under another name; the next change starts a new file.
  stations_.clear();
  const std::string setAside = path + ".bad";
  if (MoveFileExA(path.c_str(), setAside.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
    return Loaded::SetAside;
  mode_ = Mode::Unreadable;
  return Loaded::Unreadable;
}

bool FavoritesStore::Contains(const FavoriteStation& station) const {
  return std::any_of(stations_.begin(), stations_.end(),
                     [&](const FavoriteStation& s) { return SameStation(s, station); });
}

FavoritesStore::Change FavoritesStore::Add(const FavoriteStation& station) {
  if (mode_ != Mode::Writable) return Change::ReadOnly;
  if (!IsFavoriteStation(station)) return Change::Invalid;
  if (Contains(station)) return Change::Duplicate;
  if (stations_.size() >= kMaxFavorites) return Change::Full;
  std::vector<FavoriteStation> changed = stations_;
  changed.push_back(station);
  return Write(std::move(changed));
}

FavoritesStore::Change FavoritesStore::Remove(const FavoriteStation& station) {
  if (mode_ != Mode::Writable) return Change::ReadOnly;
  auto found = std::find_if(stations_.begin(), stations_.end(),
                            [&](const FavoriteStation& s) { return SameStation(s, station); });
  if (found == stations_.end()) return Change::Missing;
  std::vector<FavoriteStation> changed = stations_;
  changed.erase(changed.begin() + (found - stations_.begin()));
  return Write(std::move(changed));
}

FavoritesStore::Change FavoritesStore::Write(std::vector<FavoriteStation> stations) {
  const std::string bytes = FormatFavoritesFile(stations);
  if (bytes.size() > kMaxFavoritesFileBytes) return Change::Full;
  if (!WriteFileAtomically(path_, bytes)) return Change::WriteFailed;
  stations_ = std::move(stations);
  return Change::Done;
}

}  // namespace trr
