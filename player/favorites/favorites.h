// The user's own stations in the player: the group 我的收藏 above the directory's groups, kept from
// Favorites.Dat, and the right-click menus of the channel list that change it (收藏, 取消收藏, 添加电台…).
// Everything here runs on the window thread.
#pragma once
#include <windows.h>

#include <string>

#include "listctrl/group_list.h"
#include "player/favorites/favorite_station.h"
#include "player/favorites/favorites_store.h"
#include "player/sources/source_choice.h"

namespace trr {

class Favorites {
 public:
  // What the favourites work on; all of it outlives this object.
  struct Setup {
    HWND mainWindow = nullptr;       // owner of the menus; the add window stays above it while it is pinned
    GroupList* list = nullptr;       // the channel list (CreateChannelList)
    SourceChoice* sources = nullptr;  // what a row's station is, and the player's own groups
    HMODULE resources = nullptr;     // the add window's icon
    std::string path;                // Favorites.Dat
  };

  explicit Favorites(Setup setup);
  // An open 添加电台 window keeps its stations here: it closes with this object.
  ~Favorites();
  Favorites(const Favorites&) = delete;
  Favorites& operator=(const Favorites&) = delete;

  // Reads the file and shows 我的收藏 when it holds a station (the list must have its window by then).
  FavoritesStore::Loaded Load();

  // The list control's right clicks (x, y in the list's client area): each opens its popup menu and does
  // what is chosen there.
  void OnRowRightClick(ItemHandle row, int x, int y);
  void OnGroupRightClick(ItemHandle group, int x, int y);

  // Keeps `station` (收藏, or 确定 in the add window) and shows it in 我的收藏 at once.
  FavoritesStore::Change Add(const FavoriteStation& station);
  // Takes `station` out of the favourites (取消收藏) and out of 我的收藏 at once.
  FavoritesStore::Change Remove(const FavoriteStation& station);

  const FavoritesStore& Store() const { return store_; }

 private:
  // Sets 我的收藏 to the favourites, or removes it when there are none.
  void Show();
  // What the menus say while the favourites cannot change; nullptr while they can.
  const char* ReadOnlyReason() const;
  void OpenAddWindow();
  // The add window's 确定: empty when kept, else the refusal to show.
  std::string Keep(const FavoriteStation& station);
  POINT ScreenPoint(int x, int y) const;

  Setup setup_;
  FavoritesStore store_;
};

}  // namespace trr
