// The real trRadio.exe as a process against the demo server: the channel cache on first and later starts,
// failed fetches, and the end through 关闭. Each case runs a copy of the program in a fresh directory.
#include <windows.h>
#include <tlhelp32.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <utility>

#include "common/file_util.h"
#include "common/gbk_text.h"
#include "common/http_fetch.h"
#include "common/scoped_win.h"
#include "player/directory/channel_cache.h"
#include "player/directory/channel_document.h"
#include "player/community/community_cache.h"
#include "tests/harness/demo_server_client.h"
#include "tests/harness/message_pump.h"
#include "tests/harness/temp_dir.h"
#include "tests/harness/window_probe.h"
#include "tests/player/process/player_process.h"

namespace trr::test {
namespace {

constexpr char kDirectoryPath[] = "/Data.asp";
constexpr char kDirectoryRequest[] = "/Data.asp?GGwl=LIstGB";

int DirectoryRequests() {
  int n = 0;
  for (const std::string& request : ServerRequestLog()) n += request == kDirectoryRequest;
  return n;
}

BOOL CALLBACK MatchChild(HWND child, LPARAM param) {
  auto* search = reinterpret_cast<std::pair<const std::function<bool(HWND)>*, HWND>*>(param);
  if (!(*search->first)(child)) return TRUE;
  search->second = child;
  return FALSE;
}

// The first child of `parent` (direct or deeper) for which `match` holds; nullptr when none.
HWND FindChild(HWND parent, const std::function<bool(HWND)>& match) {
  std::pair<const std::function<bool(HWND)>*, HWND> search(&match, nullptr);
  EnumChildWindows(parent, MatchChild, reinterpret_cast<LPARAM>(&search));
  return search.second;
}

// The label of the online count (透明标签2), known by its texts.
HWND CounterLabel(HWND main) {
  return FindChild(main, [](HWND child) {
    std::string text = WindowText(child);
    return text == "人数统计服务器故障." || text.rfind("当前在线:", 0) == 0;
  });
}

HWND ListBoxOf(HWND main) {
  return FindChild(main, [](HWND child) {
    char name[32] = "";
    GetClassNameA(child, name, sizeof(name));
    return lstrcmpiA(name, "ListBox") == 0;
  });
}

// Entries the station list shows (groups, all collapsed at start); -1 without a list.
int ListEntries(HWND main) {
  HWND listBox = ListBoxOf(main);
  return listBox ? static_cast<int>(SendMessageA(listBox, LB_GETCOUNT, 0, 0)) : -1;
}

// Clicks (or double-clicks) the list's entry `index` as the mouse does.
void ClickEntry(HWND listBox, int index, bool twice) {
  RECT rect = {};
  SendMessageA(listBox, LB_GETITEMRECT, index, reinterpret_cast<LPARAM>(&rect));
  const int x = (rect.left + rect.right) / 2, y = (rect.top + rect.bottom) / 2;
  if (twice)
    LeftDoubleClick(listBox, x, y);
  else
    LeftClick(listBox, x, y);
}

// Waits until the list shows `entries` entries (the directory arrives from its worker after the window is up).
bool WaitForEntries(HWND main, int entries, unsigned timeoutMs) {
  return PumpUntil([&] { return ListEntries(main) == entries; }, timeoutMs);
}

int ThreadCount(DWORD processId) {
  ScopedHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0));
  if (!snapshot) return -1;
  THREADENTRY32 entry = {};
  entry.dwSize = sizeof(entry);
  int count = 0;
  for (BOOL more = Thread32First(snapshot.get(), &entry); more; more = Thread32Next(snapshot.get(), &entry))
    count += entry.th32OwnerProcessID == processId;
  return count;
}

