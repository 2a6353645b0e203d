#include "player/directory/builtin_list.h"

#include "player/directory/channel_document.h"
#include "player/list/channel_list.h"
#include "player/playback/station_start.h"

namespace trr {

int LoadChannelList(GroupList& list, HWND container, std::string_view document, const std::string& stationPicture,
                    EventHandler onRowDoubleClick) {
  if (!CreateChannelList(list, container, onRowDoubleClick)) return 0;
  return FillChannelList(list, ParseChannelDocument(document).groups, stationPicture);
}

bool StartStationFromRow(GroupList& list, ItemHandle row, MediaPlayerHost& player, std::string& currentStationName) {
  Station station;
  if (!ReadStationRow(list, row, station)) return false;
  return StartStation(player, station.name, StationLookupUrl(station.id), currentStationName);
}

}  // namespace trr
