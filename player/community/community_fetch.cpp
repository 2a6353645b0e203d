#include "player/community/community_fetch.h"

#include <algorithm>
#include <chrono>
#include <random>

#include "common/file_util.h"
#include "common/server_address.h"
#include "player/list/station_groups.h"
#include "player/community/community_cache.h"
#include "player/community/community_names.h"
#include "player/update/version.h"

namespace trr {
namespace {

constexpr char kListingQuery[] = "hidebroken=true&order=votes&reverse=true&limit=500";

CommunityGroupQuery CountryGroup(const char* title, const char* code) {
  return {title, std::string("/json/stations/search?countrycode=") + code + "&" + kListingQuery};
}

CommunityGroupQuery TagGroup(const char* title, const char* tag) {
  return {title, std::string("/json/stations/search?tag=") + tag + "&tagExact=true&" + kListingQuery};
}

// "https://x" -> "http://x"; empty for any other address.
std::string PlainHttpOf(const std::string& url) {
  constexpr std::string_view kHttps = "https://";
  if (url.compare(0, kHttps.size(), kHttps) != 0) return {};
  return "http://" + url.substr(kHttps.size());
}

// The rows of one group's stations, numbered from 1 for names that need a stand-in.
std::vector<CommunityRow> RowsOf(const std::vector<CommunityStation>& stations, size_t limit) {
  std::vector<CommunityRow> rows;
  rows.reserve(std::min(stations.size(), limit));
  for (size_t i = 0; i < stations.size() && rows.size() < limit; ++i)
    rows.push_back(CommunityRow{stations[i].uuid, stations[i].address,
                                CommunityDisplayName(stations[i].name, stations[i].countryCode, i + 1)});
  return rows;
}

}  // namespace

std::string CommunityUserAgent() { return std::string("TiroRadio/") + kOwnVersion; }

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
  if (!ParseCommunityServers(get(listUrl, kCommunityLimits), hosts)) {
    const std::string plain = PlainHttpOf(listUrl);
    if (plain.empty() || !ParseCommunityServers(get(plain, kCommunityLimits), hosts)) return {};
  }
  // Spreading the load over the servers is what the directory asks of its clients.
  std::mt19937 random(static_cast<unsigned>(std::chrono::steady_clock::now().time_since_epoch().count()));
  std::shuffle(hosts.begin(), hosts.end(), random);
  if (hosts.size() > kMaxCommunityServersTried) hosts.resize(kMaxCommunityServersTried);
  std::vector<std::string> bases;
  for (const std::string& host : hosts) {
    bases.push_back("https://" + host);
    bases.push_back("http://" + host);
  }
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
  size_t rows = 0;
  for (size_t g = 0; g < queries.size(); ++g) {
    if (g > 0 && !ParseCommunityStations(get(server + queries[g].pathAndQuery, kCommunityLimits), stations))
      return false;
    if (stations.empty() || rows == kMaxChannelRows) continue;
    CommunityGroup group{queries[g].title, RowsOf(stations, kMaxChannelRows - rows)};
    rows += group.rows.size();
    fetched.groups.push_back(std::move(group));
  }
  directory = std::move(fetched);
  return true;
}

std::string LookUpStationAddress(const CommunityGet& get, const std::string& server, const std::string& uuid) {
  if (!IsStationUuid(uuid)) return {};
  std::vector<std::string> bases;
  const std::string fixed = CommunityServerUrl();
  if (!fixed.empty() || !server.empty()) {
    bases.push_back(fixed.empty() ? server : fixed);
  } else {
    // Without a server from this start or the cache: the first candidate, by https and then by http.
    bases = CommunityServerCandidates(get);
    if (bases.size() > 2) bases.resize(2);
  }
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
