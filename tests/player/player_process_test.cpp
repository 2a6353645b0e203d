// The real trRadio.exe as a process against the demo server: the channel cache on first and later starts,
// failed fetches, and the end through 关闭. Each case runs a copy of the program in a fresh directory.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "common/file_util.h"
#include "common/http_fetch.h"
#include "common/scoped_win.h"
#include "tests/harness/demo_server_client.h"
#include "tests/harness/message_pump.h"
#include "tests/harness/temp_dir.h"
#include "tests/harness/window_probe.h"

namespace trr::test {
namespace {

constexpr char kDirectoryPath[] = "/Data.asp";
constexpr char kDirectoryRequest[] = "/Data.asp?GGwl=LIstGB";

struct Player {
  ScopedHandle process;
  DWORD id = 0;
  HWND window = nullptr;
};

struct WindowSearch {
  DWORD id;
  HWND found;
};

BOOL CALLBACK MatchPlayerWindow(HWND window, LPARAM param) {
  auto* s = reinterpret_cast<WindowSearch*>(param);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  char name[64] = "";
  GetClassNameA(window, name, sizeof(name));
  if (owner == s->id && std::string(name) == "TrRadioMainWindow" && IsWindowVisible(window)) {
    s->found = window;
    return FALSE;
  }
  return TRUE;
}

HWND FindPlayerWindow(DWORD processId) {
  WindowSearch search = {processId, nullptr};
  EnumWindows(MatchPlayerWindow, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// Starts the copy of the player in `dir` and waits until its main window is visible.
Player StartPlayer(const ScopedTempDir& dir) {
  Player player;
  std::string exe = dir.File("trRadio.exe");
  STARTUPINFOA startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION info = {};
  std::string command = "\"" + exe + "\"";
  if (!CreateProcessA(exe.c_str(), &command[0], nullptr, nullptr, FALSE, 0, nullptr, dir.path().c_str(), &startup,
                      &info))
    return player;
  CloseHandle(info.hThread);
  player.process.reset(info.hProcess);
  player.id = info.dwProcessId;
  PumpUntil([&] { return (player.window = FindPlayerWindow(player.id)) != nullptr; }, 20000);
  return player;
}

// Clicks 关闭 the way the mouse does and waits for the process to end; returns its exit code (-1: still alive).
int ClosePlayer(Player& player) {
  HWND close = FindChildByText(player.window, "关闭");
  if (!close) return -1;
  SendMessageA(close, WM_MOUSEMOVE, 0, MAKELPARAM(20, 9));
  SendMessageA(close, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, 9));
  PostMessageA(close, WM_LBUTTONUP, 0, MAKELPARAM(20, 9));
  if (WaitForSingleObject(player.process.get(), 15000) != WAIT_OBJECT_0) {
    TerminateProcess(player.process.get(), 99);
    return -1;
  }
  DWORD code = 99;
  GetExitCodeProcess(player.process.get(), &code);
  return static_cast<int>(code);
}

int DirectoryRequests() {
  int n = 0;
  for (const std::string& request : ServerRequestLog()) n += request == kDirectoryRequest;
  return n;
}

class PlayerProcessTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ServerReset();
    ASSERT_TRUE(CopyFileTo(BinDirectory() + "\\trRadio.exe", dir_.File("trRadio.exe")));
  }
  void TearDown() override { ServerReset(); }
  ScopedTempDir dir_;
};

TEST_F(PlayerProcessTest, FirstStartFetchesTheDirectoryOnceAndLaterStartsUseTheCache) {
  Player first = StartPlayer(dir_);
  ASSERT_NE(first.window, nullptr) << "main window came up";
  EXPECT_EQ(DirectoryRequests(), 1);
  std::string cached, served = HttpGet(TestServerUrl() + kDirectoryRequest);
  EXPECT_TRUE(ReadWholeFile(dir_.File("GB.Dat"), cached));
  EXPECT_FALSE(served.empty());
  EXPECT_EQ(cached, served) << "GB.Dat holds the server's bytes unchanged";
  EXPECT_EQ(ClosePlayer(first), 0);

  ServerReset();
  Player second = StartPlayer(dir_);
  ASSERT_NE(second.window, nullptr);
  EXPECT_EQ(DirectoryRequests(), 0) << "the cache is used";
  EXPECT_EQ(ClosePlayer(second), 0);

  // An existing but empty cache is used as it is.
  ASSERT_TRUE(WriteWholeFile(dir_.File("GB.Dat"), ""));
  ServerReset();
  Player third = StartPlayer(dir_);
  ASSERT_NE(third.window, nullptr);
  EXPECT_EQ(DirectoryRequests(), 0);
  std::string still;
  EXPECT_TRUE(ReadWholeFile(dir_.File("GB.Dat"), still));
  EXPECT_TRUE(still.empty());
  EXPECT_EQ(ClosePlayer(third), 0);
}

TEST_F(PlayerProcessTest, AFailedFetchWritesNoCacheAndThePlayerStillComesUp) {
  for (const char* fault : {"error", "fail", "hang"}) {
    SCOPED_TRACE(fault);
    ServerReset();
    ServerSetFault(kDirectoryPath, fault);
    DeleteFileIfPresent(dir_.File("GB.Dat"));
    Player player = StartPlayer(dir_);
    ASSERT_NE(player.window, nullptr);
    EXPECT_EQ(DirectoryRequests(), 1);
    EXPECT_FALSE(FileExists(dir_.File("GB.Dat"))) << "a failure is not stored as the directory";
    EXPECT_EQ(ClosePlayer(player), 0);
  }
  // With the server healthy again, the next start fetches and stores the directory.
  ServerReset();
  Player player = StartPlayer(dir_);
  ASSERT_NE(player.window, nullptr);
  EXPECT_EQ(DirectoryRequests(), 1);
  EXPECT_TRUE(FileExists(dir_.File("GB.Dat")));
  EXPECT_EQ(ClosePlayer(player), 0);
}

BOOL CALLBACK CountTrayIcon(HWND child, LPARAM count) {
  char name[64] = "";
  GetClassNameA(child, name, sizeof(name));
  if (std::string(name) == "__winex11_tray_icon" && IsWindowVisible(child)) ++*reinterpret_cast<int*>(count);
  return TRUE;
}

// Icons in the notification area as Wine shows it without a desktop tray: one child window per icon in its
// stand-alone tray window. -1 when there is no such window (the area exists only once an icon was added).
int TrayIconCount() {
  HWND tray = FindWindowA("__winex11_standalone_tray", nullptr);
  if (!tray) return -1;
  int count = 0;
  EnumChildWindows(tray, CountTrayIcon, reinterpret_cast<LPARAM>(&count));
  return count;
}

TEST_F(PlayerProcessTest, CloseRemovesTheNotificationIconBeforeTheEnd) {
  ASSERT_TRUE(WriteWholeFile(dir_.File("GB.Dat"), ""));
  int before = TrayIconCount();
  if (before < 0) before = 0;
  Player player = StartPlayer(dir_);
  ASSERT_NE(player.window, nullptr);
  EXPECT_TRUE(PumpUntil([&] { return TrayIconCount() == before + 1; }, 5000)) << "the icon is shown";
  EXPECT_EQ(ClosePlayer(player), 0);
  EXPECT_TRUE(PumpUntil([&] { return TrayIconCount() == before; }, 5000)) << "and gone after 关闭";
}

TEST_F(PlayerProcessTest, ADeadDirectoryServerWritesNoCache) {
  char saved[512] = "";
  GetEnvironmentVariableA("TRRADIO_DIRECTORY_URL", saved, sizeof(saved));
  // Nothing listens on port 1 of the loopback address.
  SetEnvironmentVariableA("TRRADIO_DIRECTORY_URL", "http://127.0.0.1:1");
  Player player = StartPlayer(dir_);
  SetEnvironmentVariableA("TRRADIO_DIRECTORY_URL", saved);
  ASSERT_NE(player.window, nullptr);
  EXPECT_FALSE(FileExists(dir_.File("GB.Dat")));
  EXPECT_EQ(ClosePlayer(player), 0);
}

}  // namespace
}  // namespace trr::test
