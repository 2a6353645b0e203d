#include "player/shell_hooks.h"

#include <string>

#include "common/file_util.h"
#include "common/scoped_win.h"
#include "common/server_address.h"
#include "player/channel_cache.h"
#include "player/channel_document.h"
#include "player/channel_loader.h"
#include "player/community_hooks.h"
#include "player/main_window.h"
#include "player/notify_icon_slot.h"
#include "player/play_state_display.h"
#include "player/program_end.h"
#include "player/program_state.h"
#include "player/update_check.h"
#include "player/version.h"
#include "ui/layout_window.h"

namespace trr {
namespace {

constexpr char kListHost[] = "图片框";
constexpr char kPlayerHost[] = "电视播放器";
constexpr char kStatusLabel[] = "状态标签";
constexpr char kStateWordLabel[] = "时间标签";
constexpr char kCounterLabel[] = "透明标签2";

// The list control's row double-click: start the station, through the source that listed it.
int32_t __stdcall OnStationDoubleClick(int32_t row, int32_t, int32_t) {
  ProgramState& state = State();
  if (CommunityListed())
    StartCommunityStation(row);
  else if (state.mediaPlayer)
    StartStationFromRow(state.channelList, row, *state.mediaPlayer, state.currentStationName);
  return 0;
}

// A finished online-count refresh: the label shows it unless it shows the community list's station count.
LRESULT OnCounterText(HWND mainWindow, WPARAM, LPARAM) {
  ProgramState& state = State();
  if (state.onlineCounter && !CommunityListed())
    ui::SetControlText(mainWindow, kCounterLabel, state.onlineCounter->LatestText());
  return 0;
}

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
}

}  // namespace

void StartChannelDirectory(HWND mainWindow) {
  ProgramState& state = State();
  try {
    // Source=community: the built-in directory is neither read nor fetched.
    if (!StartCommunitySource(mainWindow)) return;
    ui::BindWindowMessage(mainWindow, kDirectoryArrivedMessage, &OnDirectoryArrived);
    state.directoryWorker = std::make_unique<DirectoryWorker>(mainWindow, kDirectoryArrivedMessage);
    // Set once the directory request has gone out (or will not): the version request waits for it to go first.
    auto sent = std::make_shared<ScopedHandle>(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    state.directoryRequestSent = sent;
    const std::string cachePath = state.cachePath;
    const std::string url = DirectoryServerUrl() + "/Data.asp?GGwl=LIstGB";
    bool started = state.directoryWorker->Start([cachePath, url, sent] {
      return ReadOrFetchDirectory(cachePath, url, [sent] { SetEvent(sent->get()); });
    });
    if (!started && *sent) SetEvent(sent->get());
  } catch (...) {
    // No memory to start it: the list stays empty, as after a failed fetch, and the other load steps go on.
    state.directoryRequestSent.reset();
  }
}

void WaitForDirectoryRequest() {
  const std::shared_ptr<ScopedHandle>& sent = State().directoryRequestSent;
  if (sent && *sent) WaitForSingleObject(sent->get(), kDirectoryHeadStartMs);
}

void CreateChannels(HWND mainWindow) {
  CreateChannelList(State().channelList, ui::FindControl(mainWindow, kListHost), &OnStationDoubleClick);
  // A directory that arrived while the list had no window yet is shown now.
  OnDirectoryArrived(mainWindow, 0, 0);
}

LRESULT OnDirectoryArrived(HWND mainWindow, WPARAM, LPARAM) {
  ProgramState& state = State();
  // Before the list exists the result stays with the worker; CreateChannels takes it.
  if (!state.directoryWorker || !state.channelList.listWindow()) return 0;
  std::optional<DirectoryResult> result = state.directoryWorker->Take();
  if (!result) return 0;
  state.channelListBytes = std::move(result->fetchedBytes);
  if (!AcceptBuiltinDirectory(mainWindow, !result->groups.empty())) return 0;
  FillChannelList(state.channelList, result->groups, StationPictureBytes());
  return 0;
}

void TakeMediaPlayerObjects(HWND mainWindow) {
  ProgramState& state = State();
  auto player = std::make_unique<MediaPlayerHost>();
  // A machine without the control still runs the player: the list shows, and double-clicks start nothing.
  if (player->Create(ui::FindControl(mainWindow, kPlayerHost))) {
    player->SetPlayStateHandler([mainWindow](long playState) { ShowPlayState(mainWindow, playState); });
    state.wmpControls = player->Controls();
    state.wmpSettings = player->Settings();
    state.wmpNetwork = player->Network();
  }
  state.mediaPlayer = std::move(player);
}

void RunUpdateCheck(HWND mainWindow) { RunUpdateCheck(mainWindow, ModuleDirectory()); }

void RunUpdateCheck(HWND mainWindow, const std::string& programDirectory) {
  if (CheckForUpdate(kOwnVersion, programDirectory, State().remoteVersionText) != UpdateDecision::HandOver) return;
  // As on every other way out: an icon left behind would stay in the notification area after the player ends.
  RemoveProgramIcon(mainWindow);
  EndProgram(0);
}

void RefreshOnlineCount(HWND mainWindow) {
  ProgramState& state = State();
  // The community list shows its station count there instead; the counter server is not asked.
  if (CommunityListed()) return;
  if (!state.onlineCounter) {
    // The worker tells the window's own thread, which writes the label; it never writes the label itself.
    ui::BindWindowMessage(mainWindow, kCounterTextMessage, &OnCounterText);
    state.onlineCounter = std::make_unique<OnlineCounter>(mainWindow, kCounterTextMessage);
  }
  // A tick that finds the previous refresh still running is skipped.
  state.onlineCounter->StartRefresh();
}

void StopPlayback(HWND) {
  ProgramState& state = State();
  if (state.wmpControls) state.wmpControls->stop();
}

void ApplyVolume(HWND, int position) {
  ProgramState& state = State();
  if (state.wmpSettings) state.wmpSettings->put_volume(position);
}

void ReleaseListControlState() { ReleaseAllListControls(); }

}  // namespace trr
