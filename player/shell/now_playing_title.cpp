#include "player/shell/now_playing_title.h"

#include "player/community/station_address_rule.h"
#include "player/nowplaying/now_playing_reader.h"
#include "player/shell/program_state.h"
#include "player/shell/window_layouts.h"
#include "ui/clipboard.h"
#include "ui/control_tooltip.h"
#include "ui/layout_window.h"

namespace trr {
namespace {

void ShowTitle(HWND mainWindow, const std::string& title) {
  ui::SetControlText(mainWindow, kListTitleLabel, title.empty() ? std::string(kTitleLabelText) : title);
  ui::SetControlTooltip(mainWindow, kListTitleLabel, title);
}

LRESULT OnReaderTry(HWND mainWindow, WPARAM station, LPARAM) {
  ProgramState& state = State();
  std::string title;
  if (state.nowPlaying && state.nowPlaying->TakeTitle(station, title)) ShowTitle(mainWindow, title);
  return 0;
}

}  // namespace

void FollowStartedStation(HWND mainWindow, const std::string& name, const std::string& url, bool community) {
  ProgramState& state = State();
  if (!state.nowPlaying) {
    ui::BindWindowMessage(mainWindow, kNowPlayingMessage, &OnReaderTry);
    state.nowPlaying = std::make_unique<NowPlayingReader>(mainWindow, kNowPlayingMessage);
  }
  ShowTitle(mainWindow, "");
  // The addresses a community station's stream leads to are under the community address rule; a built-in
  // station's and one the user typed are not.
  state.nowPlaying->Follow(url, name, community ? &IsPublicStationAddress : nullptr);
}

void StopFollowingStation(HWND mainWindow) {
  ProgramState& state = State();
  if (!state.nowPlaying || !state.nowPlaying->Following()) return;
  state.nowPlaying->Stop();
  ShowTitle(mainWindow, "");
}

void NoticePlayStateForTitle(HWND mainWindow, long playState) {
  // The states the control reports from inside put_URL came before the start; only later ones reach here with
  // the reader following the new station.
  if (playState == 1 || playState == 8) StopFollowingStation(mainWindow);
}

void OnTitleLabelClicked(const ui::Event& event) {
  const std::string shown = ui::ControlText(event.window, kListTitleLabel);
  if (shown.empty() || shown == kTitleLabelText) return;
  ui::CopyTextToClipboard(event.window, shown);
}

}  // namespace trr
