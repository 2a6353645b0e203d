#include "player/community/community_list.h"

#include <utility>
#include <vector>

#include "player/community/community_reply.h"
#include "player/list/channel_list.h"

namespace trr {

size_t LoadCommunityList(GroupList& list, const CommunityDirectory& directory, const std::string& stationPicture,
                         CommunityAddressTable& addresses) {
  addresses.clear();
  // The rows as the built-in list carries them (name, and the station id as the number), so both lists are
  // filled, drawn and clicked the same way.
  std::vector<ChannelGroup> groups(directory.groups.size());
  for (size_t g = 0; g < directory.groups.size(); ++g) {
    groups[g].name = directory.groups[g].name;
    groups[g].stations.reserve(directory.groups[g].rows.size());
    for (const CommunityRow& row : directory.groups[g].rows) {
      groups[g].stations.push_back(Station{row.name, row.uuid});
      addresses.emplace(row.uuid, row.address);
    }
  }
  if (FillChannelList(list, groups, stationPicture) != static_cast<int>(groups.size())) {
    addresses.clear();
    return 0;
  }
  return directory.RowCount();
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
