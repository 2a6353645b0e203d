// The community station list in the channel list control, and the station a community row starts.
//
// Each row keeps its station's id (the directory's stationuuid) in its number (项目号码), where a built-in row
// keeps its station id; the station's address from the listing stays in a table beside the list
// (CommunityAddressTable, keyed by that id), played when the look-up of the station's address fails.
#pragma once
#include <windows.h>

#include <string>
#include <unordered_map>

#include "listctrl/group_list.h"
#include "player/community/community_directory.h"
#include "player/list/station_groups.h"

namespace trr {

// Station id -> stream address from the listing (empty when the listing had none).
using CommunityAddressTable = std::unordered_map<std::string, std::string>;

// Replaces what `list` (made by CreateChannelList) shows by the groups of `directory` in order, collapsed, each
// row with the station row settings of the built-in list (ReplaceChannelList), and `addresses` by the listed
// stations' addresses. The rows' text is moved out of `directory`, into `listed` when given (the listed
// stations as the list shows them, group by group). Returns the number of rows listed; 0, with the list,
// `addresses` and `listed` as they were, when the list has no window, `directory` no row, or no memory could
// be had for the new list.
size_t LoadCommunityList(GroupList& list, CommunityDirectory& directory, const std::string& stationPicture,
                         CommunityAddressTable& addresses, std::vector<ChannelGroup>* listed = nullptr);

// The counter label while the community list is shown: "共 " + rows in decimal + " 个电台".
std::string CommunityCountText(size_t rows);

// What a double-click on a community row starts.
struct CommunityPick {
  std::string uuid;
  std::string name;
  std::string fallbackAddress;  // the listing's address; empty when it had none
};

// Reads the double-clicked `row`; false for a group, an unknown handle or a row without a station id.
bool PickCommunityStation(GroupList& list, ItemHandle row, const CommunityAddressTable& addresses,
                          CommunityPick& pick);

}  // namespace trr
