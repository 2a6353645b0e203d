// The channel list control as the player uses it: made inside its host picture box, filled with groups of
// station rows. Both directories fill it through here, so their rows look and click the same.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "listctrl/group_list.h"
#include "player/list/station_groups.h"

namespace trr {

// Row settings of every station row.
constexpr COLORREF kStationNameColour = 0xFF8800;
constexpr const char kStationSignature[] = "双击收听";

// Empties `list`, creates its window inside `container` (border 0, mode 1, enlarged selection, default
// background), registers `onRowDoubleClick` as its only handler and sets square group frames. The list is then
// empty until FillChannelList. False when the window cannot be created.
bool CreateChannelList(GroupList& list, HWND container, EventHandler onRowDoubleClick);

// The row every station row is made from: avatar `stationPicture`, name colour kStationNameColour, online,
// signature kStationSignature (name and number are the station's).
RowData StationRowTemplate(const std::string& stationPicture);

// Adds `groups` in order to the list made by CreateChannelList, each collapsed, with one row per station
// (avatar `stationPicture`, name colour kStationNameColour, online, signature kStationSignature). Returns the
// number of groups added; 0 when the list has no window.
int FillChannelList(GroupList& list, const std::vector<ChannelGroup>& groups, const std::string& stationPicture);

// Replaces what `list` shows by `groups` (as FillChannelList adds them). The rows are made ready before the
// list is emptied, so a lack of memory leaves the list as it was shown. False then, or when the list has no
// window; true when the new list is in place.
bool ReplaceChannelList(GroupList& list, const std::vector<ChannelGroup>& groups, const std::string& stationPicture);

// The name and number (station id or uuid) of the station `row`; false for a group or an unknown handle.
bool ReadStationRow(GroupList& list, ItemHandle row, Station& station);

}  // namespace trr
