// The built-in directory in the channel list: its document loaded into the list, and the station a built-in
// row starts.
#pragma once
#include <windows.h>

#include <string>
#include <string_view>

#include "listctrl/group_list.h"
#include "player/playback/media_player_host.h"

namespace trr {

// Makes the list (CreateChannelList) and fills it with the groups of `document`. Returns the number of groups
// added; 0 when the window cannot be created, in which case nothing is added.
int LoadChannelList(GroupList& list, HWND container, std::string_view document, const std::string& stationPicture,
                    EventHandler onRowDoubleClick);

// The station of a built-in `row`: its name, and its look-up address (StationLookupUrl of the row's number),
// which the media player opens itself. False for a group or an unknown handle.
bool BuiltinStationOfRow(GroupList& list, ItemHandle row, std::string& name, std::string& url);

// The double-click of a built-in station row: starts the station's look-up address (StationLookupUrl of the
// row's number), which the media player opens itself, and keeps the row's name in `currentStationName`
// (StartStation). False, with nothing changed, for a group, an unknown handle or a player without a control.
bool StartStationFromRow(GroupList& list, ItemHandle row, MediaPlayerHost& player, std::string& currentStationName);

}  // namespace trr
