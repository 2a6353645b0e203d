// The player's main window in this process with the community directory as its source (trRadio.ini beside this
// program): the list, the names made safe, the station count in the counter label, a double-click played
// through the look-up (or the listing's address when it fails, the last double-click winning), a cached list
// shown at once while the servers fail or hang, and the player's own groups kept above the list, their rows
// started through the directory each station came from.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "common/file_util.h"
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

class CommunityPlayer : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = ModuleDirectory();
    for (const char* name : {"GB.Dat", "Community.Dat", "trRadio.ini"}) DeleteFileIfPresent(dir_ + "\\" + name);
    char closed[512] = "";
    GetEnvironmentVariableA("TRRADIO_COMMUNITY_URL", closed, sizeof(closed));
    closedUrl_ = closed;
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

  std::string dir_, closedUrl_;
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
  ASSERT_TRUE(PumpUntil([&] { return Url() == TestServerUrl() + "/media/" + first + "-lookup.wav"; }, 10000)) << Url();
  EXPECT_EQ(State().currentStationName, expected[0]);
  ServerSetFault("/json/url/" + second, "error");
  ClickEntry(2, true);
  ASSERT_TRUE(PumpUntil([&] { return Url() == TestServerUrl() + "/media/" + second + "-resolved.wav"; }, 10000))
      << Url();

  // A slow look-up is overtaken by the next double-click, and its late answer is dropped.
  const std::string third = cached.groups[0].rows[2].uuid, fourth = cached.groups[0].rows[3].uuid;
  ServerSetFault("/json/url/" + third, "slow", 1.5);
  ClickEntry(3, true);
  PumpMessages(200);
  ClickEntry(4, true);
  ASSERT_TRUE(PumpUntil([&] { return Url() == TestServerUrl() + "/media/" + fourth + "-lookup.wav"; }, 10000)) << Url();
  PumpMessages(2500);
  EXPECT_EQ(Url(), TestServerUrl() + "/media/" + fourth + "-lookup.wav");
  EXPECT_EQ(State().currentStationName, expected[3]);

  // The counter server is not asked while the community list shows.
  EXPECT_EQ(Requests("/fm/count.asp"), 0);
  EXPECT_EQ(Label(), "共 " + std::to_string(cached.RowCount()) + " 个电台");
}

TEST_F(CommunityPlayer, AutoShowsTheCacheAtOnceAndKeepsItWhenTheServersFail) {
  // A list cached two days ago, due for a refresh; the built-in server hangs, then the community one does.
  CommunityDirectory old;
  old.fetchedAt = UnixTimeNow() - 2 * 24 * 3600;
  old.groups = {{"热门电台", {{"old-1", "http://127.0.0.1:1/a", "缓存电台"}, {"old-2", "", "JP 电台 2"}}}};
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
  ASSERT_TRUE(PumpUntil([&] { return Url() == TestServerUrl() + "/media/" + station.uuid + "-lookup.wav"; }, 10000))
      << Url();
  EXPECT_EQ(State().currentStationName, station.name);
  ClickEntry(3, true);
  PumpMessages(100);
  EXPECT_EQ(Url(), StationLookupUrl("101")) << "a built-in station starts through the built-in look-up";
  EXPECT_EQ(State().currentStationName, "内置电台");
}

}  // namespace
}  // namespace trr::test
