// Which directory fills the channel list: the one place that decides it.
//
// Sources: with Source=builtin only the built-in directory runs, as it always has. With community, the list
// comes from Community.Dat at once and is fetched again on a worker when the file is missing or a day old.
// With auto, the built-in directory is read or fetched first, as with builtin; the community list is read from
// Community.Dat at the same time when GB.Dat is missing (so a cached list shows without waiting for the
// built-in server), and it is fetched only once the built-in directory has yielded no list. A built-in list,
// whenever it arrives, replaces a community one. While community stations are listed, the counter label shows
// their number instead of the listeners online, and no counter request goes out.
//
// The player's own groups (favourites, search results) stand above whichever directory is listed: every fill
// puts them back on top, and their rows start through the directory each station came from. Every fill also
// hands the listed stations to the station search.
//
// A double-clicked community station starts when its look-up answers, and only if the user did nothing else with
// playback meanwhile: another double-click, 播放暂停 or a list replacing the one clicked drops the answer.
//
// Everything here runs on the window thread. The jobs announce their ends by messages to the main window,
// whose handlers (bound by the shell) call the On... member named beside each message.
#pragma once
#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "listctrl/group_list.h"
#include "player/community/community_source.h"
#include "player/directory/directory_job.h"
#include "player/list/top_groups.h"
#include "player/search/station_search.h"
#include "player/playback/media_player_host.h"
#include "player/sources/source_setting.h"

namespace trr {

enum class ListedSource {
  None,       // nothing listed yet
  Builtin,    // the built-in directory (GB.Dat)
  Community,  // the community directory (Community.Dat or a fetch)
};

class SourceChoice {
 public:
  static constexpr UINT kDirectoryArrivedMessage = WM_APP + 0x120;  // OnDirectoryArrived
  static constexpr UINT kCommunityCacheMessage = WM_APP + 0x130;    // OnCommunityCacheRead
  static constexpr UINT kCommunityFetchMessage = WM_APP + 0x131;    // OnCommunityFetched
  static constexpr UINT kStationLookupMessage = WM_APP + 0x132;     // OnLookupAnswer
  static constexpr UINT kCommunitySearchMessage = WM_APP + 0x138;   // Search().OnRemoteAnswer
  static constexpr UINT kSearchIndexMessage = StationSearch::kIndexMessage;  // Search().OnIndexBuilt

  // How long the update check lets the directory request go first at most: a directory server that does not
  // even accept the connection must not hold the version request for long.
  static constexpr DWORD kDirectoryHeadStartMs = 500;

  // What the choice works on; all of it outlives the choice.
  struct Setup {
    HWND window = nullptr;                       // the main window: receives the jobs' messages
    GroupList* list = nullptr;                   // the channel list (its window is made later, by the shell)
    MediaPlayerHost* player = nullptr;           // plays the double-clicked stations once its control exists
    std::string* currentStationName = nullptr;   // kept for the status display
    std::string* channelListBytes = nullptr;     // receives the built-in directory's reply when one was fetched
    std::string programDirectory;                // where trRadio.ini and Community.Dat live
    std::string cachePath;                       // GB.Dat
    std::string stationPicture;                  // every row's avatar
    std::function<void(const std::string&)> setCounterLabel;  // writes 透明标签2
    // Told after a station has been handed to the player: its name, its address, and whether it came from the
    // community directory (whose addresses are under the community address rule).
    std::function<void(const std::string& name, const std::string& url, bool community)> stationStarted;
    std::function<void(unsigned milliseconds)> setSearchDelay;  // the search's delay (StationSearch::Setup)
  };

  explicit SourceChoice(Setup setup);
  ~SourceChoice();
  SourceChoice(const SourceChoice&) = delete;
  SourceChoice& operator=(const SourceChoice&) = delete;

  // Load step 2: reads the Source setting and starts the directory jobs it asks for; returns at once.
  void Start();

  // Before the update check: waits until the built-in directory's request has gone out (or will not), at
  // most kDirectoryHeadStartMs, so that the requests leave in their order.
  void WaitForDirectoryRequest();

  // The built-in directory job has ended; also called once the list has its window, to show a directory that
  // arrived before.
  void OnDirectoryArrived();
  void OnCommunityCacheRead();
  void OnCommunityFetched();
  void OnLookupAnswer();
  void OnCommunitySearched() { search_.OnRemoteAnswer(); }
  void OnSearchIndexBuilt() { search_.OnIndexBuilt(); }

  // A row was double-clicked: its station starts through the source that listed it (a row of the player's
  // own groups: through the directory its station came from).
  void PlayRow(ItemHandle row);

  // 播放暂停 was clicked: a station still being looked up does not start.
  void OnStopClicked();

  // Every tick of 时钟1: a community fetch that is due but could not start before is started again.
  void OnClockTick();

  // The player's own groups above the directory's.
  TopGroups& Top() { return top_; }
  // The station search over what is listed.
  StationSearch& Search() { return search_; }

  // The station that `row` shows and how it starts, whichever group holds it; false for a group, an unknown
  // handle or a row of no listed station.
  bool StationOfRow(ItemHandle row, TopStation& station);

  // An online-count refresh has ended with `text`: the label shows it unless it shows the community count.
  void ShowOnlineCount(const std::string& text);
  // False while the label shows the community count: no counter request need go out.
  bool WantsOnlineCount() const { return listed_ != ListedSource::Community; }

  ListedSource Listed() const { return listed_; }

 private:
  void StartBuiltin();
  void StartCacheRead();
  void FetchIfNeeded();
  void ShowCommunity(CommunityDirectory& directory);
  void Play(const std::string& name, const std::string& url, bool community);
  // The community source, made on first use when the setting did not ask for it.
  CommunitySource& Community();

  Setup setup_;
  DirectorySource source_ = DirectorySource::Builtin;
  ListedSource listed_ = ListedSource::None;
  std::unique_ptr<BuiltinDirectoryJob> builtin_;
  std::unique_ptr<CommunitySource> community_;  // made unless Source=builtin (or by a community row of Top)
  TopGroups top_;
  StationSearch search_;
  bool builtinGaveNothing_ = false;  // the built-in directory yields no list, or is not used
  bool cacheRead_ = false;           // Community.Dat's reading has ended (or could not start)
  bool cacheFresh_ = false;          // it held a list younger than a day
};

}  // namespace trr
