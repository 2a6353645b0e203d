#include "player/shell/load_steps.h"

#include "common/file_util.h"
#include "player/directory/channel_cache.h"
#include "player/favorites/favorites.h"
#include "player/list/channel_list.h"
#include "player/shell/main_window.h"
#include "player/shell/notify_icon_slot.h"
#include "player/shell/now_playing_title.h"
#include "player/shell/player_controls.h"
#include "player/shell/program_end.h"
#include "player/shell/program_state.h"
#include "player/shell/search_box.h"
#include "player/shell/window_layouts.h"
#include "player/update/update_check.h"
#include "player/update/version.h"
#include "ui/layout_window.h"
#include "ui/window_region.h"

namespace trr {
namespace {

// The list control's row double-click: the station starts through the source that listed it.
int32_t __stdcall OnStationDoubleClick(int32_t row, int32_t, int32_t) {
  if (State().sources) State().sources->PlayRow(row);
  return 0;
}

// The list control's right clicks: the favourites' menus.
int32_t __stdcall OnStationRightClick(int32_t row, int32_t x, int32_t y) {
  if (State().favorites) State().favorites->OnRowRightClick(row, x, y);
  return 0;
}

int32_t __stdcall OnGroupRightClick(int32_t group, int32_t x, int32_t y) {
  if (State().favorites) State().favorites->OnGroupRightClick(group, x, y);
  return 0;
}

// The sources' jobs end by messages to the main window; each goes to its handler in the sources.
template <void (SourceChoice::*handler)()>
LRESULT RouteToSources(HWND, WPARAM, LPARAM) {
  if (State().sources) (State().sources.get()->*handler)();
  return 0;
}

// Load step 2: which directory fills the list is the sources' choice; their jobs start here, and nothing
// waits for them.
void StartSources(HWND mainWindow) {
  ProgramState& state = State();
  ui::BindWindowMessage(mainWindow, SourceChoice::kDirectoryArrivedMessage,
                        &RouteToSources<&SourceChoice::OnDirectoryArrived>);
  ui::BindWindowMessage(mainWindow, SourceChoice::kCommunityCacheMessage,
                        &RouteToSources<&SourceChoice::OnCommunityCacheRead>);
  ui::BindWindowMessage(mainWindow, SourceChoice::kCommunityFetchMessage,
                        &RouteToSources<&SourceChoice::OnCommunityFetched>);
  ui::BindWindowMessage(mainWindow, SourceChoice::kStationLookupMessage,
                        &RouteToSources<&SourceChoice::OnLookupAnswer>);
  ui::BindWindowMessage(mainWindow, SourceChoice::kCommunitySearchMessage,
                        &RouteToSources<&SourceChoice::OnCommunitySearched>);
  ui::BindWindowMessage(mainWindow, SourceChoice::kSearchIndexMessage,
                        &RouteToSources<&SourceChoice::OnSearchIndexBuilt>);
  SourceChoice::Setup setup;
  setup.window = mainWindow;
  setup.list = &state.channelList;
  setup.player = state.mediaPlayer.get();
  setup.currentStationName = &state.currentStationName;
  setup.channelListBytes = &state.channelListBytes;
  setup.programDirectory = ModuleDirectory();
  setup.cachePath = state.cachePath;
  setup.stationPicture = StationPictureBytes();
  setup.setCounterLabel = [mainWindow](const std::string& text) {
    ui::SetControlText(mainWindow, kCounterLabel, text);
  };
  setup.stationStarted = [mainWindow](const std::string& name, const std::string& url, bool community) {
    FollowStartedStation(mainWindow, name, url, community);
  };
  setup.setSearchDelay = [mainWindow](unsigned milliseconds) {
    ui::SetTimerInterval(mainWindow, kSearchDelayTimer, milliseconds);
  };
  state.sources = std::make_unique<SourceChoice>(std::move(setup));
  state.sources->Start();
}

// The favourites from Favorites.Dat, shown in 我的收藏 before any directory arrives.
void ShowFavorites(HWND mainWindow) {
  ProgramState& state = State();
  if (!state.sources) return;
  Favorites::Setup setup;
  setup.mainWindow = mainWindow;
  setup.list = &state.channelList;
  setup.sources = state.sources.get();
  setup.resources = PlayerResources();
  setup.path = FavoritesPath(ModuleDirectory());
  try {
    state.favorites = std::make_unique<Favorites>(std::move(setup));
    state.favorites->Load();
  } catch (...) {
    // No memory for them: the list goes on without favourites, and nothing is written.
    state.favorites.reset();
  }
}

// Load step 3: the channel list inside 图片框, empty until a directory arrives but for the favourites.
void CreateChannels(HWND mainWindow) {
  ProgramState& state = State();
  CreateChannelList(state.channelList, ui::FindControl(mainWindow, kListHost), &OnStationDoubleClick,
                    &OnStationRightClick, &OnGroupRightClick);
  SetUpSearchBox(mainWindow);
  ShowFavorites(mainWindow);
  // A directory that arrived while the list had no window yet is shown now.
  if (state.sources) state.sources->OnDirectoryArrived();
}

}  // namespace

void RunLoadSteps(HWND mainWindow) {
  ProgramState& state = State();
  // 1. Where the channel cache lives. The player object exists from here on, so that the sources can hand it
  // their stations; its control comes in step 4.
  state.cachePath = ChannelCachePath(ModuleDirectory());
  state.mediaPlayer = std::make_unique<MediaPlayerHost>();
  // 2. The directory, read from the cache or fetched when the cache is missing, on a worker: the window never
  // waits for it. A failed fetch leaves no file behind.
  try {
    StartSources(mainWindow);
  } catch (...) {
    // No memory to start them: the list stays empty, as after a failed fetch, and the other load steps go on.
    state.sources.reset();
  }
  // 3. The channel list, empty until the directory arrives.
  CreateChannels(mainWindow);
  // 4. The media player's sub-objects.
  TakeMediaPlayerObjects(mainWindow);
  // 5. Rounded shape of the window's present size; folding later does not reshape it.
  state.windowHandle = mainWindow;
  state.windowRegion = ui::ApplyRoundedRegion(mainWindow, 5);
  // 6. The notification-area icon.
  InstallProgramIcon(mainWindow, PlayerResources());
  // 7. The update check, which may end the program here; its request leaves after the directory's.
  if (state.sources) state.sources->WaitForDirectoryRequest();
  RunUpdateCheck(mainWindow, ModuleDirectory());
}

void RunUpdateCheck(HWND mainWindow, const std::string& programDirectory) {
  if (CheckForUpdate(kOwnVersion, programDirectory, State().remoteVersionText) != UpdateDecision::HandOver) return;
  // As on every other way out: an icon left behind would stay in the notification area after the player ends.
  RemoveProgramIcon(mainWindow);
  EndProgram(0);
}

}  // namespace trr
