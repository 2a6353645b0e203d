// The player's main window in this process with the community directory as its source (trRadio.ini beside this
// program): the list, the names made safe, the station count in the counter label, a double-click played
// through the look-up (or the listing's address when it fails, the last double-click winning, and nothing once
// the user stopped playback or the list was replaced), a look-up whose first server trickles, a cached list
// shown at once while the servers fail or hang, and the player's own groups kept above the list, their rows
// started through the directory each station came from.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "common/file_util.h"
#include "common/http_fetch.h"
#include "player/community/community_cache.h"
#include "player/directory/channel_document.h"
#include "player/shell/main_window.h"
#include "player/shell/player_main.h"
#include "player/shell/program_end.h"
#include "player/shell/program_state.h"
#include "tests/harness/demo_server_client.h"
#include "tests/harness/message_pump.h"
#include "tests/harness/temp_dir.h"
#include "tests/harness/window_probe.h"
#include "ui/layout_window.h"

namespace trr::test {
namespace {

void IgnoreEnd(int) {}

const std::string kStationBase = "http://radio.demo.example/media/";

// A list cached now (fresh: no fetch follows) with the demo server's first stations, and no known server.
std::string FreshCacheOfDemoStations() {
  CommunityDirectory cached;
  cached.fetchedAt = UnixTimeNow();
  cached.groups = {{"热门电台", {}}};
  for (int i = 0; i < 4; ++i) {
    const std::string uuid = "9617a958-0601-11e8-ae97-00000000000" + std::to_string(i);
    cached.groups[0].rows.push_back({uuid, kStationBase + uuid + "-cached.wav", "缓存电台 " + std::to_string(i)});
  }
  return FormatCommunityCache(cached);
}

class CommunityPlayer : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = ModuleDirectory();
    for (const char* name : {"GB.Dat", "Community.Dat", "trRadio.ini"}) DeleteFileIfPresent(dir_ + "\\" + name);
    char closed[512] = "";
    GetEnvironmentVariableA("TRRADIO_COMMUNITY_URL", closed, sizeof(closed));
    closedUrl_ = closed;
    GetEnvironmentVariableA("TRRADIO_COMMUNITY_SERVERS_URL", closed, sizeof(closed));
    closedListUrl_ = closed;
    SetEnvironmentVariableA("TRRADIO_COMMUNITY_URL", TestServerUrl().c_str());
    ServerReset();
    SetProcessEnd(IgnoreEnd);
  }
  void TearDown() override {
    if (IsWindow(main_)) DestroyWindow(main_);
    PumpMessages(20);
    ResetState();
    SetProcessEnd(nullptr);
    for (const char* name : {"GB.Dat", "Community.Dat", "trRadio.ini"}) DeleteFileIfPresent(dir_ + "\\" + name);
    SetEnvironmentVariableA("TRRADIO_COMMUNITY_URL", closedUrl_.empty() ? nullptr : closedUrl_.c_str());
    SetEnvironmentVariableA("TRRADIO_COMMUNITY_SERVERS_URL", closedListUrl_.empty() ? nullptr : closedListUrl_.c_str());
    ServerReset();
  }
  void Start(const char* source) {
    if (source) {
      ASSERT_TRUE(WriteWholeFile(dir_ + "\\trRadio.ini", std::string("[Directory]\r\nSource=") + source));
    }
    ResetState();
    RegisterExitCleanup(RunExitCleanup);
    main_ = CreateMainWindow(GetModuleHandleA(nullptr));
    ASSERT_NE(main_, nullptr);
  }
  HWND ListBox() { return State().channelList.listWindow(); }
  int Entries() { return ListBox() ? static_cast<int>(SendMessageA(ListBox(), LB_GETCOUNT, 0, 0)) : -1; }
  ItemHandle HandleAt(int i) { return static_cast<ItemHandle>(SendMessageA(ListBox(), LB_GETITEMDATA, i, 0)); }
  std::string Label() { return ui::ControlText(main_, "透明标签2"); }
  std::string Url() { return State().mediaPlayer ? State().mediaPlayer->Url() : std::string(); }
  void ClickEntry(int i, bool twice) {
    RECT r = {};
    SendMessageA(ListBox(), LB_GETITEMRECT, i, reinterpret_cast<LPARAM>(&r));
    if (twice)
      LeftDoubleClick(ListBox(), r.left + 60, (r.top + r.bottom) / 2);
    else
      LeftClick(ListBox(), r.left + 20, (r.top + r.bottom) / 2);
  }
  // True while the window answers a message within a quarter of a second.
  bool Responsive() {
    DWORD_PTR ignored = 0;
    return SendMessageTimeoutA(main_, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 250, &ignored) != 0;
  }
  std::string Cache() { return dir_ + "\\Community.Dat"; }
  int Requests(const std::string& prefix) {
    int n = 0;
    for (const std::string& r : ServerRequestLog()) n += r.rfind(prefix, 0) == 0;
    return n;
  }

