#include "common/http_fetch.h"

#include <windows.h>

#include <gtest/gtest.h>

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
  EXPECT_EQ(HttpGet(TestServerUrl() + "/probe.txt"), body);
  ServerSetBody("/probe.txt", "second");
  EXPECT_EQ(HttpGet(TestServerUrl() + "/probe.txt"), "second");
  auto log = ServerRequestLog();
  ASSERT_EQ(log.size(), 2u);
  EXPECT_EQ(log[0], "/probe.txt");
}

TEST_F(HttpFetch, FailuresGiveEmptyBodies) {
  ServerSetFault("/broken.txt", "error");
  EXPECT_EQ(HttpGet(TestServerUrl() + "/broken.txt"), "");
  EXPECT_EQ(HttpGet(TestServerUrl() + "/missing-file-404.txt"), "");
  ServerSetFault("/cut.txt", "fail");
  EXPECT_EQ(HttpGet(TestServerUrl() + "/cut.txt"), "");
  // Nothing listens on port 1.
  EXPECT_EQ(HttpGet("http://127.0.0.1:1/x"), "");
  EXPECT_EQ(HttpGet(""), "");
}

TEST_F(HttpFetch, HangingServerCannotHoldTheCallerPastTheDeadline) {
  ServerSetFault("/hang.txt", "hang");
  FetchTimeouts timeouts;
  timeouts.totalMs = 1500;
  DWORD start = GetTickCount();
  EXPECT_EQ(HttpGet(TestServerUrl() + "/hang.txt", timeouts), "");
  DWORD elapsed = GetTickCount() - start;
  EXPECT_LT(elapsed, 3000u);
  EXPECT_GE(elapsed, 1400u);
}

TEST_F(HttpFetch, SlowButTimelyServerStillAnswers) {
  ServerSetBody("/slow.txt", "late");
  ServerSetFault("/slow.txt", "slow", 0.5);
  EXPECT_EQ(HttpGet(TestServerUrl() + "/slow.txt"), "late");
}

}  // namespace
}  // namespace trr
