#include "common/http_fetch.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "tests/harness/demo_server_client.h"
#include "tests/harness/message_pump.h"

namespace trr {
namespace {

using test::ServerRequestLog;
using test::ServerReset;
using test::ServerSetBody;
using test::ServerSetFault;
using test::TestServerUrl;

class HttpFetch : public testing::Test {
 protected:
  void SetUp() override { ServerReset(); }
  void TearDown() override { ServerReset(); }
};

TEST_F(HttpFetch, ReturnsBodyBytesUnchangedAndNeverCaches) {
  std::string body = "none>0128<\r\n中文\x01\xFF";
  ServerSetBody("/probe.txt", body);
  int sent = 0;
  EXPECT_EQ(HttpGet(TestServerUrl() + "/probe.txt", kSmallReplyLimits, kPlayerAgent, [&] { ++sent; }), body);
  EXPECT_EQ(sent, 1) << "the request-sent notice comes once";
  ServerSetBody("/probe.txt", "second");
  EXPECT_EQ(HttpGet(TestServerUrl() + "/probe.txt", kSmallReplyLimits), "second");
  auto log = ServerRequestLog();
  ASSERT_EQ(log.size(), 2u);
  EXPECT_EQ(log[0], "/probe.txt");
}

TEST_F(HttpFetch, FailuresGiveEmptyBodies) {
  ServerSetFault("/broken.txt", "error");
  EXPECT_EQ(HttpGet(TestServerUrl() + "/broken.txt", kSmallReplyLimits), "");
  EXPECT_EQ(HttpGet(TestServerUrl() + "/missing-file-404.txt", kSmallReplyLimits), "");
  ServerSetFault("/cut.txt", "fail");
  EXPECT_EQ(HttpGet(TestServerUrl() + "/cut.txt", kSmallReplyLimits), "");
  // Nothing listens on port 1; the request never goes out, and the notice says so once.
  int sent = 0;
  EXPECT_EQ(HttpGet("http://127.0.0.1:1/x", kSmallReplyLimits, kPlayerAgent, [&] { ++sent; }), "");
  EXPECT_EQ(sent, 1);
  EXPECT_EQ(HttpGet("", kSmallReplyLimits), "");
  EXPECT_EQ(HttpGet("ftp://127.0.0.1:1/x", kSmallReplyLimits), "");
}

TEST_F(HttpFetch, HangingServerCannotHoldTheCallerPastTheDeadline) {
  ServerSetFault("/hang.txt", "hang");
  FetchLimits limits = kSmallReplyLimits;
  limits.totalMs = 1500;
  DWORD start = GetTickCount();
  EXPECT_EQ(HttpGet(TestServerUrl() + "/hang.txt", limits), "");
  DWORD elapsed = GetTickCount() - start;
  EXPECT_LT(elapsed, 3000u);
  EXPECT_GE(elapsed, 1400u);
}

TEST_F(HttpFetch, SlowButTimelyServerStillAnswers) {
  ServerSetBody("/slow.txt", "late");
  ServerSetFault("/slow.txt", "slow", 0.5);
  EXPECT_EQ(HttpGet(TestServerUrl() + "/slow.txt", kSmallReplyLimits), "late");
}

// The whole body or nothing: within the size limit (announced or not), the deadline, and the announced length.
// (A body ended by closing cannot be told from a cut one, and this WinINet reports a chunked body closed before
// its last chunk as complete: the callers check what they got.)
TEST_F(HttpFetch, HostileDeliveriesGiveTheWholeBodyOrNothing) {
  std::string body;
  while (body.size() < 3000) body += std::to_string(body.size()) + ",";
  const struct {
    const char* mode;
    double rate;
    size_t maxBytes;
    bool whole;
  } cases[] = {
      {"normal", 0, body.size(), true},     {"normal", 0, body.size() - 1, false},
      {"chunked", 0, body.size(), true},    {"chunked", 0, body.size() - 1, false},
      {"cut", 0, 65536, false},             {"endless", 0, 65536, false},
      {"drip", 2000, 65536, true},          {"drip", 300, 65536, false},  // ten seconds in all
      {"trickle", 20, 65536, false},  // headers that never end hold WinINet for 20 s, but not the caller
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.mode) + " " + std::to_string(c.rate) + " " + std::to_string(c.maxBytes));
    ServerSetBody("/hostile.txt", body);
    ServerSetFault("/hostile.txt", c.mode, c.rate);
    const FetchLimits limits = {c.maxBytes, 3000, 3000, 4000};
    const DWORD start = GetTickCount();
    EXPECT_EQ(HttpGet(TestServerUrl() + "/hostile.txt", limits), c.whole ? body : "");
    EXPECT_LT(GetTickCount() - start, limits.totalMs + 1000) << "answered by the deadline";
  }
}

