#include "player/community_loader.h"

#include <utility>
#include <vector>

#include "player/channel_loader.h"
#include "player/community_reply.h"
#include "player/media_player_host.h"

namespace trr {

size_t LoadCommunityList(GroupList& list, HWND container, const CommunityDirectory& directory,
                         const std::string& stationPicture, EventHandler onRowDoubleClick,
                         CommunityAddressTable& addresses) {
  addresses.clear();
  std::vector<GroupRows> groups(directory.groups.size());
  size_t rows = 0;
  for (size_t g = 0; g < directory.groups.size(); ++g) {
    groups[g].title = directory.groups[g].name;
    groups[g].rows.reserve(directory.groups[g].rows.size());
    for (const CommunityRow& row : directory.groups[g].rows) {
      groups[g].rows.push_back(RowText{row.name, row.uuid});
      addresses.emplace(row.uuid, row.address);
    }
    rows += directory.groups[g].rows.size();
  }
  const int added = FillStationList(list, container, groups, stationPicture, onRowDoubleClick);
  if (added != static_cast<int>(groups.size())) {
    addresses.clear();
    return 0;
  }
  return rows;
}

std::string CommunityCountText(size_t rows) { return "共 " + std::to_string(rows) + " 个电台"; }

bool PickCommunityStation(GroupList& list, ItemHandle row, const CommunityAddressTable& addresses,
                          CommunityPick& pick) {
  RowData data;
  if (!list.GetItemInfo(row, data) || data.groupHandle <= 0 || !IsStationUuid(data.number)) return false;
  auto found = addresses.find(data.number);
  pick.uuid = std::move(data.number);
  pick.name = std::move(data.name);
  pick.fallbackAddress = found == addresses.end() ? std::string() : found->second;
  return true;
}

bool PlayCommunityStation(MediaPlayerHost& player, const std::string& name, const std::string& address,
                          std::string& currentStationName) {
  if (address.empty() || !player.IsCreated()) return false;
  std::string previous = std::exchange(currentStationName, name);
  if (!player.SetUrl(address)) {
    currentStationName = std::move(previous);
    return false;
  }
  return true;
}

}  // namespace trr
