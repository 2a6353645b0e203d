// Talking to the community radio directory's JSON API: finding a server, fetching the station list group by
// group, and asking for a station's stream address when it is started. Every function here blocks on the
// network through the CommunityGet it is given (CommunityRequests() in the player: https only, redirects to
// the same host only, community_request.h) and runs on a worker thread, never on the window thread.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "player/community/community_directory.h"
#include "player/community/community_request.h"

namespace trr {

// Servers of the server list tried before the fetch gives up.
constexpr size_t kMaxCommunityServersTried = 4;

// One group of the station list: its title (GBK) and the path and query of its request.
struct CommunityGroupQuery {
  const char* title;
  std::string pathAndQuery;
};

// The groups in display order: the most voted stations, six countries and regions, six styles.
const std::vector<CommunityGroupQuery>& CommunityGroupQueries();

// The API servers to try, best first: CommunityServerUrl() alone when it is set. Otherwise the hosts of the
// server list (CommunityServerListUrl(), within kCommunityLimits) in random order, at most
// kMaxCommunityServersTried of them, each as a base address of the list's own scheme: https, or http when the
// environment names an http list. No other scheme is ever tried. Empty when the list cannot be had.
std::vector<std::string> CommunityServerCandidates(const CommunityGet& get);

// Fetches the station list: asks the candidates in turn for the first group, each request on its own
// deadline, until one answers with a listing; then asks that server for the other groups, one request each.
// Only stations with an address that IsPublicStationAddress accepts are kept, the first station of a reply
// first, up to kMaxChannelRows rows and kMaxCommunityStationText bytes of station text: the station that
// would pass either limit ends the list there, and the later groups are not asked for. True when every group
// asked for was answered with a listing; `directory` then holds the groups that have stations (names made by
// CommunityDisplayName), `server` the base address that answered and `fetchedAt` = `now`. False otherwise,
// `directory` empty.
bool FetchCommunityDirectory(const CommunityGet& get, int64_t now, CommunityDirectory& directory);

// The API servers a single request (a look-up, a search) asks in turn: CommunityServerUrl() when set, else
// `server` (a base address) when IsCommunityRequestAllowed lets it be asked (a cache of an earlier version may
// name a plain http one), else the first two CommunityServerCandidates (an empty list when none is found).
std::vector<std::string> CommunityServersToAsk(const CommunityGet& get, const std::string& server);

// The stream address that the API server gives for the station `uuid`, within kSmallReplyLimits; empty when
// no server answers with an address that IsPublicStationAddress accepts. Asked of CommunityServersToAsk in turn.
std::string LookUpStationAddress(const CommunityGet& get, const std::string& server, const std::string& uuid);

// Fetches the station list (FetchCommunityDirectory) and, when every group's reply was a listing and it has a
// station, writes it to `cachePath` (Community.Dat) in one piece, a temporary file renamed over it. True when
// `directory` holds the fetched list; false, with nothing written and `directory` empty, when the fetch was
// incomplete or found no station. A list that was fetched but could not be written is still returned.
bool RefreshCommunityCache(const CommunityGet& get, const std::string& cachePath, CommunityDirectory& directory);

}  // namespace trr
