#include "common/http_fetch.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

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

// A session whose request was given up at its deadline sends nothing more until that request's worker has
// ended: a trickling server holds one worker per session, never more.
TEST_F(HttpFetch, ASessionStartsNoRequestWhileOneGivenUpStillRuns) {
  ServerSetFault("/trickle.txt", "trickle", 3);
  ServerSetBody("/fine.txt", "fine");
  FetchLimits shortLimits = kSmallReplyLimits;
  shortLimits.totalMs = 1000;
  HttpSession session;
  DWORD start = GetTickCount();
  EXPECT_EQ(session.Get(TestServerUrl() + "/trickle.txt", shortLimits), "");
  EXPECT_LT(GetTickCount() - start, 2000u);
  EXPECT_TRUE(session.Busy());
  EXPECT_EQ(session.Get(TestServerUrl() + "/fine.txt", kSmallReplyLimits), "") << "refused at once";
  // The trickle ends after 3 s, and with it the worker given up on.
  EXPECT_TRUE(test::PumpUntil([&] { return !session.Busy(); }, 10000));
  EXPECT_EQ(session.Get(TestServerUrl() + "/fine.txt", kSmallReplyLimits), "fine");
  EXPECT_EQ(ServerRequestLog(), (std::vector<std::string>{"/trickle.txt", "/fine.txt"}));
}

}  // namespace
}  // namespace trr
