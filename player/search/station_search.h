// The station search: while the search box holds text, a group "搜索结果" above the directory's groups (below
// "我的收藏" when that is shown) lists the listed stations whose names match it, best first, and, while the
// community directory is listed, the stations that directory finds by that name beyond them. Clearing the text
// takes the group away and gives the list back as it was before the search: the same scroll position and
// selection (groups keep their state anyway: the search never opens or closes one).
//
// The stations are indexed on a worker whenever a list arrives (StationIndex); each change of the text then
// searches the index on the window thread. The community directory is asked kRemoteDelayMs after the last
// change, or at once on SearchRemoteNow; only the answer to the text shown is taken. Everything here runs on
// the window thread.
#pragma once
#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "common/window_job.h"
#include "listctrl/group_list.h"
#include "player/community/community_source.h"
#include "player/list/top_groups.h"
#include "player/search/station_index.h"

namespace trr {

class StationSearch {
 public:
  static constexpr UINT kIndexMessage = WM_APP + 0x139;  // OnIndexBuilt
  static constexpr unsigned kRemoteDelayMs = 400;
  static constexpr size_t kMaxLocalResults = 200;

  struct Setup {
    HWND window = nullptr;         // receives kIndexMessage
    GroupList* list = nullptr;     // the channel list, which outlives the search
    TopGroups* top = nullptr;      // its top groups, which outlive the search
    // Starts the one-shot delay before the community directory is asked (OnRemoteDelay when it has passed);
    // 0 stops it.
    std::function<void(unsigned milliseconds)> setRemoteDelay;
  };

  explicit StationSearch(Setup setup);
  StationSearch(const StationSearch&) = delete;
  StationSearch& operator=(const StationSearch&) = delete;

  // The list shows other stations now: `stations`, run on a worker, gives them in list order, and they came
  // from `source`. `community` is asked by name too while it is given (the community directory is listed);
  // it outlives the search.
  void OnListed(std::function<std::vector<ChannelGroup>()> stations, StationSource source,
                CommunitySource* community);
  // The index job has ended: a search in progress is run again on the new index.
  void OnIndexBuilt();

  // The search box holds `typed` now (any text: it is cleaned and bounded here).
  void SetText(const std::string& typed);
  // Asks the community directory at once (Enter in the box).
  void SearchRemoteNow();
  // The delay after the last change has passed.
  void OnRemoteDelay();
  // The community search's message has arrived.
  void OnRemoteAnswer();

  // The cleaned text being searched; empty while no search is shown.
  const std::string& Text() const { return text_; }
  // The first row of "搜索结果"; 0 when the group is not shown or holds no row.
  ItemHandle FirstResult() const;
  // The index of the listed stations; nullptr until the first one is built.
  const StationIndex* Index() const { return index_.get(); }

 private:
  void RunLocal();
  void ShowResults();
  void SaveView();
  void RestoreView();
  void AskRemote();
  // Position of the entry `handle` in the ListBox; -1 when it has none.
  int PositionOf(ItemHandle handle) const;

  Setup setup_;
  std::unique_ptr<WindowJob<std::shared_ptr<const StationIndex>>> indexJob_;
  std::shared_ptr<const StationIndex> index_;
  StationSource source_ = StationSource::Builtin;
  CommunitySource* community_ = nullptr;
  std::string text_;
  std::vector<TopStation> local_;
  std::vector<TopStation> remote_;  // the community directory's answer for text_, beyond local_
  // Every station that matched the last local search, and its folded text: a text that extends it is only
  // tried on these.
  std::vector<uint32_t> matches_;
  std::string matchedText_;
  // The view before the search began, given back when it ends.
  ItemHandle savedTop_ = 0;       // the entry at the top of the view
  int savedTopIndex_ = 0;         // its position, used when that entry is gone
  ItemHandle savedSelection_ = 0;  // the selected entry; 0 for none
};

}  // namespace trr
