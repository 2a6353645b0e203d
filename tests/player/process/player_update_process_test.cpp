// The real trRadio.exe as a process: with a newer version announced it starts the updater beside it and ends
// with exit code 0 before its window takes input; with its own version it comes up and shows the directory.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "common/file_util.h"
#include "common/http_fetch.h"
#include "common/scoped_win.h"
#include "player/directory/channel_cache.h"
#include "player/directory/channel_document.h"
#include "tests/harness/demo_server_client.h"
#include "tests/harness/message_pump.h"
#include "tests/harness/temp_dir.h"
#include "tests/harness/window_probe.h"

namespace trr::test {
namespace {

BOOL CALLBACK MatchListBox(HWND window, LPARAM param) {
  char name[64] = "";
  GetClassNameA(window, name, sizeof(name));
  if (lstrcmpiA(name, "ListBox") == 0) {
    *reinterpret_cast<HWND*>(param) = window;
    return FALSE;
  }
  return TRUE;
}

class PlayerProcess : public ::testing::Test {
 protected:
  void SetUp() override {
    ServerReset();
    ASSERT_TRUE(CopyFileTo(BinDirectory() + "\\trRadio.exe", dir_.File("trRadio.exe")));
    ASSERT_TRUE(CopyFileTo(BinDirectory() + "\\updater_stand_in.exe", dir_.File("TrRadioDl.exe")));
  }
  void TearDown() override {
    if (process_) {
      TerminateProcess(process_.get(), 99);
      WaitForSingleObject(process_.get(), 5000);
    }
    ServerReset();
  }
  bool Start() {
    std::string exe = dir_.File("trRadio.exe"), command = "\"" + exe + "\"";
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info = {};
    if (!CreateProcessA(exe.c_str(), &command[0], nullptr, nullptr, FALSE, 0, nullptr, dir_.path().c_str(),
                        &startup, &info))
      return false;
    CloseHandle(info.hThread);
    process_.reset(info.hProcess);
    processId_ = info.dwProcessId;
    return true;
  }
  // The exit code once the process has ended within `ms`; -1 while it still runs.
  int WaitForExit(DWORD ms) {
    if (WaitForSingleObject(process_.get(), ms) != WAIT_OBJECT_0) return -1;
    DWORD code = 99;
    GetExitCodeProcess(process_.get(), &code);
    process_.reset();
    return static_cast<int>(code);
  }
  HWND MainWindow() { return FindProcessWindow(processId_, "TrRadioMainWindow"); }

  ScopedTempDir dir_;
  ScopedHandle process_;
  DWORD processId_ = 0;
};

TEST_F(PlayerProcess, ANewerVersionHandsOverToTheUpdater) {
  ServerControl("/__control/version?text=1.01");
  ASSERT_TRUE(Start());
  EXPECT_EQ(WaitForExit(30000), 0);
  EXPECT_TRUE(PumpUntil([&] { return FileExists(dir_.File("started.marker")); }, 15000))
      << "TrRadioDl.exe beside the player was started";
  PumpMessages(500);  // the stand-in ends before its directory goes
}

TEST_F(PlayerProcess, ItsOwnVersionKeepsThePlayerAndItShowsTheDirectory) {
  const size_t groups =
      ParseChannelDocument(HttpGet(TestServerUrl() + "/Data.asp?GGwl=LIstGB", kChannelDirectoryLimits)).groups.size();
  ASSERT_GT(groups, 0u);
  ServerControl("/__control/version?text=1.0");
  ASSERT_TRUE(Start());
  HWND main = nullptr;
  ASSERT_TRUE(PumpUntil([&] { return (main = MainWindow()) != nullptr; }, 30000));
  HWND listBox = nullptr;
  EnumChildWindows(main, MatchListBox, reinterpret_cast<LPARAM>(&listBox));
  ASSERT_NE(listBox, nullptr);
  EXPECT_TRUE(PumpUntil([&] { return SendMessageA(listBox, LB_GETCOUNT, 0, 0) == LRESULT(groups); }, 20000));
  EXPECT_EQ(WaitForExit(500), -1) << "still running";
  EXPECT_FALSE(FileExists(dir_.File("started.marker")));
}

}  // namespace
}  // namespace trr::test
