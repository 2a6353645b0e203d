#include "player/playback/station_start.h"

#include <utility>

namespace trr {

bool StartStation(MediaPlayerHost& player, const std::string& name, const std::string& url,
                  std::string& currentStationName) {
  if (url.empty() || !player.IsCreated()) return false;
  std::string previous = std::exchange(currentStationName, name);
  if (!player.SetUrl(url)) {
    currentStationName = std::move(previous);
    return false;
  }
  return true;
}

}  // namespace trr
