#include "player/directory/builtin_list.h"

#include <utility>

#include "player/directory/channel_document.h"
#include "player/list/channel_list.h"
#include "player/playback/station_start.h"

namespace trr {

int LoadChannelList(GroupList& list, HWND container, std::string_view document, const std::string& stationPicture,
                    EventHandler onRowDoubleClick) {
  if (!CreateChannelList(list, container, onRowDoubleClick)) return 0;
  return FillChannelList(list, ParseChannelDocument(document).groups, stationPicture);
}

bool BuiltinStationOfRow(GroupList& list, ItemHandle row, std::string& name, std::string& url) {
  Station station;
  if (!ReadStationRow(list, row, station)) return false;
  url = StationLookupUrl(station.id);
  name = std::move(station.name);
  return true;
}

bool StartStationFromRow(GroupList& list, ItemHandle row, MediaPlayerHost& player, std::string& currentStationName) {
  std::string name, url;
  return BuiltinStationOfRow(list, row, name, url) && StartStation(player, name, url, currentStationName);
}

}  // namespace trr
