#include "player/sources/source_choice.h"

#include <utility>

#include "common/file_util.h"
#include "common/server_address.h"
#include "player/community/community_cache.h"
#include "player/directory/builtin_list.h"
#include "player/directory/channel_document.h"
#include "player/list/channel_list.h"
#include "player/playback/station_start.h"

namespace trr {


SourceChoice::SourceChoice(Setup setup)
    : setup_(std::move(setup)),
      top_(*setup_.list, setup_.stationPicture),
      search_(StationSearch::Setup{setup_.window, setup_.list, &top_, setup_.setSearchDelay}) {}

SourceChoice::~SourceChoice() = default;

void SourceChoice::Start() {
  source_ = ReadDirectorySource(SettingsPath(setup_.programDirectory));
  if (source_ != DirectorySource::Builtin) Community();
  if (source_ == DirectorySource::Community) {
    // The built-in directory is neither read nor fetched.
    builtinGaveNothing_ = true;
    StartCacheRead();
    return;
  }
  // Auto: with GB.Dat present the built-in directory is expected to answer, and Community.Dat waits for it.
  if (source_ == DirectorySource::Auto && !FileExists(setup_.cachePath)) StartCacheRead();
  StartBuiltin();
}

CommunitySource& SourceChoice::Community() {
  if (!community_) {
    community_ = std::make_unique<CommunitySource>(
        setup_.window,
        CommunitySource::Messages{kCommunityCacheMessage, kCommunityFetchMessage, kStationLookupMessage,
                                  kCommunitySearchMessage},
        CommunityCachePath(setup_.programDirectory));
  }
  return *community_;
}

void SourceChoice::StartBuiltin() {
  try {
    builtin_ = std::make_unique<BuiltinDirectoryJob>(setup_.window, kDirectoryArrivedMessage);
    builtin_->Start(setup_.cachePath, DirectoryServerUrl() + "/Data.asp?GGwl=LIstGB");
  } catch (...) {
    // No memory to start it: the list stays empty, as after a failed fetch, and the other load steps go on.
    builtin_.reset();
  }
}

void SourceChoice::WaitForDirectoryRequest() {
  if (builtin_) builtin_->WaitForRequest(kDirectoryHeadStartMs);
}

void SourceChoice::OnDirectoryArrived() {
  // Before the list exists the result stays with the job; the call made once the list exists takes it.
  if (!builtin_ || !setup_.list->listWindow()) return;
  std::optional<DirectoryResult> result = builtin_->Take();
  if (!result) return;
  *setup_.channelListBytes = std::move(result->fetchedBytes);
  if (source_ == DirectorySource::Auto && result->groups.empty()) {
    // Auto without a built-in list: the community directory takes over.
    builtinGaveNothing_ = true;
    StartCacheRead();
    FetchIfNeeded();
    return;
  }
  if (listed_ == ListedSource::Community) {
    // A built-in list that cannot be made for lack of memory leaves the community one shown.
    if (!ReplaceChannelList(*setup_.list, result->groups, setup_.stationPicture)) return;
    community_->Forget();
  } else {
    FillChannelList(*setup_.list, result->groups, setup_.stationPicture);
  }
  listed_ = ListedSource::Builtin;
  top_.Restore();
  search_.OnListed([groups = std::move(result->groups)]() mutable { return std::move(groups); },
                   StationSource::Builtin, nullptr);
}

void SourceChoice::StartCacheRead() {
  if (!community_ || community_->CacheReadStarted()) return;
  // A read that cannot start counts as a missing cache: the fetch may go ahead.
  if (!community_->StartCacheRead()) cacheRead_ = true;
}

// Fetches the community list when neither the built-in directory nor a fresh cache gives one.
void SourceChoice::FetchIfNeeded() {
  if (!community_ || !builtinGaveNothing_ || !cacheRead_ || cacheFresh_ || community_->FetchStarted() ||
      listed_ == ListedSource::Builtin)
    return;
  community_->StartFetch();
}

void SourceChoice::OnCommunityCacheRead() {
  if (!community_) return;
  std::optional<CommunityListResult> result = community_->TakeCacheRead();
  if (!result) return;
  cacheRead_ = true;
  cacheFresh_ = result->listed && !result->stale;
  // A list fetched meanwhile, or the built-in one, is newer than the file.
  if (result->listed && listed_ == ListedSource::None) ShowCommunity(result->directory);
  FetchIfNeeded();
}

void SourceChoice::OnCommunityFetched() {
  if (!community_) return;
  std::optional<CommunityListResult> result = community_->TakeFetch();
  // An incomplete fetch leaves the list as the cache gave it.
  if (!result || !result->listed || listed_ == ListedSource::Builtin) return;
  ShowCommunity(result->directory);
}

void SourceChoice::ShowCommunity(CommunityDirectory& directory) {
  std::vector<ChannelGroup> listed;
  const size_t rows = community_->Show(*setup_.list, directory, setup_.stationPicture, &listed);
  if (rows == 0) return;  // not shown: the list stays as it was
  listed_ = ListedSource::Community;
  top_.Restore();
  search_.OnListed([groups = std::move(listed)]() mutable { return std::move(groups); }, StationSource::Community,
                   community_.get());
  if (setup_.setCounterLabel) setup_.setCounterLabel(CommunityCountText(rows));
}

void SourceChoice::OnLookupAnswer() {
  CommunityPick pick;
  std::string address;
  if (!community_ || !community_->TakeLookupAnswer(pick, address) || !setup_.player) return;
  Play(pick.name, address, true);
}

void SourceChoice::Play(const std::string& name, const std::string& url, bool community) {
  if (!StartStation(*setup_.player, name, url, *setup_.currentStationName)) return;
  if (setup_.stationStarted) setup_.stationStarted(name, url, community);
}

void SourceChoice::PlayRow(ItemHandle row) {
  if (!setup_.player || !setup_.player->IsCreated()) return;  // a player without a control ignores double-clicks
  // The newest double-click wins: a look-up still on its way starts nothing.
  if (community_) community_->CancelLookup();
  if (const TopStation* top = top_.Find(row)) {
    if (top->source == StationSource::Community)
      Community().LookUpStation(CommunityPick{top->station.id, top->station.name, top->listingAddress});
    else if (top->source == StationSource::Address)
      Play(top->station.name, top->listingAddress, false);
    else
      Play(top->station.name, StationLookupUrl(top->station.id), false);
    return;
  }
  if (listed_ == ListedSource::Community) {
    community_->LookUp(*setup_.list, row);
    return;
  }
  std::string name, url;
  if (BuiltinStationOfRow(*setup_.list, row, name, url)) Play(name, url, false);
}

void SourceChoice::OnStopClicked() {
  if (community_) community_->CancelLookup();
}

void SourceChoice::OnClockTick() { FetchIfNeeded(); }

bool SourceChoice::StationOfRow(ItemHandle row, TopStation& station) {
  if (const TopStation* top = top_.Find(row)) {
    station = *top;
    return true;
  }
  station = TopStation();
  if (listed_ == ListedSource::Community) {
    CommunityPick pick;
    if (!community_ || !community_->Pick(*setup_.list, row, pick)) return false;
    station.source = StationSource::Community;
    station.station = Station{std::move(pick.name), std::move(pick.uuid)};
    station.listingAddress = std::move(pick.fallbackAddress);
    return true;
  }
  return listed_ == ListedSource::Builtin && ReadStationRow(*setup_.list, row, station.station);
}

void SourceChoice::ShowOnlineCount(const std::string& text) {
  if (WantsOnlineCount() && setup_.setCounterLabel) setup_.setCounterLabel(text);
}

}  // namespace trr