// Fetches that give up at their deadline while others run on other threads must leave those others alone:
// a handle closed twice could close a handle that a neighbouring fetch has just been given.
TEST_F(HttpFetch, GivingUpAtTheDeadlineLeavesOtherFetchesAlone) {
  ServerSetFault("/hang.txt", "hang");
  ServerSetBody("/fine.txt", "fine");
  FetchLimits shortLimits = kSmallReplyLimits;
  shortLimits.totalMs = 300;
  std::atomic<bool> done{false};
  std::atomic<int> good{0}, bad{0};
  std::thread neighbour([&] {
    HttpSession session;
    while (!done) (session.Get(TestServerUrl() + "/fine.txt", kSmallReplyLimits) == "fine" ? good : bad)++;
  });
  for (int i = 0; i < 8; ++i) EXPECT_EQ(HttpGet(TestServerUrl() + "/hang.txt", shortLimits), "");
  done = true;
  neighbour.join();
  EXPECT_GT(good.load(), 0);
  EXPECT_EQ(bad.load(), 0);
}

// Each request of a session has its own try and deadline: one given up on runs on alone, and the next goes out
// at once on another worker. With two given up on still running, the next waits for one of them to end, within
// its own deadline, and goes out only then.
TEST_F(HttpFetch, ASessionKeepsAtMostTwoRequestsGivenUpOnAlive) {
  ServerSetFault("/trickle.txt", "trickle", 4);
  ServerSetBody("/fine.txt", "fine");
  FetchLimits shortLimits = kSmallReplyLimits;
  shortLimits.totalMs = 1000;
  HttpSession session;
  const DWORD start = GetTickCount();
  EXPECT_EQ(session.Get(TestServerUrl() + "/trickle.txt", shortLimits), "");
  EXPECT_LT(GetTickCount() - start, 2000u);
  EXPECT_EQ(session.Abandoned(), 1u);
  EXPECT_EQ(session.Get(TestServerUrl() + "/fine.txt", kSmallReplyLimits), "fine") << "its own try, at once";
  EXPECT_EQ(session.Get(TestServerUrl() + "/trickle.txt", shortLimits), "");
  EXPECT_EQ(session.Abandoned(), 2u);

  // A third that cannot wait long enough for either trickle to end is never sent.
  DWORD before = GetTickCount();
  EXPECT_EQ(session.Get(TestServerUrl() + "/trickle.txt", shortLimits), "");
  EXPECT_GE(GetTickCount() - before, 900u);
  // One that can wait goes out once the first trickle ends, 4 s after it began.
  before = GetTickCount();
  EXPECT_EQ(session.Get(TestServerUrl() + "/fine.txt", kSmallReplyLimits), "fine");
  EXPECT_GE(GetTickCount() - start, 3500u);
  EXPECT_LT(GetTickCount() - before, 5000u);
  EXPECT_TRUE(test::PumpUntil([&] { return session.Abandoned() == 0; }, 10000));
  EXPECT_EQ(ServerRequestLog(), (std::vector<std::string>{"/trickle.txt", "/fine.txt", "/trickle.txt", "/fine.txt"}));
}