bool StillRunning(const Player& player) { return WaitForSingleObject(player.process.get(), 0) == WAIT_TIMEOUT; }

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
  const std::string served = HttpGet(TestServerUrl() + kDirectoryRequest, kChannelDirectoryLimits);
  ServerReset();
  Player first = StartPlayer(dir_.path());
  ASSERT_NE(first.window, nullptr) << "main window came up";
  EXPECT_TRUE(WaitForEntries(first.window, static_cast<int>(ParseChannelDocument(served).groups.size()), 20000));
  EXPECT_EQ(DirectoryRequests(), 1);
  // The directory's request leaves first, then the version file's.
  std::vector<std::string> log = ServerRequestLog();
  ASSERT_GE(log.size(), 2u);
  EXPECT_EQ(log[0], kDirectoryRequest);
  EXPECT_EQ(log[1], "/upload/b.txt");
  std::string cached;
  EXPECT_TRUE(ReadWholeFile(dir_.File("GB.Dat"), cached));
  EXPECT_FALSE(served.empty());
  EXPECT_EQ(cached, served) << "GB.Dat holds the server's bytes unchanged";
  EXPECT_EQ(ClosePlayer(first), 0);

  // A write of the cache cut short by a process that ended left its temporary file: the next start removes it.
  ASSERT_TRUE(WriteWholeFile(dir_.File("GB.Dat.tmp4000000002"), served.substr(0, served.size() / 2)));
  ServerReset();
  Player second = StartPlayer(dir_.path());
  ASSERT_NE(second.window, nullptr);
  EXPECT_TRUE(WaitForEntries(second.window, static_cast<int>(ParseChannelDocument(served).groups.size()), 20000));
  EXPECT_EQ(DirectoryRequests(), 0) << "the cache is used";
  EXPECT_FALSE(FileExists(dir_.File("GB.Dat.tmp4000000002")));
  EXPECT_EQ(ClosePlayer(second), 0);

  // An existing but empty cache is used as it is.
  ASSERT_TRUE(WriteWholeFile(dir_.File("GB.Dat"), ""));
  ServerReset();
  Player third = StartPlayer(dir_.path());
  ASSERT_NE(third.window, nullptr);
  EXPECT_EQ(DirectoryRequests(), 0);
  std::string still;
  EXPECT_TRUE(ReadWholeFile(dir_.File("GB.Dat"), still));
  EXPECT_TRUE(still.empty());
  EXPECT_EQ(ClosePlayer(third), 0);

  // A cache file over 16 MB is not read, even when it holds a directory: an empty list, kept as it is.
  std::string oversized = served + std::string(16 * 1024 * 1024 + 1 - served.size(), ' ');
  ASSERT_TRUE(WriteWholeFile(dir_.File("GB.Dat"), oversized));
  Player fourth = StartPlayer(dir_.path());
  ASSERT_NE(fourth.window, nullptr);
  EXPECT_EQ(ListEntries(fourth.window), 0);
  EXPECT_EQ(DirectoryRequests(), 0);
  EXPECT_EQ(ClosePlayer(fourth), 0);
}

// Each hostile delivery on all three fetches at once: what a good delivery shows, or an empty list, a count of
// 0 and no cache file; always a player that comes up, goes on and closes at once, and whose ticks, skipped
// while a refresh waits on a server that never answers, do not pile up threads. Servers that trickle their
// headers are given up at each fetch's deadline: the window shows within 7 s (the version file's 6 s
// deadline) and the player holds at most 6 threads.
TEST_F(PlayerProcessTest, HostileRepliesNeverPoisonTheCacheNorStopThePlayer) {
  const std::string served = HttpGet(TestServerUrl() + kDirectoryRequest, kChannelDirectoryLimits);
  const int groups = static_cast<int>(ParseChannelDocument(served).groups.size());
  ASSERT_GT(groups, 0);
  const struct {
    const char* mode;
    double rate;
    bool good;
  } deliveries[] = {
      {"endless", 0, false},   {"cut", 0, false},       {"chunkedcut", 0, false}, {"cutnolength", 0, false},
      {"html", 0, false},      {"scrambled", 0, false}, {"hang", 0, false},       {"nolength", 0, true},
      {"chunked", 0, true},    {"drip", 400, true},     {"trickle", 60, false},
  };
  for (const auto& d : deliveries) {
    SCOPED_TRACE(d.mode);
    ServerReset();
    for (const char* path : {kDirectoryPath, "/fm/count.asp", "/upload/b.txt"}) ServerSetFault(path, d.mode, d.rate);
    DeleteFileIfPresent(dir_.File("GB.Dat"));
    const DWORD began = GetTickCount();
    Player player = StartPlayer(dir_.path(), 60000);
    ASSERT_NE(player.window, nullptr);
    const DWORD shownMs = GetTickCount() - began;
    HWND label = CounterLabel(player.window);
    ASSERT_NE(label, nullptr);
    const int threadsAtStart = ThreadCount(player.id);
    int most = threadsAtStart;
    for (int i = 0; i < 60 && WindowText(label).rfind("当前在线:", 0) != 0; ++i) {
      PumpMessages(500);
      most = std::max(most, ThreadCount(player.id));
    }
    EXPECT_EQ(WindowText(label) == "当前在线:0人", !d.good) << WindowText(label);
    if (d.good) {
      EXPECT_TRUE(WaitForEntries(player.window, groups, 30000));
    }
    for (int i = 0; i < 4; ++i) {
      PumpMessages(500);
      most = std::max(most, ThreadCount(player.id));
    }
    EXPECT_LE(most, threadsAtStart + 2);
    std::string cached;
    EXPECT_EQ(ReadWholeFile(dir_.File("GB.Dat"), cached), d.good);
    EXPECT_EQ(cached, d.good ? served : "");
    EXPECT_EQ(ListEntries(player.window), d.good ? groups : 0);
    EXPECT_TRUE(StillRunning(player)) << "no update was announced";
    if (std::string(d.mode) == "trickle") {
      EXPECT_LT(shownMs, 7000u);
      EXPECT_LE(most, 6);
    }
    const DWORD closing = GetTickCount();
    EXPECT_EQ(ClosePlayer(player), 0);
    EXPECT_LT(GetTickCount() - closing, 3000u) << "ending waits for no worker";
  }
  // Any one server trickling on its own: the window still shows within 7 s and the player ends when closed.
  for (const char* path : {kDirectoryPath, "/fm/count.asp", "/upload/b.txt"}) {
    SCOPED_TRACE(std::string("trickling alone: ") + path);
    ServerReset();
    ServerSetFault(path, "trickle", 60);
    DeleteFileIfPresent(dir_.File("GB.Dat"));
    const DWORD began = GetTickCount();
    Player player = StartPlayer(dir_.path(), 60000);
    ASSERT_NE(player.window, nullptr);
    EXPECT_LT(GetTickCount() - began, 7000u);
    PumpMessages(1500);
    EXPECT_EQ(ClosePlayer(player), 0);
  }
}

