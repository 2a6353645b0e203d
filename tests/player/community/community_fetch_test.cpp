// The community directory's requests against the demo server: the station list group by group with the
// player's agent, discovery through the server list (https first, http where it fails, and over https with a
// test authority), replies that must not become a cache, and the stream look-up.
#include <windows.h>
#include <wincrypt.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/file_util.h"
#include "common/gbk_text.h"
#include "common/http_client.h"
#include "common/http_fetch.h"
#include "player/community/community_cache.h"
#include "player/community/community_fetch.h"
#include "tests/harness/demo_server_client.h"
#include "tests/harness/temp_dir.h"

namespace trr::test {
namespace {

CommunityGet Requests() {
  return [](const std::string& url, const FetchLimits& limits) {
    return HttpGet(url, limits, CommunityUserAgent().c_str());
  };
}

// The demo server's port + 1 serves https for "localhost".
std::string SecureServerUrl() {
  const std::string plain = TestServerUrl();
  const int port = std::stoi(plain.substr(plain.rfind(':') + 1));
  return "https://localhost:" + std::to_string(port + 1);
}

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
  void SetUp() override { ServerReset(); }
  void TearDown() override { ServerReset(); }
};

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
  EXPECT_EQ(hot.rows[0].address, TestServerUrl() + "/media/" + hot.rows[0].uuid + "-resolved.wav");

  // A group the server has no station for is left out.
  ServerSetBody("/json/stations/search", "[]");
  ASSERT_TRUE(FetchCommunityDirectory(Requests(), 1, directory));
  EXPECT_EQ(directory.groups.size(), 1u);
}

TEST_F(CommunityFetch, DiscoveryTriesServersInTurnHttpsFirst) {
  ScopedEnvironment fixed("TRRADIO_COMMUNITY_URL", "");
  ScopedEnvironment list("TRRADIO_COMMUNITY_SERVERS_URL", TestServerUrl() + "/json/servers");
  const std::string self = TestServerUrl().substr(TestServerUrl().find("//") + 2);
  // A closed port, a name that is no host, and the demo server, which speaks only http on its port.
  ServerSetBody("/json/servers", "[{\"name\":\"127.0.0.1:1\"},{\"name\":\"bad/host\"},{\"name\":\"" + self + "\"}]");
  std::vector<std::string> candidates = CommunityServerCandidates(Requests());
  ASSERT_EQ(candidates.size(), 4u);
  for (size_t i = 0; i < candidates.size(); i += 2) {
    EXPECT_EQ(candidates[i].rfind("https://", 0), 0u);
    EXPECT_EQ(candidates[i + 1], "http://" + candidates[i].substr(8));
  }
  CommunityDirectory directory;
  ASSERT_TRUE(FetchCommunityDirectory(Requests(), 1, directory));
  EXPECT_EQ(directory.server, "http://" + self);

  // No server list at all: nothing to try, nothing fetched.
  ServerSetFault("/json/servers", "error");
  EXPECT_TRUE(CommunityServerCandidates(Requests()).empty());
  EXPECT_FALSE(FetchCommunityDirectory(Requests(), 1, directory));
}

TEST_F(CommunityFetch, HttpsWithATestAuthorityAndCertificateChecksOn) {
  std::string authority;
  if (!ReadWholeFile(BinDirectory() + "\\..\\test-authority\\authority.der", authority))
    GTEST_SKIP() << "no test authority (openssl missing when the demo server started)";
  // Trusted by this prefix's user from now on, as a company's own authority would be.
  HCERTSTORE store = CertOpenStore(CERT_STORE_PROV_SYSTEM_A, 0, 0, CERT_SYSTEM_STORE_CURRENT_USER, "Root");
  ASSERT_NE(store, nullptr);
  EXPECT_TRUE(CertAddEncodedCertificateToStore(store, X509_ASN_ENCODING,
                                               reinterpret_cast<const BYTE*>(authority.data()),
                                               static_cast<DWORD>(authority.size()),
                                               CERT_STORE_ADD_REPLACE_EXISTING, nullptr));
  CertCloseStore(store, 0);

  ScopedEnvironment fixed("TRRADIO_COMMUNITY_URL", "");
  ScopedEnvironment list("TRRADIO_COMMUNITY_SERVERS_URL", SecureServerUrl() + "/json/servers");
  CommunityDirectory directory;
  ASSERT_TRUE(FetchCommunityDirectory(Requests(), 1, directory));
  EXPECT_EQ(directory.server, SecureServerUrl()) << "https answered: http was not needed";
  EXPECT_FALSE(directory.groups.empty());
  // The certificate names "localhost", not the address: a check that is on refuses it.
  const std::string secureAddress = "https://127.0.0.1:" + SecureServerUrl().substr(SecureServerUrl().rfind(':') + 1);
  EXPECT_EQ(HttpGet(secureAddress + "/json/servers", kCommunityLimits, CommunityUserAgent().c_str()), "");
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
  EXPECT_EQ(LookUpStationAddress(Requests(), "", uuid), TestServerUrl() + "/media/" + uuid + "-lookup.wav");
  EXPECT_EQ(LookUpStationAddress(Requests(), "", "9617a958-0601-11e8-ae97-999999999999"), "") << "ok false";
  EXPECT_EQ(LookUpStationAddress(Requests(), "", "../Data.asp?x"), "") << "not an id: not asked";
  EXPECT_EQ(JsonRequests().size(), 2u);
}

}  // namespace
}  // namespace trr::test
