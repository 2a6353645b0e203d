#include "player/channel_loader.h"

#include <utility>

#include "player/channel_document.h"
#include "player/media_player_host.h"

namespace trr {

int LoadChannelList(GroupList& list, HWND container, std::string_view document, const std::string& stationPicture,
                    EventHandler onRowDoubleClick) {
  // Both do nothing before the control has a window; they keep a second load from doubling the list.
  list.RemoveGroup();
  list.ClearGroups();
  if (!list.Create(container, Given(0), Given(1), Given(1)) && !list.listWindow()) return 0;
  list.SetEventHandlers({}, Given(onRowDoubleClick));
  list.SetGroupColours(Given(1));

  int groupsAdded = 0;
  for (const ChannelGroup& group : ParseChannelDocument(document)) {
    ItemHandle groupHandle = list.AddGroup(group.name);
    if (!groupHandle) continue;
    ++groupsAdded;
    for (const Station& station : group.stations) {
      RowData row;
      row.groupHandle = groupHandle;
      row.avatarPicture = stationPicture;
      row.name = station.name;
      row.number = station.id;
      row.nameColour = static_cast<int32_t>(kStationNameColour);
      row.online = true;
      row.signature = kStationSignature;
      list.AddItem(row);
    }
  }
  return groupsAdded;
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
