#include "player/community/community_fetch.h"

#include <algorithm>
#include <chrono>
#include <random>

#include "common/file_util.h"
#include "common/server_address.h"
#include "player/community/community_cache.h"
#include "player/community/community_names.h"
#include "player/list/station_groups.h"

namespace trr {
namespace {

constexpr char kListingQuery[] = "hidebroken=true&order=votes&reverse=true&limit=500";

CommunityGroupQuery CountryGroup(const char* title, const char* code) {
  return {title, std::string("/json/stations/search?countrycode=") + code + "&" + kListingQuery};
}

CommunityGroupQuery TagGroup(const char* title, const char* tag) {
  return {title, std::string("/json/stations/search?tag=") + tag + "&tagExact=true&" + kListingQuery};
}

// What the listing's stations add to the directory, in order, while `rows` and `text` (the station text kept so
// far) stay within the directory's limits. False once a station did not fit: the directory is full.
bool AddRows(const std::vector<CommunityStation>& stations, CommunityGroup& group, size_t& rows, size_t& text) {
  for (size_t i = 0; i < stations.size(); ++i) {
    const CommunityStation& station = stations[i];
    if (station.address.empty()) continue;  // listed only with an address it may play
    if (rows == kMaxChannelRows) return false;
    CommunityRow row{station.uuid, station.address,
                     CommunityDisplayName(station.name, station.countryCode, i + 1)};
    const size_t bytes = StationTextBytes(row);
    if (bytes > kMaxCommunityStationText - text) return false;
    group.rows.push_back(std::move(row));
    ++rows;
    text += bytes;
  }
  return true;
}

}  // namespace

const std::vector<CommunityGroupQuery>& CommunityGroupQueries() {
  static const std::vector<CommunityGroupQuery> queries = {
      {"热门电台", std::string("/json/stations/topvote/500?") + kListingQuery},
      CountryGroup("中国大陆", "CN"),
      CountryGroup("台湾", "TW"),
      CountryGroup("香港", "HK"),
      CountryGroup("澳门", "MO"),
      CountryGroup("新加坡", "SG"),
      CountryGroup("马来西亚", "MY"),
      TagGroup("流行", "pop"),
      TagGroup("新闻", "news"),
      TagGroup("摇滚", "rock"),
      TagGroup("古典", "classical"),
      TagGroup("爵士", "jazz"),
      TagGroup("谈话", "talk"),
  };
  return queries;
}

std::vector<std::string> CommunityServerCandidates(const CommunityGet& get) {
  const std::string fixed = CommunityServerUrl();
  if (!fixed.empty()) return {fixed};
  const std::string listUrl = CommunityServerListUrl();
  std::vector<std::string> hosts;
  if (!ParseCommunityServers(get(listUrl, kCommunityLimits), hosts)) return {};
  // Spreading the load over the servers is what the directory asks of its clients.
  std::mt19937 random(static_cast<unsigned>(std::chrono::steady_clock::now().time_since_epoch().count()));
  std::shuffle(hosts.begin(), hosts.end(), random);
  if (hosts.size() > kMaxCommunityServersTried) hosts.resize(kMaxCommunityServersTried);
  // The servers are asked as the list was: a failed https request is that server failing, never a reason to
  // ask it in plain text.
  const std::string scheme = IsPlainHttpAddress(listUrl) ? "http://" : "https://";
  std::vector<std::string> bases;
  for (const std::string& host : hosts) bases.push_back(scheme + host);
  return bases;
}

bool FetchCommunityDirectory(const CommunityGet& get, int64_t now, CommunityDirectory& directory) {
  directory = CommunityDirectory();
  const std::vector<CommunityGroupQuery>& queries = CommunityGroupQueries();
  std::vector<CommunityStation> stations;
  std::string server;
  for (const std::string& base : CommunityServerCandidates(get)) {
    if (ParseCommunityStations(get(base + queries[0].pathAndQuery, kCommunityLimits), stations)) {
      server = base;
      break;
    }
  }
  if (server.empty()) return false;

  CommunityDirectory fetched;
  fetched.server = server;
  fetched.fetchedAt = now;
  size_t rows = 0, text = 0;
  for (size_t g = 0; g < queries.size(); ++g) {
    if (g > 0 && !ParseCommunityStations(get(server + queries[g].pathAndQuery, kCommunityLimits), stations))
      return false;
    CommunityGroup group{queries[g].title, {}};
    const bool room = AddRows(stations, group, rows, text);
    if (!group.rows.empty()) fetched.groups.push_back(std::move(group));
    if (!room) break;  // cut at a whole station: the later groups would not fit either
  }
  stations = std::vector<CommunityStation>();
  directory = std::move(fetched);
  return true;
}

std::vector<std::string> CommunityServersToAsk(const CommunityGet& get, const std::string& server) {
  const std::string fixed = CommunityServerUrl();
  if (!fixed.empty()) return {fixed};
  if (!server.empty() && IsCommunityRequestAllowed(server)) return {server};
  // No server from this start or the cache that may be asked: the first two candidates, in turn.
  std::vector<std::string> bases = CommunityServerCandidates(get);
  if (bases.size() > 2) bases.resize(2);
  return bases;
}

std::string LookUpStationAddress(const CommunityGet& get, const std::string& server, const std::string& uuid) {
  if (!IsStationUuid(uuid)) return {};
  const std::vector<std::string> bases = CommunityServersToAsk(get, server);
  for (const std::string& base : bases) {
    std::string address = ParseStationUrlReply(get(base + "/json/url/" + uuid, kSmallReplyLimits));
    if (!address.empty()) return address;
  }
  return {};
}

bool RefreshCommunityCache(const CommunityGet& get, const std::string& cachePath, CommunityDirectory& directory) {
  if (!FetchCommunityDirectory(get, UnixTimeNow(), directory) || directory.RowCount() == 0) {
    directory = CommunityDirectory();
    return false;
  }
  WriteFileAtomically(cachePath, FormatCommunityCache(directory));
  return true;
}

}  // namespace trr
