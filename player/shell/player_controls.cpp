#include "player/shell/player_controls.h"

#include <string>

#include "player/playback/play_state_display.h"
#include "player/shell/now_playing_title.h"
#include "player/shell/program_state.h"
#include "player/shell/window_layouts.h"
#include "ui/layout_window.h"

namespace trr {
namespace {

// The media player's play-state change: the status labels and the player's own visibility.
void ShowPlayState(HWND mainWindow, long playState) {
  PlayStateSetters setters;
  setters.setStatusText = [mainWindow](const std::string& text) {
    ui::SetControlText(mainWindow, kStatusLabel, text);
  };
  setters.setStateWord = [mainWindow](const std::string& text) {
    ui::SetControlText(mainWindow, kStateWordLabel, text);
  };
  setters.setPlayerVisible = [mainWindow](bool visible) { ui::SetControlVisible(mainWindow, kPlayerHost, visible); };
  ApplyPlayState(playState, State().currentStationName, setters);
  NoticePlayStateForTitle(mainWindow, playState);
}

// A finished online-count refresh: the sources decide whether the label shows it.
LRESULT OnCounterText(HWND mainWindow, WPARAM, LPARAM) {
  ProgramState& state = State();
  if (!state.onlineCounter) return 0;
  if (state.sources)
    state.sources->ShowOnlineCount(state.onlineCounter->LatestText());
  else
    ui::SetControlText(mainWindow, kCounterLabel, state.onlineCounter->LatestText());
  return 0;
}

}  // namespace

void TakeMediaPlayerObjects(HWND mainWindow) {
  ProgramState& state = State();
  if (!state.mediaPlayer) state.mediaPlayer = std::make_unique<MediaPlayerHost>();
  MediaPlayerHost& player = *state.mediaPlayer;
  if (player.Create(ui::FindControl(mainWindow, kPlayerHost))) {
    player.SetPlayStateHandler([mainWindow](long playState) { ShowPlayState(mainWindow, playState); });
    state.wmpControls = player.Controls();
    state.wmpSettings = player.Settings();
    state.wmpNetwork = player.Network();
  }
}

void StopPlayback(HWND mainWindow) {
  ProgramState& state = State();
  StopFollowingStation(mainWindow);
  // A station still being looked up is not started after the user stopped playback.
  if (state.sources) state.sources->OnStopClicked();
  if (state.wmpControls) state.wmpControls->stop();
}

void ApplyVolume(HWND, int position) {
  ProgramState& state = State();
  if (state.wmpSettings) state.wmpSettings->put_volume(position);
}

void RefreshOnlineCount(HWND mainWindow) {
  ProgramState& state = State();
  // The community list shows its station count there instead; the counter server is not asked.
  if (state.sources && !state.sources->WantsOnlineCount()) return;
  if (!state.onlineCounter) {
    // The worker tells the window's own thread, which writes the label; it never writes the label itself.
    ui::BindWindowMessage(mainWindow, kCounterTextMessage, &OnCounterText);
    state.onlineCounter = std::make_unique<OnlineCounter>(mainWindow, kCounterTextMessage);
  }
  // A tick that finds the previous refresh still running is skipped.
  state.onlineCounter->StartRefresh();
}

}  // namespace trr
