#include "player/community_hooks.h"

#include <string>
#include <utility>

#include "common/file_util.h"
#include "common/http_fetch.h"
#include "player/community_cache.h"
#include "player/community_fetch.h"
#include "player/main_window.h"
#include "player/program_state.h"
#include "ui/layout_window.h"

namespace trr {
namespace {

constexpr char kCounterLabel[] = "透明标签2";

// The requests of one worker through one session: a request given up at its deadline still holds its thread
// until WinINet lets go, and the session starts no other meanwhile, so a hanging server holds one thread.
CommunityGet CommunityRequests() {
  auto session = std::make_shared<HttpSession>(CommunityUserAgent().c_str());
  return [session](const std::string& url, const FetchLimits& limits) { return session->Get(url, limits); };
}

void ShowCommunityList(HWND mainWindow, CommunityDirectory& directory) {
  ProgramState& state = State();
  CommunityState& community = state.community;
  // Replacing what is listed: the cached list by a fresh one.
  state.channelList.RemoveGroup();
  community.rows = LoadCommunityList(state.channelList, directory, StationPictureBytes(), community.addresses);
  community.listed = ListedSource::Community;
  community.server = std::move(directory.server);
  ui::SetControlText(mainWindow, kCounterLabel, CommunityCounterText());
}

// Fetches the community list when neither the built-in directory nor a fresh cache gives one.
void FetchIfNeeded(HWND mainWindow) {
  CommunityState& community = State().community;
  if (!community.builtinGaveNothing || !community.cacheRead || community.cacheFresh || community.fetchStarted ||
      community.listed == ListedSource::Builtin)
    return;
  community.fetchStarted = true;
  community.fetchWorker = std::make_unique<OneJobWorker<CommunityListResult>>(mainWindow, kCommunityFetchMessage);
  community.fetchWorker->Start([path = community.cachePath, get = CommunityRequests()] {
    CommunityListResult result;
    result.listed = RefreshCommunityCache(get, path, result.directory);
    return result;
  });
}

void StartCacheRead(HWND mainWindow) {
  CommunityState& community = State().community;
  if (community.cacheStarted) return;
  community.cacheStarted = true;
  community.cacheWorker = std::make_unique<OneJobWorker<CommunityListResult>>(mainWindow, kCommunityCacheMessage);
  const bool started = community.cacheWorker->Start([path = community.cachePath] {
    CommunityListResult result;
    result.listed = ReadCommunityCache(path, result.directory);
    result.stale = result.listed && IsCommunityCacheStale(result.directory.fetchedAt, UnixTimeNow());
    return result;
  });
  if (!started) community.cacheRead = true;  // as a missing cache: the fetch may go ahead
}

LRESULT OnCacheRead(HWND mainWindow, WPARAM, LPARAM) {
  CommunityState& community = State().community;
  if (!community.cacheWorker) return 0;
  std::optional<CommunityListResult> result = community.cacheWorker->Take();
  if (!result) return 0;
  community.cacheRead = true;
  community.cacheFresh = result->listed && !result->stale;
  // A list fetched meanwhile, or the built-in one, is newer than the file.
  if (result->listed && community.listed == ListedSource::None) ShowCommunityList(mainWindow, result->directory);
  FetchIfNeeded(mainWindow);
  return 0;
}

LRESULT OnFetched(HWND mainWindow, WPARAM, LPARAM) {
  CommunityState& community = State().community;
  if (!community.fetchWorker) return 0;
  std::optional<CommunityListResult> result = community.fetchWorker->Take();
  // An incomplete fetch leaves the list as the cache gave it.
  if (!result || !result->listed || community.listed == ListedSource::Builtin) return 0;
  ShowCommunityList(mainWindow, result->directory);
  return 0;
}

LRESULT OnLookupAnswer(HWND, WPARAM, LPARAM) {
  ProgramState& state = State();
  CommunityPick pick;
  std::string address;
  if (!state.community.lookup || !state.community.lookup->TakeAnswer(pick, address) || !state.mediaPlayer) return 0;
  PlayCommunityStation(*state.mediaPlayer, pick.name, address, state.currentStationName);
  return 0;
}

}  // namespace

bool StartCommunitySource(HWND mainWindow) {
  ProgramState& state = State();
  CommunityState& community = state.community;
  const std::string directory = ModuleDirectory();
  community.source = ReadDirectorySource(SettingsPath(directory));
  if (community.source == DirectorySource::Builtin) return true;
  community.cachePath = CommunityCachePath(directory);
  ui::BindWindowMessage(mainWindow, kCommunityCacheMessage, &OnCacheRead);
  ui::BindWindowMessage(mainWindow, kCommunityFetchMessage, &OnFetched);
  ui::BindWindowMessage(mainWindow, kStationLookupMessage, &OnLookupAnswer);
  if (community.source == DirectorySource::Community) {
    community.builtinGaveNothing = true;
    StartCacheRead(mainWindow);
    return false;
  }
  // Auto: with GB.Dat present the built-in directory is expected to answer, and Community.Dat waits for it.
  if (!FileExists(state.cachePath)) StartCacheRead(mainWindow);
  return true;
}

bool AcceptBuiltinDirectory(HWND mainWindow, bool hasGroups) {
  ProgramState& state = State();
  CommunityState& community = state.community;
  if (community.source == DirectorySource::Auto && !hasGroups) {
    community.builtinGaveNothing = true;
    StartCacheRead(mainWindow);
    FetchIfNeeded(mainWindow);
    return false;
  }
  if (community.listed == ListedSource::Community) {
    state.channelList.RemoveGroup();
    community.addresses.clear();
    community.rows = 0;
  }
  community.listed = ListedSource::Builtin;
  return true;
}

bool CommunityListed() { return State().community.listed == ListedSource::Community; }

bool StartCommunityStation(ItemHandle row) {
  ProgramState& state = State();
  CommunityState& community = state.community;
  if (community.listed != ListedSource::Community || !state.mediaPlayer || !state.mediaPlayer->IsCreated())
    return false;
  CommunityPick pick;
  if (!PickCommunityStation(state.channelList, row, community.addresses, pick)) return false;
  if (!community.lookup) {
    community.lookup = std::make_unique<StationLookup>(
        state.mainWindow, kStationLookupMessage,
        [get = CommunityRequests()](const std::string& uuid, const std::string& server) {
          return LookUpStationAddress(get, server, uuid);
        });
  }
  return community.lookup->Request(std::move(pick), community.server);
}

std::string CommunityCounterText() { return CommunityCountText(State().community.rows); }

}  // namespace trr
