// Talking to the community radio directory's JSON API: finding a server, fetching the station list group by
// group, and asking for a station's stream address when it is started. Every function here blocks on the
// network and runs on a worker thread, never on the window thread.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "common/http_fetch.h"
#include "player/community/community_directory.h"
#include "player/community/community_reply.h"

namespace trr {

// Every request of the station list and of the server list.
constexpr FetchLimits kCommunityLimits = {kMaxCommunityReplyBytes, 5000, 10000, 30000};
// Servers of the server list tried, each by https and then by http, before the fetch gives up.
constexpr size_t kMaxCommunityServersTried = 4;

// One GET as the community requests make it (the agent CommunityUserAgent()); the body, empty on failure.
using CommunityGet = std::function<std::string(const std::string& url, const FetchLimits& limits)>;

// "TiroRadio/" followed by the version the player announces.
std::string CommunityUserAgent();

// One group of the station list: its title (GBK) and the path and query of its request.
struct CommunityGroupQuery {
  const char* title;
  std::string pathAndQuery;
};

// The groups in display order: the most voted stations, six countries and regions, six styles.
const std::vector<CommunityGroupQuery>& CommunityGroupQueries();

// The API servers to try, best first: CommunityServerUrl() alone when it is set; otherwise the hosts of the
// server list (fetched by https, by http when that fails) in random order, at most kMaxCommunityServersTried
// of them, each as an https and then an http base address. Empty when the list cannot be had.
std::vector<std::string> CommunityServerCandidates(const CommunityGet& get);

// Fetches the station list: tries the candidates until one answers the first group's request with a listing,
// then asks that server for the other groups. True only when every group's reply was a listing; `directory`
// then holds the groups that have stations (names made by CommunityDisplayName, within the channel list's
// limits), `server` the base address that answered and `fetchedAt` = `now`. False otherwise, `directory` empty.
bool FetchCommunityDirectory(const CommunityGet& get, int64_t now, CommunityDirectory& directory);

// The stream address that the API server gives for the station `uuid`, within kSmallReplyLimits; empty when it
// does not answer with one. The server is CommunityServerUrl() when set, else `server` (a base address), else
// the first of CommunityServerCandidates.
std::string LookUpStationAddress(const CommunityGet& get, const std::string& server, const std::string& uuid);

// Fetches the station list (FetchCommunityDirectory) and, when every group's reply was a listing, writes it to
// `cachePath` (Community.Dat) in one piece, a temporary file renamed over it. True when `directory` holds the
// fetched list; false, with nothing written and `directory` empty, when the fetch was incomplete or found no
// station. A list that was fetched but could not be written is still returned.
bool RefreshCommunityCache(const CommunityGet& get, const std::string& cachePath, CommunityDirectory& directory);

}  // namespace trr
