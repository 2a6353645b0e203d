// Starting a station in the media player, whichever directory listed it.
#pragma once
#include <string>

#include "player/playback/media_player_host.h"

namespace trr {

// Keeps `name` in `currentStationName` and writes `url` to the player's URL; with auto start on, the control
// opens and plays it. The name is in place before the URL is written: the control may report "playing" from
// inside put_URL, and the status must then show the new station, not the previous one. False, with the name
// left as it was, for an empty address, a player without a control or a refused URL.
bool StartStation(MediaPlayerHost& player, const std::string& name, const std::string& url,
                  std::string& currentStationName);

}  // namespace trr
