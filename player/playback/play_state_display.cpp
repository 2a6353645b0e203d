#include "player/playback/play_state_display.h"

namespace trr {
namespace {

constexpr PlayerVisibility kKeep = PlayerVisibility::Unchanged;

// Indexed by WMPPlayState.
constexpr PlayStateRow kRows[] = {
    /* 0 undefined          */ {nullptr, false, nullptr, kKeep},
    /* 1 stopped            */ {"TiroRadio", false, "停止", PlayerVisibility::Hidden},
    /* 2 paused             */ {nullptr, false, nullptr, kKeep},
    /* 3 playing            */ {nullptr, true, "正在播放", PlayerVisibility::Shown},
    /* 4 scanning forward   */ {nullptr, false, nullptr, kKeep},
    /* 5 scanning backward  */ {"正在向后搜索流媒体...", false, nullptr, kKeep},
    /* 6 buffering          */ {"缓冲数据...", false, "缓存中", kKeep},
    /* 7 waiting            */ {"等待加载流媒体...", false, nullptr, kKeep},
    /* 8 media ended        */ {"播放结束", false, nullptr, PlayerVisibility::Hidden},
    /* 9 transitioning      */ {"正在连接到媒体...", false, "连接中", kKeep},
    /* 10 ready             */ {"准备就绪", false, "", kKeep},
    /* 11 reconnecting      */ {"正在尝试重新连接流媒体数据...", false, nullptr, kKeep},
};

}  // namespace

PlayStateRow PlayStateRowFor(long playState) {
  if (playState < 0 || playState >= static_cast<long>(sizeof(kRows) / sizeof(kRows[0])))
    return PlayStateRow{nullptr, false, nullptr, kKeep};
  return kRows[playState];
}

void ApplyPlayState(long playState, const std::string& currentStationName, const PlayStateSetters& setters) {
  const PlayStateRow row = PlayStateRowFor(playState);
  if (setters.setStatusText) {
    if (row.statusIsStationName)
      setters.setStatusText(currentStationName);
    else if (row.statusText)
      setters.setStatusText(row.statusText);
  }
  if (row.stateWord && setters.setStateWord) setters.setStateWord(row.stateWord);
  if (row.player != kKeep && setters.setPlayerVisible)
    setters.setPlayerVisible(row.player == PlayerVisibility::Shown);
}

}  // namespace trr