// Redirects are followed by our own rule, one request per hop: never from https to anything else, never to an
// address with a user name, to the same host only where asked, and no more than the rule's number.
TEST(HttpRedirect, TheRuleDecidesWhereARedirectLeads) {
  UrlParts plain, secure;
  ASSERT_TRUE(SplitUrl("http://radio.example:8080/json/stations?x=1", plain));
  ASSERT_TRUE(SplitUrl("https://radio.example/json/servers", secure));
  const RedirectRule anyHost, sameHost = {5, true};
  const struct {
    const UrlParts* from;
    const char* location;
    const RedirectRule* rule;
    const char* leadsTo;  // host:port/object, or nullptr when refused
  } cases[] = {
      {&plain, "/other?y", &anyHost, "radio.example:8080/other?y"},
      {&plain, "next", &anyHost, "radio.example:8080/json/next"},
      {&plain, "//mirror.example/a", &anyHost, "mirror.example:80/a"},
      {&plain, "https://radio.example/b", &sameHost, "radio.example:443/b"},
      {&plain, "http://RADIO.example:81/c", &sameHost, "RADIO.example:81/c"},
      {&plain, "http://mirror.example/a", &sameHost, nullptr},
      {&plain, "http://127.0.0.1:8080/a", &sameHost, nullptr},
      {&secure, "/json/other", &sameHost, "radio.example:443/json/other"},
      {&secure, "https://mirror.example/a", &anyHost, "mirror.example:443/a"},
      {&secure, "http://radio.example/json/servers", &anyHost, nullptr},
      {&secure, "//radio.example:80/x", &anyHost, "radio.example:80/x"},
      {&secure, "ftp://radio.example/x", &anyHost, nullptr},
      {&plain, "http://user:pw@radio.example/x", &anyHost, nullptr},
      {&plain, "javascript:alert(1)", &anyHost, nullptr},
      {&plain, "http://radio.example/a b", &anyHost, nullptr},
      {&plain, "http:\\\\mirror.example/x", &anyHost, nullptr},
      {&plain, "", &anyHost, nullptr},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.location);
    UrlParts to;
    const bool followed = FollowRedirect(*c.from, c.location, *c.rule, to);
    EXPECT_EQ(followed, c.leadsTo != nullptr);
    if (followed && c.leadsTo) {
      EXPECT_EQ(to.host + ":" + std::to_string(to.port) + to.object, c.leadsTo);
      EXPECT_EQ(to.scheme == INTERNET_SCHEME_HTTPS, c.from->scheme == INTERNET_SCHEME_HTTPS ||
                                                        std::string(c.location).rfind("https:", 0) == 0);
    }
  }
}

TEST_F(HttpFetch, RedirectsAreFollowedByTheRuleWithinTheirNumber) {
  ServerSetBody("/fine.txt", "fine");
  const std::string self = TestServerUrl();
  const std::string port = self.substr(self.rfind(':') + 1);
  test::ServerSetRedirect("/moved.txt", "/fine.txt");
  EXPECT_EQ(HttpGet(self + "/moved.txt", kSmallReplyLimits), "fine");
  // The same server under another host name: followed by default, refused where only the same host may be.
  test::ServerSetRedirect("/elsewhere.txt", "http://localhost:" + port + "/fine.txt");
  EXPECT_EQ(HttpGet(self + "/elsewhere.txt", kSmallReplyLimits), "fine");
  EXPECT_EQ(HttpGet(self + "/elsewhere.txt", kSmallReplyLimits, kPlayerAgent, {}, RedirectRule{5, true}), "");
  // A redirect to itself ends after the rule's number of hops.
  test::ServerSetRedirect("/loop.txt", "/loop.txt");
  EXPECT_EQ(HttpGet(self + "/loop.txt", kSmallReplyLimits, kPlayerAgent, {}, RedirectRule{3, false}), "");
  std::vector<std::string> log = ServerRequestLog();
  EXPECT_EQ(std::count(log.begin(), log.end(), "/loop.txt"), 4) << "the first request and three redirects";
  EXPECT_EQ(std::count(log.begin(), log.end(), "/fine.txt"), 2) << "the refused redirect sent nothing";
}

}  // namespace
}  // namespace trr