// A 3 MB directory at 200 KB/s needs 15 s: longer than a small reply may take, well within the directory's
// limits. A directory that lists its one group 5,000 times shows 20 copies of it (100,000 rows).
TEST_F(PlayerProcessTest, LargeAndSlowDirectoriesLoadWithinTheirLimits) {
  ServerGenerateDirectory(30000, 30, 1, 80);
  const std::string served = HttpGet(TestServerUrl() + kDirectoryRequest, kChannelDirectoryLimits);
  ASSERT_GT(served.size(), 3000000u);
  ServerSetFault(kDirectoryPath, "drip", 200000);
  Player slow = StartPlayer(dir_.path(), 60000);
  ASSERT_NE(slow.window, nullptr);
  EXPECT_TRUE(WaitForEntries(slow.window, 30, 60000));
  std::string cached;
  EXPECT_TRUE(ReadWholeFile(dir_.File("GB.Dat"), cached));
  EXPECT_TRUE(cached == served) << "GB.Dat holds the whole directory (" << cached.size() << " bytes)";
  EXPECT_EQ(ListEntries(slow.window), 30);
  EXPECT_EQ(ClosePlayer(slow), 0);

  ServerReset();
  ServerGenerateDirectory(5000, 1, 5000);
  DeleteFileIfPresent(dir_.File("GB.Dat"));
  Player repeated = StartPlayer(dir_.path(), 120000);
  ASSERT_NE(repeated.window, nullptr);
  EXPECT_TRUE(WaitForEntries(repeated.window, 20, 120000));
  EXPECT_TRUE(StillRunning(repeated));
  EXPECT_EQ(ClosePlayer(repeated), 0);
}

