#include "player/channel_loader.h"

#include <utility>

#include "player/channel_document.h"
#include "player/media_player_host.h"

namespace trr {

bool CreateChannelList(GroupList& list, HWND container, EventHandler onRowDoubleClick) {
  // Both do nothing before the control has a window; they keep a second load from doubling the list.
  list.RemoveGroup();
  list.ClearGroups();
  if (!list.Create(container, Given(0), Given(1), Given(1)) && !list.listWindow()) return false;
  list.SetEventHandlers({}, Given(onRowDoubleClick));
  list.SetGroupColours(Given(1));
  return true;
}

int FillChannelList(GroupList& list, const std::vector<ChannelGroup>& channels, const std::string& stationPicture) {
  if (!list.listWindow()) return 0;
  // One pass for the whole directory: the same groups, rows, handles and document as one AddGroup per group
  // and one AddItem per station, without building every row's element before the window shows.
  std::vector<GroupRows> groups(channels.size());
  for (size_t g = 0; g < channels.size(); ++g) {
    groups[g].title = channels[g].name;
    groups[g].rows.reserve(channels[g].stations.size());
    for (const Station& station : channels[g].stations) groups[g].rows.push_back(RowText{station.name, station.id});
  }
  RowData station;
  station.avatarPicture = stationPicture;
  station.nameColour = static_cast<int32_t>(kStationNameColour);
  station.online = true;
  station.signature = kStationSignature;
  return list.AddGroupsWithRows(groups, station);
}

int LoadChannelList(GroupList& list, HWND container, std::string_view document, const std::string& stationPicture,
                    EventHandler onRowDoubleClick) {
  if (!CreateChannelList(list, container, onRowDoubleClick)) return 0;
  return FillChannelList(list, ParseChannelDocument(document).groups, stationPicture);
}

bool StartStationFromRow(GroupList& list, ItemHandle row, MediaPlayerHost& player, std::string& currentStationName) {
  RowData data;
  // A group reads back too, without a group of its own; only rows name a station.
  if (!list.GetItemInfo(row, data) || data.groupHandle <= 0) return false;
  // The name is in place before the URL is written: the control may report "playing" from inside put_URL, and
  // the status must then show the new station, not the previous one.
  std::string previous = std::exchange(currentStationName, data.name);
  if (!player.SetUrl(StationLookupUrl(data.number))) {
    currentStationName = std::move(previous);
    return false;
  }
  return true;
}

}  // namespace trr
