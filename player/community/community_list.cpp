#include "player/community/community_list.h"

#include <utility>
#include <vector>

#include "player/community/community_reply.h"
#include "player/list/channel_list.h"

namespace trr {

size_t LoadCommunityList(GroupList& list, CommunityDirectory& directory, const std::string& stationPicture,
                         CommunityAddressTable& addresses, std::vector<ChannelGroup>* listed) {
  const size_t rows = directory.RowCount();
  if (rows == 0 || !list.listWindow()) return 0;
  // The rows as the built-in list carries them (name, and the station id as the number), so both lists are
  // filled, drawn and clicked the same way. All of it is made before the list changes.
  std::vector<ChannelGroup> groups;
  CommunityAddressTable table;
  try {
    groups.resize(directory.groups.size());
    table.reserve(rows);
    for (size_t g = 0; g < directory.groups.size(); ++g) {
      groups[g].name = std::move(directory.groups[g].name);
      groups[g].stations.reserve(directory.groups[g].rows.size());
      for (CommunityRow& row : directory.groups[g].rows) {
        groups[g].stations.push_back(Station{std::move(row.name), row.uuid});
        table.emplace(std::move(row.uuid), std::move(row.address));
      }
    }
  } catch (...) {
    return 0;  // no memory for the new list: the one shown stays
  }
  if (!ReplaceChannelList(list, groups, stationPicture)) return 0;
  addresses.swap(table);
  // The list keeps its own copy of every row's text: these groups are free to go.
  if (listed) *listed = std::move(groups);
  return rows;
}

std::string CommunityCountText(size_t rows) { return "共 " + std::to_string(rows) + " 个电台"; }

bool PickCommunityStation(GroupList& list, ItemHandle row, const CommunityAddressTable& addresses,
                          CommunityPick& pick) {
  Station station;
  if (!ReadStationRow(list, row, station) || !IsStationUuid(station.id)) return false;
  auto found = addresses.find(station.id);
  pick.fallbackAddress = found == addresses.end() ? std::string() : found->second;
  pick.uuid = std::move(station.id);
  pick.name = std::move(station.name);
  return true;
}

}  // namespace trr
