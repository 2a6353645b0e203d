#include "player/community/community_source.h"

#include <utility>

#include "common/http_fetch.h"
#include "player/community/community_cache.h"
#include "player/community/community_fetch.h"
#include "player/community/community_reply.h"

namespace trr {
namespace {

// The requests of one job through one session: a request given up at its deadline still holds its thread
// until WinINet lets go, and the session starts no other meanwhile, so a hanging server holds one thread.
CommunityGet CommunityRequests() {
  auto session = std::make_shared<HttpSession>(CommunityUserAgent().c_str());
  return [session](const std::string& url, const FetchLimits& limits) { return session->Get(url, limits); };
}

}  // namespace

CommunitySource::CommunitySource(HWND window, const Messages& messages, std::string cachePath)
    : window_(window), messages_(messages), cachePath_(std::move(cachePath)) {}

bool CommunitySource::StartCacheRead() {
  if (cacheJob_) return false;
  cacheJob_ = std::make_unique<WindowJob<CommunityListResult>>(window_, messages_.cacheRead);
  return cacheJob_->Start([path = cachePath_] {
    CommunityListResult result;
    result.listed = ReadCommunityCache(path, result.directory);
    result.stale = result.listed && IsCommunityCacheStale(result.directory.fetchedAt, UnixTimeNow());
    return result;
  });
}

std::optional<CommunityListResult> CommunitySource::TakeCacheRead() {
  return cacheJob_ ? cacheJob_->Take() : std::nullopt;
}

bool CommunitySource::StartFetch() {
  if (fetchJob_) return false;
  fetchJob_ = std::make_unique<WindowJob<CommunityListResult>>(window_, messages_.fetched);
  return fetchJob_->Start([path = cachePath_, get = CommunityRequests()] {
    CommunityListResult result;
    result.listed = RefreshCommunityCache(get, path, result.directory);
    return result;
  });
}

std::optional<CommunityListResult> CommunitySource::TakeFetch() {
  return fetchJob_ ? fetchJob_->Take() : std::nullopt;
}

size_t CommunitySource::Show(GroupList& list, CommunityDirectory& directory, const std::string& stationPicture) {
  // Replacing what is listed: the cached list by a fresh one.
  list.RemoveGroup();
  rows_ = LoadCommunityList(list, directory, stationPicture, addresses_);
  server_ = std::move(directory.server);
  return rows_;
}

void CommunitySource::Forget() {
  addresses_.clear();
  rows_ = 0;
}

bool CommunitySource::LookUp(GroupList& list, ItemHandle row) {
  CommunityPick pick;
  if (!PickCommunityStation(list, row, addresses_, pick)) return false;
  return LookUpStation(std::move(pick));
}

bool CommunitySource::LookUpStation(CommunityPick pick) {
  if (!IsStationUuid(pick.uuid)) return false;
  if (!lookup_) {
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