  void ClickStop() {
    HWND stop = ui::FindControl(main_, "播放暂停");
    ASSERT_NE(stop, nullptr);
    RECT r = RectInParent(stop);
    LeftClick(stop, (r.right - r.left) / 2, (r.bottom - r.top) / 2);
  }

  std::string dir_, closedUrl_, closedListUrl_;
  HWND main_ = nullptr;
};

TEST_F(CommunityPlayer, ListsTheDirectoryWithSafeNamesAndPlaysThroughTheLookUp) {
  ServerControl("/__control/community?stations=40&hostile=1");
  Start("community");
  ASSERT_TRUE(PumpUntil([&] { return FileExists(Cache()) && Entries() > 0; }, 20000));
  CommunityDirectory cached;
  ASSERT_TRUE(ReadCommunityCache(Cache(), cached));
  ASSERT_EQ(Entries(), static_cast<int>(cached.groups.size()));
  EXPECT_EQ(State().channelList.GetGroupName(HandleAt(0)), "热门电台");
  EXPECT_EQ(Label(), "共 " + std::to_string(cached.RowCount()) + " 个电台");
  EXPECT_EQ(Requests("/Data.asp"), 0) << "Source=community asks nothing of the built-in server";

  // The most voted group holds the hostile names first, in vote order; each row shows its cached name.
  ClickEntry(0, false);
  const std::vector<std::string> expected = {
      "a|b|c;d", "<tvdata>x|1|y</tvdata>", "</type>;<type>", "line  break", "tab here", std::string(96, 'x'),
      "JP 电台 7", "US 电台 8", "CN 电台 9", "TW 电台 10", "HK 电台 11", "名称|电台;  <type>", "?n?c?dé Radio",
      "? snow"};
  for (size_t i = 0; i < expected.size(); ++i) {
    RowData row;
    ASSERT_TRUE(State().channelList.GetItemInfo(HandleAt(static_cast<int>(i) + 1), row));
    EXPECT_EQ(row.name, expected[i]);
    EXPECT_EQ(row.name, cached.groups[0].rows[i].name);
    EXPECT_EQ(row.number, cached.groups[0].rows[i].uuid);
  }
  PumpMessages(100);
  SavePng(CaptureClient(main_), BinDirectory() + "\\..\\community_list.png");

  // A double-click plays what the look-up gives; when it fails, the listing's address.
  const std::string first = cached.groups[0].rows[0].uuid, second = cached.groups[0].rows[1].uuid;
  ClickEntry(1, true);
  ASSERT_TRUE(PumpUntil([&] { return Url() == kStationBase + first + "-lookup.wav"; }, 10000)) << Url();
  EXPECT_EQ(State().currentStationName, expected[0]);
  ServerSetFault("/json/url/" + second, "error");
  ClickEntry(2, true);
  ASSERT_TRUE(PumpUntil([&] { return Url() == kStationBase + second + "-resolved.wav"; }, 10000))
      << Url();

  // A slow look-up is overtaken by the next double-click, and its late answer is dropped.
  const std::string third = cached.groups[0].rows[2].uuid, fourth = cached.groups[0].rows[3].uuid;
  ServerSetFault("/json/url/" + third, "slow", 1.5);
  ClickEntry(3, true);
  PumpMessages(200);
  ClickEntry(4, true);
  ASSERT_TRUE(PumpUntil([&] { return Url() == kStationBase + fourth + "-lookup.wav"; }, 10000)) << Url();
  PumpMessages(2500);
  EXPECT_EQ(Url(), kStationBase + fourth + "-lookup.wav");
  EXPECT_EQ(State().currentStationName, expected[3]);

  // The counter server is not asked while the community list shows.
  EXPECT_EQ(Requests("/fm/count.asp"), 0);
  EXPECT_EQ(Label(), "共 " + std::to_string(cached.RowCount()) + " 个电台");
}

