// Where the community directory joins the player shell. Everything here runs on the window thread.
//
// Sources: with Source=builtin only the built-in directory runs, as it always has. With community, the list
// comes from Community.Dat at once and is fetched again on a worker when the file is missing or a day old.
// With auto, the built-in directory is read or fetched first, as with builtin; the community list is read from
// Community.Dat at the same time when GB.Dat is missing (so a cached list shows without waiting for the
// built-in server), and it is fetched only once the built-in directory has yielded no list. A built-in list,
// whenever it arrives, replaces a community one.
#pragma once
#include <windows.h>

#include <vector>

#include "listctrl/group_list.h"

namespace trr {

// Posted to the main window by the community workers.
constexpr UINT kCommunityCacheMessage = WM_APP + 0x130;   // Community.Dat has been read
constexpr UINT kCommunityFetchMessage = WM_APP + 0x131;   // the community fetch has ended
constexpr UINT kStationLookupMessage = WM_APP + 0x132;    // a station's address look-up has ended
constexpr UINT kCounterTextMessage = WM_APP + 0x133;      // an online-count refresh has ended

// Load step 2, before the built-in directory starts: reads the source setting, binds the community messages
// and, for community (or auto without GB.Dat), starts reading Community.Dat. True when the built-in directory
// is to be started (builtin, auto).
bool StartCommunitySource(HWND mainWindow);

// The built-in directory job's result has arrived, with or without groups. True when the caller is to list
// them (the list has been emptied when it showed community stations); false when the community directory takes
// over (auto without a built-in list).
bool AcceptBuiltinDirectory(HWND mainWindow, bool hasGroups);

// True while the list shows community stations.
bool CommunityListed();

// The double-click of a row while the list shows community stations: hands the station to the look-up worker,
// whose answer plays it. False when the list shows no community stations (or `row` is none of its stations).
bool StartCommunityStation(ItemHandle row);

// The text of the counter label while the list shows community stations ("共 N 个电台").
std::string CommunityCounterText();

}  // namespace trr
