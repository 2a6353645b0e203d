#include "player/favorites/station_menu.h"

#include "common/scoped_win.h"

namespace trr {
namespace {

// Command numbers; 0 is what TrackPopupMenu returns when nothing was chosen.
enum : UINT { kFavorite = 1, kUnfavorite, kAddStation, kNote };

}  // namespace

StationMenuChoice TrackStationMenu(HWND owner, POINT screen, const StationMenuItems& items) {
  ScopedMenu menu(CreatePopupMenu());
  if (!menu) return StationMenuChoice::None;
  const UINT state = items.readOnly ? MF_GRAYED : MF_ENABLED;
  if (items.row) {
    if (items.favorite)
      AppendMenuA(menu.get(), MF_STRING | state, kUnfavorite, "取消收藏");
    else
      AppendMenuA(menu.get(), MF_STRING | (items.canFavorite ? state : MF_GRAYED), kFavorite, "收藏");
  }
  AppendMenuA(menu.get(), MF_STRING | state, kAddStation, "添加电台…");
  if (items.note) {
    AppendMenuA(menu.get(), MF_SEPARATOR, 0, nullptr);
    AppendMenuA(menu.get(), MF_STRING | MF_GRAYED, kNote, items.note);
  }
  // The choice comes back here rather than as a message, so it acts on the station that was clicked even when
  // the list changed while the menu was open. Either button picks an item, as in the system's own menus.
  const UINT chosen = static_cast<UINT>(TrackPopupMenu(
      menu.get(), TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON | TPM_RETURNCMD | TPM_NONOTIFY, screen.x, screen.y, 0,
      owner, nullptr));
  switch (chosen) {
    case kFavorite: return StationMenuChoice::Favorite;
    case kUnfavorite: return StationMenuChoice::Unfavorite;
    case kAddStation: return StationMenuChoice::AddStation;
    default: return StationMenuChoice::None;
  }
}

}  // namespace trr
