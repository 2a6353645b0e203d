// The community directory's requests against the demo server, through the player's own request path (a session
// of community requests): the station list group by group with the player's agent, discovery through the server
// list (https only, plain http only where the environment names it), redirects, a trickling server that costs
// the next one nothing, stations with private addresses left out (of listings and name searches alike), the size
// limit, replies that must not become a cache, and the stream look-up.
#include <windows.h>
#include <wincrypt.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "common/file_util.h"
#include "common/gbk_text.h"
#include "common/http_client.h"
#include "common/http_fetch.h"
#include "player/community/community_cache.h"
#include "player/community/community_fetch.h"
#include "player/community/community_request.h"
#include "player/community/community_search.h"
#include "tests/harness/demo_server_client.h"
#include "tests/harness/temp_dir.h"

namespace trr::test {
namespace {

CommunityGet Requests() { return CommunityRequests(); }

int ServerPort() { return std::stoi(TestServerUrl().substr(TestServerUrl().rfind(':') + 1)); }

// The demo server's port + 1 serves https for "localhost" with a certificate of the test authority.
std::string SecureServerUrl() { return "https://localhost:" + std::to_string(ServerPort() + 1); }

// Port + 2 serves the same over https with a certificate that signs itself: it never verifies.
std::string UntrustedServerUrl() { return "https://localhost:" + std::to_string(ServerPort() + 2); }

// Trusts the test authority in this prefix's user store, as a company's own authority would be; false when the
// demo server has none (openssl missing when it started).
bool TrustTestAuthority() {
  std::string authority;
  if (!ReadWholeFile(BinDirectory() + "\\..\\test-authority\\authority.der", authority)) return false;
  HCERTSTORE store = CertOpenStore(CERT_STORE_PROV_SYSTEM_A, 0, 0, CERT_SYSTEM_STORE_CURRENT_USER, "Root");
  if (!store) return false;
  const bool added = CertAddEncodedCertificateToStore(store, X509_ASN_ENCODING,
                                                      reinterpret_cast<const BYTE*>(authority.data()),
                                                      static_cast<DWORD>(authority.size()),
                                                      CERT_STORE_ADD_REPLACE_EXISTING, nullptr) != FALSE;
  CertCloseStore(store, 0);
  return added;
}

const char kStationBase[] = "http://radio.demo.example/media/";

// Sets an environment variable for the test's length (empty: removed), restoring it afterwards.
class ScopedEnvironment {
 public:
  ScopedEnvironment(const char* name, const std::string& value) : name_(name) {
    char old[1024];
    DWORD n = GetEnvironmentVariableA(name, old, sizeof(old));
    had_ = n > 0 && n < sizeof(old);
    if (had_) old_.assign(old, n);
    SetEnvironmentVariableA(name, value.empty() ? nullptr : value.c_str());
  }
  ~ScopedEnvironment() { SetEnvironmentVariableA(name_, had_ ? old_.c_str() : nullptr); }

 private:
  const char* name_;
  bool had_ = false;
  std::string old_;
};

std::vector<std::string> JsonRequests() {
  std::vector<std::string> json;
  for (const std::string& request : ServerRequestLog())
    if (request.rfind("/json/", 0) == 0) json.push_back(request);
  return json;
}

class CommunityFetch : public ::testing::Test {
 protected:
  // Before any https request of the process: the platform reads the trusted authorities once, at its first.
  static void SetUpTestSuite() { trusted_ = TrustTestAuthority(); }
  void SetUp() override { ServerReset(); }
  void TearDown() override { ServerReset(); }

