#include "player/favorites/favorites.h"

#include <utility>
#include <vector>

#include "player/favorites/add_station_window.h"
#include "player/favorites/station_address.h"
#include "player/favorites/station_menu.h"
#include "player/list/top_groups.h"

namespace trr {
namespace {

TopStation ToTopStation(const FavoriteStation& favorite) {
  TopStation top;
  top.station.name = favorite.name;
  switch (favorite.kind) {
    case StationKind::Builtin:
      top.source = StationSource::Builtin;
      top.station.id = favorite.id;
      break;
    case StationKind::Community:
      top.source = StationSource::Community;
      top.station.id = favorite.id;
      top.listingAddress = favorite.address;
      break;
    case StationKind::Address:
      // Its row shows the address as its number.
      top.source = StationSource::Address;
      top.station.id = favorite.address;
      top.listingAddress = favorite.address;
      break;
  }
  return top;
}

FavoriteStation FromTopStation(const TopStation& top) {
  FavoriteStation favorite;
  switch (top.source) {
    case StationSource::Builtin:
      favorite.kind = StationKind::Builtin;
      favorite.id = top.station.id;
      break;
    case StationSource::Community:
      favorite.kind = StationKind::Community;
      favorite.id = top.station.id;
      // A listing address that could not be played by hand is left out; the look-up still finds the station.
      if (IsStationAddress(top.listingAddress)) favorite.address = top.listingAddress;
      break;
    case StationSource::Address:
      favorite.kind = StationKind::Address;
      favorite.address = top.listingAddress;
      break;
  }
  favorite.name = FavoriteName(top.station.name);
  if (favorite.name.empty())
    favorite.name = FavoriteName(favorite.kind == StationKind::Address ? AddressHost(favorite.address) : favorite.id);
  return favorite;
}

}  // namespace

Favorites::Favorites(Setup setup) : setup_(std::move(setup)) {}

Favorites::~Favorites() {
  if (HWND window = AddStationWindow()) DestroyWindow(window);
}

FavoritesStore::Loaded Favorites::Load() {
  const FavoritesStore::Loaded loaded = store_.Load(setup_.path);
  Show();
  return loaded;
}

void Favorites::Show() {
  TopGroups& top = setup_.sources->Top();
  if (store_.Stations().empty()) {
    top.Clear(TopSlot::Favourites);
    return;
  }
  std::vector<TopStation> stations;
  stations.reserve(store_.Stations().size());
  for (const FavoriteStation& favorite : store_.Stations()) stations.push_back(ToTopStation(favorite));
  top.Set(TopSlot::Favourites, std::move(stations));
}

FavoritesStore::Change Favorites::Add(const FavoriteStation& station) {
  const FavoritesStore::Change change = store_.Add(station);
  if (change == FavoritesStore::Change::Done) Show();
  return change;
}

FavoritesStore::Change Favorites::Remove(const FavoriteStation& station) {
  const FavoritesStore::Change change = store_.Remove(station);
  if (change == FavoritesStore::Change::Done) Show();
  return change;
}

const char* Favorites::ReadOnlyReason() const {
  switch (store_.mode()) {
    case FavoritesStore::Mode::Writable: return nullptr;
    case FavoritesStore::Mode::NewerFile: return "收藏来自新版的 TiroRadio，只能查看";
    case FavoritesStore::Mode::Unreadable: return "收藏文件无法读取，暂不能更改";
  }
  return nullptr;
}

POINT Favorites::ScreenPoint(int x, int y) const {
  POINT point = {x, y};
  ClientToScreen(setup_.list->listWindow(), &point);
  return point;
}

void Favorites::OnRowRightClick(ItemHandle row, int x, int y) {
  TopStation top;
  if (!setup_.sources->StationOfRow(row, top)) return;
  // The station as it is now: the menu's choice acts on it even when the list changes while the menu is open.
  const FavoriteStation station = FromTopStation(top);
  StationMenuItems items;
  items.row = true;
  items.favorite = store_.Contains(station);
  items.canFavorite = IsFavoriteStation(station) && store_.Stations().size() < kMaxFavorites;
  items.note = ReadOnlyReason();
  if (!items.note && !items.favorite && store_.Stations().size() >= kMaxFavorites)
    items.note = "收藏已满（1000 个电台）";
  items.readOnly = store_.mode() != FavoritesStore::Mode::Writable;
  switch (TrackStationMenu(setup_.mainWindow, ScreenPoint(x, y), items)) {
    case StationMenuChoice::Favorite: Add(station); break;
    case StationMenuChoice::Unfavorite: Remove(station); break;
    case StationMenuChoice::AddStation: OpenAddWindow(); break;
    case StationMenuChoice::None: break;
  }
}

void Favorites::OnGroupRightClick(ItemHandle, int x, int y) {
  StationMenuItems items;
  items.note = ReadOnlyReason();
  items.readOnly = items.note != nullptr;
  if (TrackStationMenu(setup_.mainWindow, ScreenPoint(x, y), items) == StationMenuChoice::AddStation) OpenAddWindow();
}

void Favorites::OpenAddWindow() {
  const bool pinned = (GetWindowLongA(setup_.mainWindow, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
  OpenAddStationWindow(setup_.resources, [this](const FavoriteStation& station) { return Keep(station); }, pinned);
}

std::string Favorites::Keep(const FavoriteStation& station) {
  switch (Add(station)) {
    case FavoritesStore::Change::Done: return {};
    case FavoritesStore::Change::Duplicate: return "这个电台已在收藏中。";
    case FavoritesStore::Change::Full: return "收藏已满，最多 1000 个电台（文件最大 256 KB）。";
    case FavoritesStore::Change::ReadOnly:
      if (const char* reason = ReadOnlyReason()) return reason;
      break;
    case FavoritesStore::Change::WriteFailed: return "无法写入收藏文件 Favorites.Dat，电台未添加。";
    case FavoritesStore::Change::Invalid:
    case FavoritesStore::Change::Missing: break;
  }
  return "无法收藏这个电台。";
}

}  // namespace trr
