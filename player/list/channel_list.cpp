#include "player/list/channel_list.h"

#include <utility>

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

namespace {

// The groups and rows as the list control takes them, and the settings every station row shares. Throws when
// no memory can be had.
std::vector<GroupRows> RowsOf(const std::vector<ChannelGroup>& channels) {
  std::vector<GroupRows> groups(channels.size());
  for (size_t g = 0; g < channels.size(); ++g) {
    groups[g].title = channels[g].name;
    groups[g].rows.reserve(channels[g].stations.size());
    for (const Station& station : channels[g].stations) groups[g].rows.push_back(RowText{station.name, station.id});
  }
  return groups;
}

}  // namespace

RowData StationRowTemplate(const std::string& stationPicture) {
  RowData station;
  station.avatarPicture = stationPicture;
  station.nameColour = static_cast<int32_t>(kStationNameColour);
  station.online = true;
  station.signature = kStationSignature;
  return station;
}

int FillChannelList(GroupList& list, const std::vector<ChannelGroup>& channels, const std::string& stationPicture) {
  if (!list.listWindow()) return 0;
  // One pass for the whole directory: the same groups, rows, handles and document as one AddGroup per group
  // and one AddItem per station, without building every row's element before the window shows.
  return list.AddGroupsWithRows(RowsOf(channels), StationRowTemplate(stationPicture));
}

bool ReplaceChannelList(GroupList& list, const std::vector<ChannelGroup>& channels, const std::string& stationPicture) {
  if (!list.listWindow()) return false;
  std::vector<GroupRows> groups;
  RowData station;
  try {
    groups = RowsOf(channels);
    station = StationRowTemplate(stationPicture);
  } catch (...) {
    return false;  // no memory for the new rows: the list shows what it showed
  }
  list.RemoveGroup();
  list.AddGroupsWithRows(groups, station);
  return true;
}

bool ReadStationRow(GroupList& list, ItemHandle row, Station& station) {
  RowData data;
  // A group reads back too, without a group of its own; only rows name a station.
  if (!list.GetItemInfo(row, data) || data.groupHandle <= 0) return false;
  station.name = std::move(data.name);
  station.id = std::move(data.number);
  return true;
}

}  // namespace trr
