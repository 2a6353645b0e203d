// The popup menus of the channel list's right clicks: on a station row 收藏 (or 取消收藏) and 添加电台…, on a
// group header 添加电台…. While the favourites cannot change, the items stand greyed in their places; a last
// greyed item, below a separator, says why.
#pragma once
#include <windows.h>

namespace trr {

enum class StationMenuChoice { None, Favorite, Unfavorite, AddStation };

struct StationMenuItems {
  bool row = false;           // a station row (else a group header)
  bool favorite = false;      // the row's station is a favourite: 取消收藏 instead of 收藏
  bool canFavorite = true;    // the row's station can be kept (else 收藏 is greyed)
  bool readOnly = false;      // the favourites cannot change: every item greyed
  const char* note = nullptr;  // GBK: why an item is greyed, said last; nullptr: no such item
};

// Shows the menu at `screen` for `owner` and returns what the user chose, once the menu has closed (keyboard,
// Esc and clicks elsewhere work as in any popup menu). None when nothing was chosen or the menu cannot be made.
StationMenuChoice TrackStationMenu(HWND owner, POINT screen, const StationMenuItems& items);

}  // namespace trr
