// The community directory's jobs, each on a worker of its own that announces its end by a message to the
// window: reading Community.Dat, fetching the list (and writing the file), looking up the stream address of a
// double-clicked station, and searching the directory for stations by name. It also keeps what the shown community list needs beside the list control: the
// listed stations' addresses, the API server that served them and the number of rows. When any of this runs
// is the caller's choice (player/sources/source_choice.h); everything here runs on the window thread.
#pragma once
#include <windows.h>

#include <cstddef>
#include <memory>
#include <optional>
#include <string>

#include "common/window_job.h"
#include "listctrl/group_list.h"
#include "player/community/community_directory.h"
#include "player/community/community_list.h"
#include "player/community/community_search.h"
#include "player/community/station_lookup.h"

namespace trr {

// What a community job found: the cache file's list, or a fetch's.
struct CommunityListResult {
  bool listed = false;  // `directory` holds a list with stations
  bool stale = false;   // a cached list due for a refresh
  CommunityDirectory directory;
};

class CommunitySource {
 public:
  // The messages each job posts to `window` when it has ended.
  struct Messages {
    UINT cacheRead;
    UINT fetched;
    UINT lookedUp;
    UINT searched;
  };

  CommunitySource(HWND window, const Messages& messages, std::string cachePath);
  CommunitySource(const CommunitySource&) = delete;
  CommunitySource& operator=(const CommunitySource&) = delete;

  // Starts reading the cache file, once; false when it was started before or could not be (a later call then
  // tries again).
  bool StartCacheRead();
  bool CacheReadStarted() const { return static_cast<bool>(cacheJob_); }
  std::optional<CommunityListResult> TakeCacheRead();

  // Starts fetching the list and writing it to the cache file, once; false when it was started before or
  // could not be (a later call then tries again).
  bool StartFetch();
  bool FetchStarted() const { return static_cast<bool>(fetchJob_); }
  std::optional<CommunityListResult> TakeFetch();

  // Replaces what `list` (made by CreateChannelList) shows by `directory` (its text moved out, into `listed`
  // when given: the stations as listed), keeps its addresses and server, and drops the answer of a look-up on
  // its way. Returns the rows listed; 0, with the list and everything here as it was, when the new list could
  // not be made.
  size_t Show(GroupList& list, CommunityDirectory& directory, const std::string& stationPicture,
              std::vector<ChannelGroup>* listed = nullptr);
  // The list no longer shows community stations: forgets their addresses and drops a look-up on its way.
  void Forget();
  // Drops the answer of every look-up asked for so far: the user did something else with playback.
  void CancelLookup();
  size_t Rows() const { return rows_; }

  // Hands the double-clicked `row` to the look-up worker, whose answer arrives by message. False for a row
  // that is no listed community station, or when the worker could not take it.
  bool LookUp(GroupList& list, ItemHandle row);
  // Hands the look-up of a community station shown elsewhere (a row of the player's own groups) to the same
  // worker. False for a pick without a station id, or when the worker could not take it.
  bool LookUpStation(CommunityPick pick);
  // After the look-up's message: the station and the address to play. False when no answer is waiting.
  bool TakeLookupAnswer(CommunityPick& pick, std::string& address);

  // Hands the search of the directory for stations named like `name` (GBK) to the search worker, asked of the
  // server of the listed stations; the newest request's answer arrives by message. False when the worker could
  // not take it.
  bool Search(std::string name);
  // After the search's message: the searched text and the stations found. False when no answer is waiting.
  bool TakeSearchAnswer(std::string& name, std::vector<CommunityRow>& rows);
  // The listing's stream address of a listed station; empty when it had none or the station is not listed.
  std::string ListingAddress(const std::string& uuid) const;

 private:
  // Starts `work` as a job announced by `message` and keeps it in `slot`; false, with `slot` left empty, when
  // it could not start.
  bool StartJob(std::unique_ptr<WindowJob<CommunityListResult>>& slot, UINT message,
                WindowJob<CommunityListResult>::Work work);

  HWND window_;
  Messages messages_;
  std::string cachePath_;  // program directory + "\Community.Dat"
  std::unique_ptr<WindowJob<CommunityListResult>> cacheJob_;
  std::unique_ptr<WindowJob<CommunityListResult>> fetchJob_;
  std::unique_ptr<StationLookup> lookup_;  // made at the first double-click of a community row
  std::unique_ptr<CommunityNameSearch> search_;  // made at the first search
  CommunityAddressTable addresses_;        // station id -> listing address
  std::string server_;                     // API server of the listed stations; empty when unknown
  size_t rows_ = 0;
};

}  // namespace trr
