// Fills the channel list control from the channel document, and starts a station when its row is
// double-clicked.
#pragma once
#include <windows.h>

#include <string>
#include <string_view>
#include <vector>

#include "listctrl/group_list.h"
#include "player/channel_document.h"

namespace trr {

class MediaPlayerHost;

// Row settings of every station row.
constexpr COLORREF kStationNameColour = 0xFF8800;
constexpr const char kStationSignature[] = "双击收听";

// Empties `list`, creates its window inside `container` (border 0, mode 1, enlarged selection, default
// background), registers `onRowDoubleClick` as its only handler and sets square group frames. The list is then
// empty until FillChannelList. False when the window cannot be created.
bool CreateChannelList(GroupList& list, HWND container, EventHandler onRowDoubleClick);

// Adds `groups` in order to the list made by CreateChannelList, each collapsed, with one row per station
// (avatar `stationPicture`, name colour kStationNameColour, online, signature kStationSignature). Returns the
// number of groups added; 0 when the list has no window.
int FillChannelList(GroupList& list, const std::vector<ChannelGroup>& groups, const std::string& stationPicture);

// Both at once, with the groups of `document`. Returns the number of groups added; 0 when the window cannot
// be created, in which case nothing is added.
int LoadChannelList(GroupList& list, HWND container, std::string_view document, const std::string& stationPicture,
                    EventHandler onRowDoubleClick);

// The double-click of a station row: reads the row, sets the player's URL to the station's look-up address and
// keeps the row's name in `currentStationName`. False, with nothing changed, when the row cannot be read or the
// player has no control (a player without a control ignores double-clicks).
bool StartStationFromRow(GroupList& list, ItemHandle row, MediaPlayerHost& player, std::string& currentStationName);

}  // namespace trr