TEST_F(PlayerProcessTest, AFailedFetchWritesNoCacheAndThePlayerStillComesUp) {
  for (const char* fault : {"error", "fail", "hang"}) {
    SCOPED_TRACE(fault);
    ServerReset();
    ServerSetFault(kDirectoryPath, fault);
    DeleteFileIfPresent(dir_.File("GB.Dat"));
    Player player = StartPlayer(dir_.path());
    ASSERT_NE(player.window, nullptr);
    PumpMessages(1500);  // the worker's fetch has failed by now, but for the hanging server's
    EXPECT_EQ(DirectoryRequests(), 1);
    EXPECT_FALSE(FileExists(dir_.File("GB.Dat"))) << "a failure is not stored as the directory";
    EXPECT_EQ(ClosePlayer(player), 0);
  }
  // With the server healthy again, the next start fetches and stores the directory.
  ServerReset();
  Player player = StartPlayer(dir_.path());
  ASSERT_NE(player.window, nullptr);
  EXPECT_TRUE(PumpUntil([&] { return FileExists(dir_.File("GB.Dat")); }, 20000));
  EXPECT_EQ(DirectoryRequests(), 1);
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

// trRadio.ini beside the program picks the community directory: the list and its count come from there, with the
// player's agent on every request and nothing asked of the built-in or counter servers; offline, the next start
// lists the cached stations.
TEST_F(PlayerProcessTest, TheCommunitySourceListsAndCachesBesideTheProgram) {
  ASSERT_TRUE(WriteWholeFile(dir_.File("trRadio.ini"), "[Directory]\r\nSource=community\r\n"));
  char closed[512] = "";
  GetEnvironmentVariableA("TRRADIO_COMMUNITY_URL", closed, sizeof(closed));
  SetEnvironmentVariableA("TRRADIO_COMMUNITY_URL", TestServerUrl().c_str());
  ASSERT_TRUE(WriteWholeFile(dir_.File("Community.Dat.tmp4000000002"), "TRRADIO COMMUNITY 1\r\n"));
  Player online = StartPlayer(dir_.path());
  ASSERT_NE(online.window, nullptr);
  CommunityDirectory cached;
  EXPECT_TRUE(PumpUntil([&] { return ReadCommunityCache(dir_.File("Community.Dat"), cached); }, 20000));
  EXPECT_FALSE(FileExists(dir_.File("Community.Dat.tmp4000000002"))) << "a cut write's leftover";
  EXPECT_TRUE(WaitForEntries(online.window, static_cast<int>(cached.groups.size()), 10000));
  const std::string count = "共 " + std::to_string(cached.RowCount()) + " 个电台";
  PumpMessages(1500);
  EXPECT_NE(FindChildByText(online.window, count), nullptr) << count;
  int json = 0;
  for (const std::string& line : SplitText(ServerControl("/__control/agents"), "\n")) {
    if (line.empty()) continue;
    EXPECT_EQ(line.find(" /Data.asp"), std::string::npos) << line;
    EXPECT_EQ(line.find(" /fm/count.asp"), std::string::npos) << line;
    if (line.find(" /json/") == std::string::npos) continue;
    EXPECT_EQ(line.substr(0, line.find(' ')), "TiroRadio/1.0");
    ++json;
  }
  EXPECT_EQ(json, 13);
  EXPECT_EQ(ClosePlayer(online), 0);

  SetEnvironmentVariableA("TRRADIO_COMMUNITY_URL", closed);
  ServerReset();
  Player offline = StartPlayer(dir_.path());
  ASSERT_NE(offline.window, nullptr);
  EXPECT_TRUE(WaitForEntries(offline.window, static_cast<int>(cached.groups.size()), 10000));
  EXPECT_TRUE(ServerRequestLog().size() <= 1u) << "the version file at most";
  EXPECT_EQ(ClosePlayer(offline), 0);
}

TEST_F(PlayerProcessTest, CloseRemovesTheNotificationIconBeforeTheEnd) {
  ASSERT_TRUE(WriteWholeFile(dir_.File("GB.Dat"), ""));
  int before = TrayIconCount();
  if (before < 0) before = 0;
  Player player = StartPlayer(dir_.path());
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
  Player player = StartPlayer(dir_.path());
  SetEnvironmentVariableA("TRRADIO_DIRECTORY_URL", saved);
  ASSERT_NE(player.window, nullptr);
  EXPECT_FALSE(FileExists(dir_.File("GB.Dat")));
  EXPECT_EQ(ClosePlayer(player), 0);
}

}  // namespace
// A station whose stream never gives a title (headers trickled, a server that holds the request): the
// now-playing reader tries once, gives up at its deadline and waits; the player keeps few threads meanwhile.
TEST_F(PlayerProcessTest, AStationWithAHostileStreamKeepsThePlayersThreadsFew) {
  const std::string served = HttpGet(TestServerUrl() + kDirectoryRequest, kChannelDirectoryLimits);
  ASSERT_TRUE(WriteWholeFile(dir_.File("GB.Dat"), served));
  for (const char* mode : {"trickle", "hang"}) {
    SCOPED_TRACE(mode);
    ServerReset();
    ServerSetFault("/icy/utf8", mode);
    Player player = StartPlayer(dir_.path());
    ASSERT_NE(player.window, nullptr);
    ASSERT_TRUE(WaitForEntries(player.window, static_cast<int>(ParseChannelDocument(served).groups.size()), 20000));
    // 流行音乐, the second group, opened; its first station, 音乐之声, leads to the stream with titles.
    HWND listBox = ListBoxOf(player.window);
    ClickEntry(listBox, 1, false);
    ClickEntry(listBox, 2, true);
    int most = ThreadCount(player.id);
    for (int i = 0; i < 28; ++i) {
      PumpMessages(500);
      most = std::max(most, ThreadCount(player.id));
    }
    EXPECT_LE(most, 10);
    const std::vector<std::string> log = ServerRequestLog();
    EXPECT_EQ(std::count(log.begin(), log.end(), "/Url.Asp?ID=2001"), 1) << "the look-up address, asked once";
    EXPECT_EQ(std::count(log.begin(), log.end(), "/icy/utf8"), 1) << "one try, then a pause";
    EXPECT_EQ(ClosePlayer(player), 0);
  }
}

}  // namespace trr::test