TEST_F(CommunityPlayer, AutoShowsTheCacheAtOnceAndKeepsItWhenTheServersFail) {
  // A list cached two days ago, due for a refresh; the built-in server hangs, then the community one does. Of its
  // stations, the one on a private host is not listed.
  CommunityDirectory old;
  old.fetchedAt = UnixTimeNow() - 2 * 24 * 3600;
  old.groups = {{"热门电台",
                 {{"old-1", "http://radio.demo.example/a", "缓存电台"}, {"old-2", "http://192.168.0.1/b", "路由器"},
                  {"old-3", "https://radio.demo.example/c", "JP 电台 3"}}}};
  const std::string oldBytes = FormatCommunityCache(old);
  ASSERT_TRUE(WriteWholeFile(Cache(), oldBytes));
  ServerSetFault("/Data.asp", "hang");
  ServerSetFault("/json/stations/topvote/500", "hang");
  const ULONGLONG start = GetTickCount64();
  Start(nullptr);
  ASSERT_TRUE(PumpUntil([&] { return Entries() == 1; }, 5000));
  EXPECT_LT(GetTickCount64() - start, 3000u) << "the cache does not wait for the built-in server";
  EXPECT_EQ(Label(), "共 2 个电台");

  // The built-in server gives up after its idle time, then the community fetch hangs until its own.
  ASSERT_TRUE(PumpUntil([&] { return Requests("/json/") > 0; }, 20000)) << "the built-in server is asked first";
  EXPECT_EQ(Requests("/Data.asp"), 1);
  ULONGLONG slowest = 0;
  for (int i = 0; i < 60 && IsWindow(main_); ++i) {
    const ULONGLONG before = GetTickCount64();
    EXPECT_TRUE(Responsive());
    slowest = std::max(slowest, GetTickCount64() - before);
    PumpMessages(200);
  }
  EXPECT_LT(slowest, 250u);
  std::string kept;
  ASSERT_TRUE(ReadWholeFile(Cache(), kept));
  EXPECT_EQ(kept, oldBytes) << "an incomplete fetch caches nothing";
  EXPECT_EQ(Entries(), 1);
  EXPECT_FALSE(FileExists(dir_ + "\\GB.Dat"));
}

// A double-clicked station starts only if the user did nothing else with playback while it was looked up:
// 播放暂停 drops it (another double-click does too, above), and so does a fresh list replacing the one clicked.
TEST_F(CommunityPlayer, StoppingPlaybackDropsALateLookUpAnswer) {
  const std::string cache = FreshCacheOfDemoStations();
  ASSERT_TRUE(WriteWholeFile(Cache(), cache));
  Start("community");
  ASSERT_TRUE(PumpUntil([&] { return Entries() == 1; }, 5000));
  ClickEntry(0, false);
  ASSERT_TRUE(PumpUntil([&] { return Entries() == 5; }, 5000));
  const std::string first = "9617a958-0601-11e8-ae97-000000000000";
  ServerSetFault("/json/url/" + first, "slow", 1.5);
  ClickEntry(1, true);
  PumpMessages(300);
  ClickStop();
  PumpMessages(2500);
  EXPECT_EQ(Url(), "") << "stopped while the look-up ran";
  EXPECT_EQ(Requests("/json/url/"), 1);
}

TEST_F(CommunityPlayer, AListReplacedWhileALookUpRunsDropsItsAnswer) {
  // A cache due for a refresh: the fetch replaces the list while a slow look-up runs.
  CommunityDirectory stale;
  ASSERT_TRUE(ParseCommunityCache(FreshCacheOfDemoStations(), stale));
  stale.fetchedAt -= 2 * 24 * 3600;
  ASSERT_TRUE(WriteWholeFile(Cache(), FormatCommunityCache(stale)));
  const std::string first = "9617a958-0601-11e8-ae97-000000000000";
  ServerSetFault("/json/stations/topvote/500", "slow", 1.5);
  ServerSetFault("/json/url/" + first, "slow", 2.8);
  Start("community");
  ASSERT_TRUE(PumpUntil([&] { return Entries() == 1; }, 5000));
  ClickEntry(0, false);
  ASSERT_TRUE(PumpUntil([&] { return Entries() == 5; }, 5000));
  ClickEntry(1, true);
  ASSERT_TRUE(PumpUntil([&] { return Entries() != 5; }, 15000)) << "the fetched list replaced it";
  PumpMessages(3500);
  EXPECT_EQ(Requests("/json/url/"), 1);
  EXPECT_EQ(Url(), "") << "the row double-clicked is gone";
}

