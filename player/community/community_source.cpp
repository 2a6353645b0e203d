#include "player/community/community_source.h"

#include <utility>

#include "common/file_util.h"
#include "player/community/community_cache.h"
#include "player/community/community_fetch.h"
#include "player/community/community_reply.h"
#include "player/community/community_request.h"

namespace trr {

CommunitySource::CommunitySource(HWND window, const Messages& messages, std::string cachePath)
    : window_(window), messages_(messages), cachePath_(std::move(cachePath)) {}

bool CommunitySource::StartCacheRead() {
  if (cacheJob_) return false;
  // A job that cannot start is not kept: a later call starts it afresh.
  return StartJob(cacheJob_, messages_.cacheRead, [path = cachePath_] {
    RemoveLeftoverTemporaries(path);  // of a write cut short by an earlier process's end
    CommunityListResult result;
    result.listed = ReadCommunityCache(path, result.directory);
    result.stale = result.listed && IsCommunityCacheStale(result.directory.fetchedAt, UnixTimeNow());
    return result;
  });
}

bool CommunitySource::StartJob(std::unique_ptr<WindowJob<CommunityListResult>>& slot, UINT message,
                               WindowJob<CommunityListResult>::Work work) {
  try {
    auto job = std::make_unique<WindowJob<CommunityListResult>>(window_, message);
    if (!job->Start(std::move(work))) return false;
    slot = std::move(job);
    return true;
  } catch (...) {
    return false;  // no memory to start it
  }
}

std::optional<CommunityListResult> CommunitySource::TakeCacheRead() {
  return cacheJob_ ? cacheJob_->Take() : std::nullopt;
}

bool CommunitySource::StartFetch() {
  if (fetchJob_) return false;
  return StartJob(fetchJob_, messages_.fetched, [path = cachePath_] {
    CommunityListResult result;
    result.listed = RefreshCommunityCache(CommunityRequests(), path, result.directory);
    return result;
  });
}

std::optional<CommunityListResult> CommunitySource::TakeFetch() {
  return fetchJob_ ? fetchJob_->Take() : std::nullopt;
}

size_t CommunitySource::Show(GroupList& list, CommunityDirectory& directory, const std::string& stationPicture,
                             std::vector<ChannelGroup>* listed) {
  // Replacing what is listed (the cached list by a fresh one, say); a list that cannot be made leaves it.
  const size_t rows = LoadCommunityList(list, directory, stationPicture, addresses_, listed);
  if (rows == 0) return 0;
  rows_ = rows;
  server_ = std::move(directory.server);
  CancelLookup();  // the double-click was on a list that is gone
  return rows_;
}

void CommunitySource::Forget() {
  addresses_.clear();
  rows_ = 0;
  CancelLookup();
}

void CommunitySource::CancelLookup() {
  if (lookup_) lookup_->Cancel();
}

bool CommunitySource::LookUp(GroupList& list, ItemHandle row) {
  CommunityPick pick;
  if (!PickCommunityStation(list, row, addresses_, pick)) return false;
  return LookUpStation(std::move(pick));
}

bool CommunitySource::LookUpStation(CommunityPick pick) {
  if (!IsStationUuid(pick.uuid)) return false;
  if (!lookup_) {
    // One session for every look-up: a server that hangs holds at most its few abandoned requests.
    lookup_ = std::make_unique<StationLookup>(
        window_, messages_.lookedUp, [get = CommunityRequests()](const std::string& uuid, const std::string& server) {
          return LookUpStationAddress(get, server, uuid);
        });
  }
  return lookup_->Request(std::move(pick), server_);
}

bool CommunitySource::Search(std::string name) {
  if (!search_) {
    search_ = std::make_unique<CommunityNameSearch>(
        window_, messages_.searched,
        [get = CommunityRequests()](const std::string& text, const std::string& server,
                                    std::vector<CommunityRow>& rows) {
          return SearchCommunityDirectory(get, server, text, rows);
        });
  }
  return search_->Request(std::move(name), server_);
}

bool CommunitySource::TakeSearchAnswer(std::string& name, std::vector<CommunityRow>& rows) {
  return search_ && search_->TakeAnswer(name, rows);
}

std::string CommunitySource::ListingAddress(const std::string& uuid) const {
  auto found = addresses_.find(uuid);
  return found == addresses_.end() ? std::string() : found->second;
}

bool CommunitySource::TakeLookupAnswer(CommunityPick& pick, std::string& address) {
  return lookup_ && lookup_->TakeAnswer(pick, address);
}

}  // namespace trr
