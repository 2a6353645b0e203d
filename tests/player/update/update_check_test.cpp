// The update check against the demo server's version file, with a stand-in updater that leaves a marker file.
#include "player/update/update_check.h"

#include <windows.h>

#include <gtest/gtest.h>

#include "common/file_util.h"
#include "player/update/version.h"
#include "tests/harness/demo_server_client.h"
#include "tests/harness/message_pump.h"
#include "tests/harness/temp_dir.h"

// This test program is the "player" whose own version the check reads.
const char kOwnVersion[] = "1.0";

namespace trr {
namespace {

using test::BinDirectory;
using test::PumpMessages;
using test::PumpUntil;
using test::ScopedTempDir;
using test::ServerControl;
using test::ServerReset;
using test::ServerSetFault;

void SetServerVersion(const std::string& text) {
  ServerControl("/__control/version?text=" + test::PercentEncode(text));
}

// A program directory holding the stand-in as TrRadioDl.exe.
class ProgramDirectory {
 public:
  ProgramDirectory() {
    installed = test::CopyFileTo(BinDirectory() + "\\updater_stand_in.exe", dir.File("TrRadioDl.exe"));
  }
  bool Started() const { return FileExists(dir.File("started.marker")); }
  ScopedTempDir dir;
  bool installed = false;
};

class UpdateCheck : public testing::Test {
 protected:
  void SetUp() override { ServerReset(); }
  void TearDown() override {
    ServerReset();
    SetEnvironmentVariableA("TRRADIO_UPDATE_URL", test::TestServerUrl().c_str());
  }
};

struct VersionCase {
  const char* own;
  const char* remote;
  bool newer;
};

const VersionCase kVersions[] = {
    {"1.0", "1.0", false},  {"1.0", "1.01", true},   {"1.0", "0.9", false},  {"1.0", "abc", false},
    {"1.0", "", false},     {"1.1", "1.10", false},  {"1.1", "2", true},     {"1.1", "1.0", false},
    {"1.0", "1.01\r\n", true}, {"1.0", " 1.5", true}, {"1.0", "-3", false},  {"1.1", "1.1", false},
};

TEST(UpdateVersions, SinglePrecisionComparison) {
  for (const VersionCase& c : kVersions) {
    SCOPED_TRACE(std::string(c.own) + " vs " + c.remote);
    EXPECT_EQ(IsNewerVersion(c.own, c.remote), c.newer);
  }
  EXPECT_EQ(UpdaterPath("C:\\Program Files\\trRadio"), "C:\\Program Files\\trRadio/TrRadioDl.exe");
}

TEST_F(UpdateCheck, NewerVersionStartsTheUpdaterAndHandsOver) {
  ProgramDirectory program;
  ASSERT_TRUE(program.installed);
  SetServerVersion("1.01");
  std::string remote;
  EXPECT_EQ(CheckForUpdate("1.0", program.dir.path(), remote), UpdateDecision::HandOver);
  EXPECT_EQ(remote, "1.01");
  EXPECT_TRUE(PumpUntil([&] { return program.Started(); }, 20000));
  EXPECT_EQ(test::ServerRequestLog(), std::vector<std::string>{"/upload/b.txt"});
  PumpMessages(500);  // let the stand-in exit before its directory goes
}

TEST_F(UpdateCheck, SameLowerOrUnreadableVersionsContinueWithoutTheUpdater) {
  ProgramDirectory program;
  ASSERT_TRUE(program.installed);
  for (const char* version : {"1.0", "0.9", "abc", "", "1.0.5x"}) {
    SCOPED_TRACE(version);
    SetServerVersion(version);
    std::string remote = "stale";
    EXPECT_EQ(CheckForUpdate("1.0", program.dir.path(), remote), UpdateDecision::Continue);
    EXPECT_EQ(remote, version);
  }
  // A failed fetch reads as no version.
  ServerSetFault("/upload/b.txt", "error");
  std::string remote = "stale";
  EXPECT_EQ(CheckForUpdate("1.0", program.dir.path(), remote), UpdateDecision::Continue);
  EXPECT_EQ(remote, "");
  PumpMessages(1500);
  EXPECT_FALSE(program.Started());
}

TEST_F(UpdateCheck, TheRunningPlayerUsesItsOwnVersion) {
  SetServerVersion("1.0");
  std::string remote;
  EXPECT_EQ(CheckForUpdate(remote), UpdateDecision::Continue);
  EXPECT_EQ(remote, "1.0");
}

TEST_F(UpdateCheck, AMissingUpdaterDoesNotEndThePlayer) {
  ScopedTempDir empty;
  SetServerVersion("9.9");
  std::string remote;
  EXPECT_EQ(CheckForUpdate("1.0", empty.path(), remote), UpdateDecision::Continue);
  EXPECT_EQ(remote, "9.9");
}

TEST_F(UpdateCheck, NoServerReturnsWithinTheFetchTimeout) {
  ProgramDirectory program;
  const DWORD limitMs = 6000 + 3000;  // the fetch's whole-request deadline, with slack for a busy machine

  SetEnvironmentVariableA("TRRADIO_UPDATE_URL", "http://127.0.0.1:1");  // nothing listens there
  std::string remote = "stale";
  DWORD start = GetTickCount();
  EXPECT_EQ(CheckForUpdate("1.0", program.dir.path(), remote), UpdateDecision::Continue);
  EXPECT_LT(GetTickCount() - start, limitMs);
  EXPECT_EQ(remote, "");

  SetEnvironmentVariableA("TRRADIO_UPDATE_URL", test::TestServerUrl().c_str());
  ServerSetFault("/upload/b.txt", "hang");
  start = GetTickCount();
  EXPECT_EQ(CheckForUpdate("1.0", program.dir.path(), remote), UpdateDecision::Continue);
  EXPECT_LT(GetTickCount() - start, limitMs);
  EXPECT_EQ(remote, "");
  EXPECT_FALSE(program.Started());
}

}  // namespace
}  // namespace trr