// With no server known, a look-up asks the server list's first two servers in turn: the first trickling its
// headers costs the look-up's deadline, and the second answers.
TEST_F(CommunityPlayer, ALookUpWhoseFirstServerTricklesIsAnsweredByTheNext) {
  ASSERT_TRUE(WriteWholeFile(Cache(), FreshCacheOfDemoStations()));
  SetEnvironmentVariableA("TRRADIO_COMMUNITY_URL", nullptr);
  SetEnvironmentVariableA("TRRADIO_COMMUNITY_SERVERS_URL", (TestServerUrl() + "/json/servers").c_str());
  const std::string port = TestServerUrl().substr(TestServerUrl().rfind(':') + 1);
  ServerSetBody("/json/servers", "[{\"name\":\"127.0.0.1:" + port + "\"},{\"name\":\"localhost:" + port + "\"}]");
  const std::string first = "9617a958-0601-11e8-ae97-000000000000";
  ServerSetFault("/json/url/" + first, "trickle", 20, 1);
  Start("community");
  ASSERT_TRUE(PumpUntil([&] { return Entries() == 1; }, 5000));
  ClickEntry(0, false);
  ASSERT_TRUE(PumpUntil([&] { return Entries() == 5; }, 5000));
  const ULONGLONG start = GetTickCount64();
  ClickEntry(1, true);
  ASSERT_TRUE(PumpUntil([&] { return Url() == kStationBase + first + "-lookup.wav"; }, 20000)) << Url();
  const ULONGLONG took = GetTickCount64() - start;
  std::printf("MEASURE lookup_with_first_server_trickling %llu ms\n", took);
  EXPECT_GE(took, kSmallReplyLimits.totalMs - 500);
  EXPECT_LT(took, kSmallReplyLimits.totalMs + 4000);
  EXPECT_EQ(Requests("/json/url/"), 2);
  EXPECT_EQ(Requests("/json/servers"), 1);
}

TEST_F(CommunityPlayer, AutoWithAnsweringBuiltInServerLeavesTheCommunityAlone) {
  Start(nullptr);
  ASSERT_TRUE(PumpUntil([&] { return FileExists(dir_ + "\\GB.Dat") && Entries() > 0; }, 20000));
  ASSERT_TRUE(PumpUntil([&] { return Label().rfind("当前在线:", 0) == 0; }, 10000)) << Label();
  EXPECT_EQ(Requests("/json/"), 0);
  EXPECT_FALSE(FileExists(Cache()));
}

TEST_F(CommunityPlayer, TopGroupsStayAboveTheListAndPlayThroughTheirOwnDirectory) {
  ServerControl("/__control/community?stations=40");
  Start("community");
  // Set while the list is still empty; the fetched list replaces everything, and the group comes back on top.
  TopGroups& top = State().sources->Top();
  ASSERT_TRUE(top.Set(TopSlot::SearchResults, {{{"内置电台", "101"}, StationSource::Builtin, ""}}));
  ASSERT_TRUE(PumpUntil([&] { return FileExists(Cache()) && Entries() > 2; }, 20000));
  CommunityDirectory cached;
  ASSERT_TRUE(ReadCommunityCache(Cache(), cached));
  ASSERT_EQ(Entries(), static_cast<int>(cached.groups.size()) + 2);
  EXPECT_EQ(State().channelList.GetGroupName(HandleAt(0)), "搜索结果");
  EXPECT_EQ(State().channelList.GetGroupName(HandleAt(2)), "热门电台");

  const CommunityRow& station = cached.groups[0].rows[5];
  ASSERT_TRUE(top.Set(TopSlot::Favourites, {{{station.name, station.uuid}, StationSource::Community, ""}}));
  EXPECT_EQ(State().channelList.GetGroupName(HandleAt(2)), "搜索结果");
  ClickEntry(1, true);
  ASSERT_TRUE(PumpUntil([&] { return Url() == kStationBase + station.uuid + "-lookup.wav"; }, 10000))
      << Url();
  EXPECT_EQ(State().currentStationName, station.name);
  ClickEntry(3, true);
  PumpMessages(100);
  EXPECT_EQ(Url(), StationLookupUrl("101")) << "a built-in station starts through the built-in look-up";
  EXPECT_EQ(State().currentStationName, "内置电台");
}

}  // namespace
}  // namespace trr::test
