#include "common/http_fetch.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "tests/harness/demo_server_client.h"

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
  EXPECT_EQ(HttpGet(TestServerUrl() + "/probe.txt", kSmallReplyLimits), body);
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
  // Nothing listens on port 1.
  EXPECT_EQ(HttpGet("http://127.0.0.1:1/x", kSmallReplyLimits), "");
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
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.mode) + " " + std::to_string(c.rate) + " " + std::to_string(c.maxBytes));
    ServerSetBody("/hostile.txt", body);
    ServerSetFault("/hostile.txt", c.mode, c.rate);
    const FetchLimits limits = {c.maxBytes, 3000, 3000, 4000};
    EXPECT_EQ(HttpGet(TestServerUrl() + "/hostile.txt", limits), c.whole ? body : "");
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

}  // namespace
}  // namespace trr