  static bool trusted_;
};

bool CommunityFetch::trusted_ = false;

TEST_F(CommunityFetch, ListsTheGroupsInOrderWithTheAgentAndLeavesEmptyOnesOut) {
  ScopedEnvironment server("TRRADIO_COMMUNITY_URL", TestServerUrl());
  CommunityDirectory directory;
  ASSERT_TRUE(FetchCommunityDirectory(Requests(), 1700000000, directory));
  EXPECT_EQ(directory.server, TestServerUrl());
  EXPECT_EQ(directory.fetchedAt, 1700000000);

  const std::vector<std::string> requests = JsonRequests();
  ASSERT_EQ(requests.size(), CommunityGroupQueries().size()) << "one request per group, no discovery";
  EXPECT_EQ(requests[0], "/json/stations/topvote/500?hidebroken=true&order=votes&reverse=true&limit=500");
  EXPECT_EQ(requests[1], "/json/stations/search?countrycode=CN&hidebroken=true&order=votes&reverse=true&limit=500");
  EXPECT_EQ(requests[7], "/json/stations/search?tag=pop&tagExact=true&hidebroken=true&order=votes&reverse=true"
                         "&limit=500");
  for (const std::string& line : SplitText(ServerControl("/__control/agents"), "\n")) {
    if (line.find(" /json/") == std::string::npos) continue;
    EXPECT_EQ(line.substr(0, line.find(' ')), "TiroRadio/1.0");
  }

  // Every group has stations in the demo set: all of them, in the order of the table.
  std::vector<std::string> names;
  for (const CommunityGroup& group : directory.groups) names.push_back(group.name);
  EXPECT_EQ(names, (std::vector<std::string>{"热门电台", "中国大陆", "台湾", "香港", "澳门", "新加坡", "马来西亚",
                                             "流行", "新闻", "摇滚", "古典", "爵士", "谈话"}));
  const CommunityGroup& hot = directory.groups[0];
  ASSERT_FALSE(hot.rows.empty());
  EXPECT_EQ(hot.rows[0].name, "中国之声") << "most votes first";
  EXPECT_EQ(hot.rows[0].address, kStationBase + hot.rows[0].uuid + "-resolved.wav");

  // A group the server has no station for is left out.
  ServerSetBody("/json/stations/search", "[]");
  ASSERT_TRUE(FetchCommunityDirectory(Requests(), 1, directory));
  EXPECT_EQ(directory.groups.size(), 1u);
}

// A server list named by plain http in the environment: its servers are asked by plain http, and only so.
TEST_F(CommunityFetch, AnHttpServerListNamedInTheEnvironmentIsAskedByHttpOnly) {
  ScopedEnvironment fixed("TRRADIO_COMMUNITY_URL", "");
  ScopedEnvironment list("TRRADIO_COMMUNITY_SERVERS_URL", TestServerUrl() + "/json/servers");
  const std::string self = TestServerUrl().substr(TestServerUrl().find("//") + 2);
  // A closed port, a name that is no host, and the demo server.
  ServerSetBody("/json/servers", "[{\"name\":\"127.0.0.1:1\"},{\"name\":\"bad/host\"},{\"name\":\"" + self + "\"}]");
  std::vector<std::string> candidates = CommunityServerCandidates(Requests());
  std::sort(candidates.begin(), candidates.end());
  EXPECT_EQ(candidates, (std::vector<std::string>{"http://127.0.0.1:1", "http://" + self}));
  CommunityDirectory directory;
  ASSERT_TRUE(FetchCommunityDirectory(Requests(), 1, directory));
  EXPECT_EQ(directory.server, "http://" + self);

  // No server list at all: nothing to try, nothing fetched.
  ServerSetFault("/json/servers", "error");
  EXPECT_TRUE(CommunityServerCandidates(Requests()).empty());
  EXPECT_FALSE(FetchCommunityDirectory(Requests(), 1, directory));
}

// Without an http address in the environment nothing goes out in plain text: an https server list that fails
// (a certificate that does not verify, a port that speaks only http, a refused connection) fails the fetch,
// with no request at all to the plain twin; and a look-up never asks the plain http server that a cache of an
// earlier version names.
TEST_F(CommunityFetch, WhenHttpsFailsNothingGoesOutInPlainText) {
  ScopedEnvironment fixed("TRRADIO_COMMUNITY_URL", "");
  const std::string plainPort = std::to_string(ServerPort());
  for (const std::string& listUrl : {UntrustedServerUrl() + "/json/servers", "https://localhost:" + plainPort +
                                     "/json/servers", std::string("https://127.0.0.1:1/json/servers")}) {
    SCOPED_TRACE(listUrl);
    ServerReset();
    ScopedEnvironment list("TRRADIO_COMMUNITY_SERVERS_URL", listUrl);
    CommunityDirectory directory;
    EXPECT_FALSE(FetchCommunityDirectory(Requests(), 1, directory));
    EXPECT_EQ(LookUpStationAddress(Requests(), TestServerUrl(), "9617a958-0601-11e8-ae97-000000000003"), "");
    std::vector<CommunityRow> found;
    EXPECT_FALSE(SearchCommunityDirectory(Requests(), TestServerUrl(), "电台", found)) << "nor a name search";
    EXPECT_EQ(Requests()(TestServerUrl() + "/json/servers", kCommunityLimits), "") << "refused unsent";
    EXPECT_EQ(ServerRequestLog(), std::vector<std::string>()) << "no request reached the plain http server";
  }
}

TEST_F(CommunityFetch, HttpsWithATestAuthorityAndCertificateChecksOn) {
  if (!trusted_) GTEST_SKIP() << "no test authority (openssl missing when the demo server started)";
  ScopedEnvironment fixed("TRRADIO_COMMUNITY_URL", "");
  ScopedEnvironment list("TRRADIO_COMMUNITY_SERVERS_URL", SecureServerUrl() + "/json/servers");
  CommunityDirectory directory;
  ASSERT_TRUE(FetchCommunityDirectory(Requests(), 1, directory));
  EXPECT_EQ(directory.server, SecureServerUrl()) << "the servers of an https list are asked by https";
  EXPECT_FALSE(directory.groups.empty());
  // Of three servers, two whose certificates do not check out (one signed by nobody, one for another name):
  // each counts as that server failing, and the next one is asked, by https again, whatever the order.
  const std::string ports[] = {std::to_string(ServerPort() + 2), std::to_string(ServerPort() + 1)};
  ServerSetBody("/json/servers", "[{\"name\":\"localhost:" + ports[0] + "\"},{\"name\":\"127.0.0.1:" + ports[1] +
                                     "\"},{\"name\":\"localhost:" + ports[1] + "\"}]");
  for (int round = 0; round < 3; ++round) {
    ASSERT_TRUE(FetchCommunityDirectory(Requests(), 1, directory));
    EXPECT_EQ(directory.server, SecureServerUrl());
  }
  ServerSetBody("/json/servers", "[{\"name\":\"localhost:" + ports[0] + "\"}]");
  EXPECT_FALSE(FetchCommunityDirectory(Requests(), 1, directory));
  // The certificate names "localhost", not the address: a check that is on refuses it.
  const std::string secureAddress = "https://127.0.0.1:" + std::to_string(ServerPort() + 1);
  EXPECT_EQ(HttpGet(secureAddress + "/json/servers", kCommunityLimits, CommunityUserAgent().c_str()), "");

  // Redirects: within the same host by https, followed; to plain http, or to another host, refused.
  ServerSetRedirect("/json/moved", "/json/servers");
  ServerSetRedirect("/json/to-plain", "http://localhost:" + std::to_string(ServerPort()) + "/json/servers");
  ServerSetRedirect("/json/to-other-host", "https://127.0.0.1:" + std::to_string(ServerPort() + 1) + "/json/servers");
  EXPECT_NE(Requests()(SecureServerUrl() + "/json/moved", kCommunityLimits), "");
  EXPECT_EQ(Requests()(SecureServerUrl() + "/json/to-plain", kCommunityLimits), "");
  EXPECT_EQ(Requests()(SecureServerUrl() + "/json/to-other-host", kCommunityLimits), "");
  EXPECT_EQ(HttpGet(SecureServerUrl() + "/json/to-plain", kCommunityLimits), "") << "never https to http";
  std::vector<std::string> log = ServerRequestLog();
  EXPECT_EQ(std::count(log.begin(), log.end(), "/json/servers"), 6) << "the list each time, the redirect once";
  EXPECT_EQ(std::count(log.begin(), log.end(), CommunityGroupQueries()[0].pathAndQuery), 4)
      << "the first group only of the one server that checks out, each time";
}

// A server that trickles its headers costs the next candidate nothing: with the player's own request path, the
// first server asked holds its request past the deadline, and the next one serves every group.
TEST_F(CommunityFetch, ATricklingServerLeavesTheNextOneToServeEveryGroup) {
  ScopedEnvironment fixed("TRRADIO_COMMUNITY_URL", "");
  ScopedEnvironment list("TRRADIO_COMMUNITY_SERVERS_URL", TestServerUrl() + "/json/servers");
  // Two names of the demo server: whichever is asked first trickles.
  const std::string port = std::to_string(ServerPort());
  ServerSetBody("/json/servers", "[{\"name\":\"127.0.0.1:" + port + "\"},{\"name\":\"localhost:" + port + "\"}]");
  ServerSetFault("/json/stations/topvote/500", "trickle", 35, 1);
  const ULONGLONG start = GetTickCount64();
  CommunityDirectory directory;
  ASSERT_TRUE(FetchCommunityDirectory(Requests(), 1, directory));
  const ULONGLONG took = GetTickCount64() - start;
  EXPECT_EQ(directory.groups.size(), CommunityGroupQueries().size());
  EXPECT_GE(took, kCommunityLimits.totalMs - 1000) << "the first server had its whole deadline";
  EXPECT_LT(took, kCommunityLimits.totalMs + 10000u);
  const std::vector<std::string> requests = JsonRequests();
  ASSERT_EQ(requests.size(), 1 + 1 + CommunityGroupQueries().size()) << "the list, the trickle, every group";
  EXPECT_EQ(requests[1], requests[2]) << "the first group asked of both servers";
}

// Of stations whose addresses point at the listener's own machine or network, in every form, none is listed,
// and a look-up that answers with such an address gives none.
TEST_F(CommunityFetch, StationsOnPrivateHostsAreNotListed) {
  ScopedEnvironment server("TRRADIO_COMMUNITY_URL", TestServerUrl());
  ServerControl("/__control/community?stations=270&addresses=hostile");
  CommunityDirectory directory;
  ASSERT_TRUE(FetchCommunityDirectory(Requests(), 1, directory));
  ASSERT_GT(directory.RowCount(), 0u);
  for (const CommunityGroup& group : directory.groups) {
    for (const CommunityRow& row : group.rows) {
      EXPECT_EQ(std::stoi(row.uuid.substr(row.uuid.rfind('-') + 1)) % 5, 0) << row.uuid << " " << row.address;
      EXPECT_EQ(row.address.rfind(kStationBase, 0), 0u) << row.address;
    }
  }
  EXPECT_EQ(directory.groups[0].rows.size(), 54u) << "the 54 stations of 270 on a public host";
  // A name search keeps only those too: of the 100 stations found (1, 10 to 19, 100 to 188), 20.
  std::vector<CommunityRow> found;
  ASSERT_TRUE(SearchCommunityDirectory(Requests(), "", "电台 1", found));
  for (const CommunityRow& row : found) {
    EXPECT_EQ(std::stoi(row.uuid.substr(row.uuid.rfind('-') + 1)) % 5, 0) << row.uuid << " " << row.address;
    EXPECT_EQ(row.address, kStationBase + row.uuid + "-resolved.wav");
  }
  EXPECT_EQ(found.size(), 20u);
  EXPECT_EQ(LookUpStationAddress(Requests(), "", "9617a958-0601-11e8-ae97-000000000001"), "");
  EXPECT_EQ(LookUpStationAddress(Requests(), "", "9617a958-0601-11e8-ae97-000000000005"),
            std::string(kStationBase) + "9617a958-0601-11e8-ae97-000000000005-lookup.wav");
}

// Replies as large as the limit allows, with the longest addresses: the directory stops at its text limit at a
// whole station, asks no more groups, and the cache it writes reads back whole.
TEST_F(CommunityFetch, AHugeDirectoryIsCutAtItsTextLimitAndItsCacheReadsBack) {
  ScopedEnvironment server("TRRADIO_COMMUNITY_URL", TestServerUrl());
  ServerControl("/__control/community?stations=6000&addresses=bloated");
  ScopedTempDir dir;
  const std::string cache = dir.File("Community.Dat");
  CommunityDirectory directory;
  ASSERT_TRUE(RefreshCommunityCache(Requests(), cache, directory));
  size_t text = 0, longest = 0;
  for (const CommunityGroup& group : directory.groups) {
    for (const CommunityRow& row : group.rows) {
      text += StationTextBytes(row);
      longest = std::max(longest, StationTextBytes(row));
    }
  }
  EXPECT_LE(text, kMaxCommunityStationText);
  EXPECT_GT(text, kMaxCommunityStationText - longest) << "cut where the next station would not fit";
  EXPECT_LT(JsonRequests().size(), CommunityGroupQueries().size()) << "groups past the limit are not asked for";
  std::string bytes;
  ASSERT_TRUE(ReadWholeFile(cache, bytes, 64 * 1024 * 1024));
  EXPECT_LE(bytes.size(), kMaxCommunityCacheBytes);
  CommunityDirectory read;
  ASSERT_TRUE(ReadCommunityCache(cache, read));
  EXPECT_EQ(FormatCommunityCache(read), bytes);
}

TEST_F(CommunityFetch, AReplyThatIsNoListingCachesNothing) {
  ScopedEnvironment server("TRRADIO_COMMUNITY_URL", TestServerUrl());
  ScopedTempDir dir;
  const std::string cache = dir.File("Community.Dat");
  ASSERT_TRUE(WriteWholeFile(cache, "old"));
  const std::string news = "/json/stations/search?tag=news&tagExact=true&hidebroken=true&order=votes&reverse=true"
                           "&limit=500";
  for (const char* mode : {"html", "cut", "chunkedcut", "scrambled", "error", "fail"}) {
    SCOPED_TRACE(mode);
    ServerReset();
    ServerSetFault(news, mode);
    CommunityDirectory directory;
    EXPECT_FALSE(RefreshCommunityCache(Requests(), cache, directory));
    EXPECT_TRUE(directory.groups.empty());
    std::string kept;
    EXPECT_TRUE(ReadWholeFile(cache, kept));
    EXPECT_EQ(kept, "old");
  }
  ServerReset();
  CommunityDirectory directory;
  ASSERT_TRUE(RefreshCommunityCache(Requests(), cache, directory));
  CommunityDirectory read;
  ASSERT_TRUE(ReadCommunityCache(cache, read));
  EXPECT_EQ(FormatCommunityCache(read), FormatCommunityCache(directory));
}

TEST_F(CommunityFetch, TheLookUpGivesTheStationsAddress) {
  ScopedEnvironment server("TRRADIO_COMMUNITY_URL", TestServerUrl());
  const std::string uuid = "9617a958-0601-11e8-ae97-000000000003";
  EXPECT_EQ(LookUpStationAddress(Requests(), "", uuid), kStationBase + uuid + "-lookup.wav");
  EXPECT_EQ(LookUpStationAddress(Requests(), "", "9617a958-0601-11e8-ae97-999999999999"), "") << "ok false";
  EXPECT_EQ(LookUpStationAddress(Requests(), "", "../Data.asp?x"), "") << "not an id: not asked";
  EXPECT_EQ(JsonRequests().size(), 2u);
}

}  // namespace
}  // namespace trr::test
