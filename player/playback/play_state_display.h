// What the main window shows for each play state of the media player: the long status text (状态标签), the
// short state word (时间标签) and whether the player control (电视播放器) is visible. The table is data;
// ApplyPlayState writes it through setters so that it runs without the main window.
#pragma once
#include <functional>
#include <string>

namespace trr {

enum class PlayerVisibility { Unchanged, Shown, Hidden };

struct PlayStateRow {
  const char* statusText;    // 状态标签; nullptr leaves it unchanged
  bool statusIsStationName;  // 状态标签 shows the current station's name instead
  const char* stateWord;     // 时间标签; nullptr leaves it unchanged ("" empties it)
  PlayerVisibility player;   // 电视播放器
};

// The row for a media player play state (WMPPlayState); states outside 0..11 give a row that changes nothing.
PlayStateRow PlayStateRowFor(long playState);

struct PlayStateSetters {
  std::function<void(const std::string&)> setStatusText;  // 状态标签
  std::function<void(const std::string&)> setStateWord;   // 时间标签
  std::function<void(bool visible)> setPlayerVisible;     // 电视播放器
};

// Writes the row of `playState`; items the row leaves unchanged (and missing setters) are not called.
void ApplyPlayState(long playState, const std::string& currentStationName, const PlayStateSetters& setters);

}  // namespace trr
