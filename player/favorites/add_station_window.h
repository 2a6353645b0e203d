// The 添加电台 window: a station of the user's own, by its name and stream address. A top-level window in the
// player's colours with two edit boxes (name, address), 确定 and 取消, and a label that says why an entry was
// refused. Enter is 确定, Esc and 取消 close it; it never closes on a refused entry.
#pragma once
#include <windows.h>

#include <functional>
#include <string>

#include "player/favorites/favorite_station.h"

namespace trr {

// The controls, by the names the window's layout gives them.
constexpr char kAddStationClass[] = "TrRadioAddStationWindow";
constexpr char kNameBox[] = "名称框";
constexpr char kAddressBox[] = "地址框";
constexpr char kRefusalLabel[] = "提示标签";

// Keeps the station that 确定 accepted: an empty text when it was kept (the window then closes), else the
// refusal that the window shows (the list is full, the station is a favourite already, the file cannot be
// written).
using KeepStation = std::function<std::string(const FavoriteStation& station)>;

// Opens the window with its pictures from `resources`, or brings the open one to the front (`keep` then
// replaces the former one); above every other window when `topmost` (the player is pinned). Returns the
// window; nullptr when it cannot be made.
HWND OpenAddStationWindow(HMODULE resources, KeepStation keep, bool topmost);

// The open window, or nullptr.
HWND AddStationWindow();

}  // namespace trr
