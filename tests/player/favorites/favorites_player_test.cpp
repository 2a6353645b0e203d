// The favourites in the player's main window in this process: right clicks sent as the mouse sends them, the
// popup menus read back and their items chosen with the keyboard, 我的收藏 read back from the list, double-clicks
// reaching the media player, the 添加电台 window, a restart with the file in place, and damaged, cut and newer
// files.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "common/file_util.h"
#include "player/community/community_cache.h"
#include "player/directory/channel_document.h"
#include "player/favorites/add_station_window.h"
#include "player/favorites/favorites_file.h"
#include "player/shell/about_window.h"
#include "player/shell/main_window.h"
#include "player/shell/player_main.h"
#include "player/shell/program_end.h"
#include "player/shell/program_state.h"
#include "tests/harness/demo_server_client.h"
#include "tests/harness/message_pump.h"
#include "tests/harness/window_probe.h"
#include "ui/layout_window.h"

namespace trr::test {
namespace {

void IgnoreEnd(int) {}

using Items = std::vector<std::string>;

// This process's popup menu while one is open; nullptr otherwise.
HWND OpenMenu() {
  HWND menu = FindWindowA("#32768", nullptr);
  DWORD process = 0;
  if (menu && IsWindowVisible(menu)) GetWindowThreadProcessId(menu, &process);
  return process == GetCurrentProcessId() ? menu : nullptr;
}

// A menu item as the test reads it: its text, "(grey)" after a greyed one, "-" for a separator.
std::string ItemText(HMENU menu, int position) {
  char text[128] = "";
  MENUITEMINFOA info = {};
  info.cbSize = sizeof(info);
  info.fMask = MIIM_STRING | MIIM_STATE | MIIM_FTYPE;
  info.dwTypeData = text;
  info.cch = sizeof(text);
  GetMenuItemInfoA(menu, static_cast<UINT>(position), TRUE, &info);
  if (info.fType & MFT_SEPARATOR) return "-";
  return std::string(text) + ((info.fState & MFS_GRAYED) ? "(grey)" : "");
}

class FavoritesPlayer : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = ModuleDirectory();
    char closed[512] = "";
    GetEnvironmentVariableA("TRRADIO_COMMUNITY_URL", closed, sizeof(closed));
    closedUrl_ = closed;
    Clean();
    ServerReset();
    SetProcessEnd(IgnoreEnd);
  }
  void TearDown() override {
    Stop();
    SetEnvironmentVariableA("TRRADIO_COMMUNITY_URL", closedUrl_.c_str());
    SetProcessEnd(nullptr);
    Clean();
    ServerReset();
  }
  void Clean() {
    for (const char* name : {"GB.Dat", "Community.Dat", "trRadio.ini", "Favorites.Dat", "Favorites.Dat.bad"})
      DeleteFileIfPresent(dir_ + "\\" + name);
  }
  void Start(bool waitForDirectory = true) {
    ResetState();
    RegisterExitCleanup(RunExitCleanup);
    main_ = CreateMainWindow(GetModuleHandleA(nullptr));
    ASSERT_NE(main_, nullptr);
    if (waitForDirectory) {
      ASSERT_TRUE(PumpUntil([&] { return State().sources->Listed() != ListedSource::None; }, 20000));
    }
  }
  void Stop() {
    if (HWND add = AddStationWindow()) DestroyWindow(add);
    if (IsWindow(main_)) DestroyWindow(main_);
    PumpMessages(20);
    ResetState();
  }
  HWND ListBox() { return State().channelList.listWindow(); }
  int Entries() { return static_cast<int>(SendMessageA(ListBox(), LB_GETCOUNT, 0, 0)); }
  ItemHandle HandleAt(int i) { return static_cast<ItemHandle>(SendMessageA(ListBox(), LB_GETITEMDATA, i, 0)); }
  // A group's title, or a row's name and number.
  std::string Entry(int i) {
    RowData row;
    if (State().channelList.GetItemInfo(HandleAt(i), row) && row.groupHandle > 0) return row.name + "|" + row.number;
    return "[" + State().channelList.GetGroupName(HandleAt(i)) + "]";
  }
  POINT Middle(int i) {
    RECT r = {};
    SendMessageA(ListBox(), LB_GETITEMRECT, i, reinterpret_cast<LPARAM>(&r));
    return {r.left + 40, (r.top + r.bottom) / 2};
  }
  void Click(int i) {
    LeftClick(ListBox(), Middle(i).x, Middle(i).y);
    PumpMessages(30);
  }
  void DoubleClick(int i) { LeftDoubleClick(ListBox(), Middle(i).x, Middle(i).y); }
  // Right-clicks entry `i`. While the window thread runs the menu, a thread of its own reads its items and
  // presses `keys` in it, as the keyboard would.
  Items Menu(int i, const std::vector<UINT>& keys) {
    Items items;
    std::thread picker([&] {
      HWND menu = nullptr;
      for (int n = 0; n < 500 && !(menu = OpenMenu()); ++n) Sleep(10);
      if (!menu) return;
      HMENU shown = reinterpret_cast<HMENU>(SendMessageA(menu, MN_GETHMENU, 0, 0));
      for (int k = 0; k < GetMenuItemCount(shown); ++k) items.push_back(ItemText(shown, k));
      for (UINT key : keys) PostMessageA(menu, WM_KEYDOWN, key, 0);
    });
    RightPress(ListBox(), Middle(i).x, Middle(i).y);
    picker.join();
    PumpMessages(30);
    return items;
  }
  std::string Url() { return State().mediaPlayer->Url(); }
  // Types `address` into the open 添加电台 window and clicks 确定; the window's refusal, empty when it closed.
  std::string AddByAddress(const char* address) {
    HWND window = AddStationWindow();
    if (!window) return "no window";
    SetWindowTextA(ui::FindControl(window, kAddressBox), address);
    SendMessageA(FindChildByText(window, "确定"), BM_CLICK, 0, 0);
    PumpMessages(50);
    return IsWindow(window) ? ui::ControlText(window, kRefusalLabel) : std::string();
  }
  std::string File() {
    std::string bytes;
    ReadWholeFile(dir_ + "\\Favorites.Dat", bytes);
    return bytes;
  }

  std::string dir_, closedUrl_;
  HWND main_ = nullptr;
};

const std::vector<UINT> kFirst = {VK_DOWN, VK_RETURN}, kSecond = {VK_DOWN, VK_DOWN, VK_RETURN};

TEST_F(FavoritesPlayer, AStationIsKeptAboveTheDirectoryPlayedAndTakenOutAgain) {
  Start();
  EXPECT_NE(Entry(0), "[我的收藏]") << "no favourites, no group";
  Click(1);  // the second group opens; the first stays closed
  const int shown = Entries();
  const std::string station = Entry(2), name = station.substr(0, station.find('|'));
  const std::string id = station.substr(station.find('|') + 1);

  // Esc closes the menu and changes nothing; the right click opens nothing else (no About window).
  EXPECT_EQ(Menu(2, {VK_ESCAPE}), (Items{"收藏", "添加电台…"}));
  EXPECT_FALSE(FileExists(dir_ + "\\Favorites.Dat"));
  EXPECT_EQ(AboutWindow(), nullptr);
  EXPECT_EQ(Menu(2, kFirst), (Items{"收藏", "添加电台…"}));
  ASSERT_EQ(Entry(0), "[我的收藏]");
  EXPECT_EQ(Entry(1), station);
  EXPECT_EQ(Entry(4), station) << "the second group is still open below the first";
  EXPECT_EQ(Entries(), shown + 2);
  EXPECT_EQ(File(), FormatFavoritesFile({{StationKind::Builtin, id, "", name}}));
  DoubleClick(1);
  EXPECT_EQ(Url(), StationLookupUrl(id));

  // The menu of the same station in its own group offers 取消收藏, which takes it out at once.
  EXPECT_EQ(Menu(4, kFirst), (Items{"取消收藏", "添加电台…"}));
  EXPECT_NE(Entry(0), "[我的收藏]");
  EXPECT_EQ(Entry(2), station) << "the second group is still open";
  EXPECT_EQ(File(), FormatFavoritesFile({}));
}

TEST_F(FavoritesPlayer, AStationAddedByItsAddressPlaysItAndShowsAgainAtTheNextStart) {
  Start();
  EXPECT_EQ(Menu(0, kFirst), (Items{"添加电台…"}));
  EXPECT_EQ(AddByAddress(" http://192.168.1.20:8000/live "), "");
  ASSERT_EQ(Entry(0), "[我的收藏]");
  EXPECT_EQ(Entry(1), "192.168.1.20|http://192.168.1.20:8000/live");
  DoubleClick(1);
  EXPECT_EQ(Url(), "http://192.168.1.20:8000/live");
  // The same address again is kept once: the window says so and stays.
  Menu(0, kFirst);
  EXPECT_EQ(AddByAddress("HTTP://192.168.1.20:8000/live"), "这个电台已在收藏中。");
  DestroyWindow(AddStationWindow());
  EXPECT_EQ(Entry(2).front(), '[') << "kept once";

  // A station of the directory joins below it; the second item of a row's menu opens the window too.
  Click(2);
  const ItemHandle group = State().sources->Top().Group(TopSlot::Favourites);
  Menu(3, kFirst);
  EXPECT_EQ(State().sources->Top().Group(TopSlot::Favourites), group) << "refilled in place, not made anew";
  EXPECT_EQ(Menu(4, kSecond), (Items{"取消收藏", "添加电台…"}));
  ASSERT_NE(AddStationWindow(), nullptr);
  DestroyWindow(AddStationWindow());
  const std::string second = Entry(2);

  // Started again offline, without GB.Dat: the favourites show at once, in their order.
  Stop();
  DeleteFileIfPresent(dir_ + "\\GB.Dat");
  char directory[512] = "";
  GetEnvironmentVariableA("TRRADIO_DIRECTORY_URL", directory, sizeof(directory));
  SetEnvironmentVariableA("TRRADIO_DIRECTORY_URL", "http://127.0.0.1:1");
  Start(false);
  SetEnvironmentVariableA("TRRADIO_DIRECTORY_URL", directory);
  EXPECT_EQ(Entries(), 3);
  EXPECT_EQ(Entry(0) + Entry(1) + Entry(2), "[我的收藏]192.168.1.20|http://192.168.1.20:8000/live" + second);

  // A typed station whose stream announces song titles: the title of what it plays shows above the list.
  ServerSetStreamTitle("邓丽君 - 月亮代表我的心", "gbk");
  Menu(0, kFirst);
  EXPECT_EQ(AddByAddress((TestServerUrl() + "/icy/gbk").c_str()), "");
  DoubleClick(3);
  EXPECT_EQ(Url(), TestServerUrl() + "/icy/gbk");
  EXPECT_TRUE(PumpUntil([&] { return ui::ControlText(main_, "列表标题") == "邓丽君 - 月亮代表我的心"; }, 8000))
      << ui::ControlText(main_, "列表标题");
}

TEST_F(FavoritesPlayer, DamagedCutNewerAndFullFilesMeetAClearOutcome) {
  const std::string whole = FormatFavoritesFile({{StationKind::Builtin, "77", "", "收藏一"},
                                                 {StationKind::Address, "", "mms://10.0.0.9/a", "收藏二"}});
  std::vector<FavoriteStation> most(kMaxFavorites, FavoriteStation{StationKind::Builtin, "77", "", "收藏一"});
  for (size_t i = 1; i < most.size(); ++i) most[i] = {StationKind::Builtin, std::to_string(9000 + i), "", "收藏"};
  struct Case {
    std::string bytes;
    bool setAside;  // renamed to .bad
    int rows;       // in 我的收藏
    bool readOnly;
  };
  const Case cases[] = {
      {whole, false, 2, false},
      {whole.substr(0, whole.size() - 3), true, 0, false},                          // cut
      {whole.substr(0, 30) + "\x01" + whole.substr(31), true, 0, false},              // altered
      {"TRRADIO FAVORITES 3\r\nbuiltin\t77\t\t收藏一\tnew\r\nradio\tx\r\n", false, 1, true},  // newer
      {FormatFavoritesFile(most), false, static_cast<int>(kMaxFavorites), false},                     // full
  };
  for (const Case& c : cases) {
    DeleteFileIfPresent(dir_ + "\\Favorites.Dat.bad");
    ASSERT_TRUE(WriteWholeFile(dir_ + "\\Favorites.Dat", c.bytes));
    Start();
    std::string bad;
    EXPECT_EQ(ReadWholeFile(dir_ + "\\Favorites.Dat.bad", bad), c.setAside) << c.bytes;
    if (c.setAside) {
      EXPECT_EQ(bad, c.bytes);
      EXPECT_FALSE(FileExists(dir_ + "\\Favorites.Dat"));
    }
    EXPECT_EQ(Entry(0) == "[我的收藏]", c.rows > 0) << c.bytes;
    if (c.rows > 0) {
      EXPECT_EQ(Entry(1), "收藏一|77");
      EXPECT_EQ(Entry(c.rows + 1).front(), '[') << "the directory's first group follows";
    }
    if (c.readOnly) {
      // Greyed in place, the reason last; choosing a greyed item does nothing.
      const Items greyed = {"取消收藏(grey)", "添加电台…(grey)", "-", "收藏来自新版的 TiroRadio，只能查看(grey)"};
      EXPECT_EQ(Menu(1, kFirst), greyed);
      EXPECT_EQ(Menu(0, kFirst), (Items{"添加电台…(grey)", "-", "收藏来自新版的 TiroRadio，只能查看(grey)"}));
      EXPECT_EQ(AddStationWindow(), nullptr);
      EXPECT_EQ(File(), c.bytes) << "never written";
    }
    if (c.rows == static_cast<int>(kMaxFavorites)) {
      // A station of the directory cannot join; the add window says why. (Its first group, scrolled into view
      // and opened, then scrolled up to the top.)
      SendMessageA(ListBox(), LB_SETTOPINDEX, c.rows + 1, 0);
      Click(c.rows + 1);
      SendMessageA(ListBox(), LB_SETTOPINDEX, c.rows + 1, 0);
      EXPECT_EQ(Menu(c.rows + 2, kSecond), (Items{"收藏(grey)", "添加电台…", "-", "收藏已满（1000 个电台）(grey)"}));
      EXPECT_EQ(AddByAddress("http://10.0.0.1/"), "收藏已满，最多 1000 个电台（文件最大 256 KB）。");
      EXPECT_EQ(File(), c.bytes);
    }
    Stop();
  }
}

TEST_F(FavoritesPlayer, AReplacedDirectoryLeavesTheFavoritesAndTheSearchOnTop) {
  // Auto without GB.Dat: the cached community list shows at once, the built-in one replaces it when it comes.
  const std::string uuid = "9617a958-0601-11e8-ae97-000000000001";
  CommunityDirectory cached;
  cached.fetchedAt = UnixTimeNow();
  cached.groups = {{"热门电台", {{uuid, "http://radio.demo.example/c-1", "社区电台"}}}};
  ASSERT_TRUE(WriteWholeFile(dir_ + "\\Community.Dat", FormatCommunityCache(cached)));
  const std::string favorites = FormatFavoritesFile({{StationKind::Builtin, "1001", "", "收藏一"}});
  ASSERT_TRUE(WriteWholeFile(dir_ + "\\Favorites.Dat", favorites));
  ServerSetFault("/Data.asp", "slow", 5);
  Start();
  EXPECT_EQ(State().sources->Listed(), ListedSource::Community);
  EXPECT_EQ(Entry(0) + Entry(1) + Entry(2), "[我的收藏]收藏一|1001[热门电台]");

  // A station found by the search is kept from its row there; the same row then offers 取消收藏, and the
  // results stay below the favourites.
  SetWindowTextA(ui::FindControl(main_, "搜索框"), "社区");
  ASSERT_TRUE(PumpUntil([&] { return Entry(2) == "[搜索结果]" && Entries() == 5; }, 5000)) << Entry(2);
  const std::string found = "社区电台|" + uuid;
  EXPECT_EQ(Entry(3), found);
  SendMessageA(ListBox(), LB_SETTOPINDEX, 0, 0);  // the search scrolled its group to the top
  EXPECT_EQ(Menu(3, kFirst), (Items{"收藏", "添加电台…"}));
  EXPECT_EQ(Entry(0) + Entry(1) + Entry(2) + Entry(3) + Entry(4),
            "[我的收藏]收藏一|1001" + found + "[搜索结果]" + found);
  EXPECT_EQ(Menu(4, {VK_ESCAPE}), (Items{"取消收藏", "添加电台…"}));
  EXPECT_EQ(File(), FormatFavoritesFile({{StationKind::Builtin, "1001", "", "收藏一"},
                                         {StationKind::Community, uuid, "http://radio.demo.example/c-1", "社区电台"}}));

  // The built-in list replaces the community one: both groups stand above it in their order, the search run
  // again on the stations now listed (none of them matches).
  ASSERT_TRUE(PumpUntil([&] { return State().sources->Listed() == ListedSource::Builtin; }, 20000));
  EXPECT_TRUE(PumpUntil([&] { return Entry(4).front() == '['; }, 5000)) << Entry(4);
  EXPECT_EQ(Entry(0) + Entry(1) + Entry(2) + Entry(3), "[我的收藏]收藏一|1001" + found + "[搜索结果]");
  EXPECT_NE(Entry(4), "[热门电台]");

  // 取消收藏 on the favourite takes it out at once, and the search's group moves up with it.
  SendMessageA(ListBox(), LB_SETTOPINDEX, 0, 0);
  EXPECT_EQ(Menu(2, kFirst), (Items{"取消收藏", "添加电台…"}));
  EXPECT_EQ(Entry(0) + Entry(1) + Entry(2), "[我的收藏]收藏一|1001[搜索结果]");
}

TEST_F(FavoritesPlayer, ACommunityFavoritePlaysThroughTheLookUpWhicheverDirectoryIsListed) {
  SetEnvironmentVariableA("TRRADIO_COMMUNITY_URL", TestServerUrl().c_str());
  ServerControl("/__control/community?stations=40");
  ASSERT_TRUE(WriteWholeFile(dir_ + "\\trRadio.ini", "[Directory]\r\nSource=community"));
  Start();
  Click(0);
  const std::string station = Entry(1), name = station.substr(0, station.find('|'));
  const std::string uuid = station.substr(station.find('|') + 1);
  const std::string stationBase = "http://radio.demo.example/media/" + uuid;
  const std::string listed = stationBase + "-resolved.wav";  // the listing's address
  Menu(1, kFirst);
  ASSERT_EQ(Entry(1), station);
  EXPECT_EQ(File(), FormatFavoritesFile({{StationKind::Community, uuid, listed, name}}));

  // With the built-in directory listed, the look-up still starts it, and its kept address when that fails.
  Stop();
  ASSERT_TRUE(WriteWholeFile(dir_ + "\\trRadio.ini", "[Directory]\r\nSource=builtin"));
  Start();
  ASSERT_EQ(Entry(1), station);
  DoubleClick(1);
  EXPECT_TRUE(PumpUntil([&] { return Url() == stationBase + "-lookup.wav"; }, 10000)) << Url();
  ServerSetFault("/json/url/" + uuid, "error");
  DoubleClick(1);
  EXPECT_TRUE(PumpUntil([&] { return Url() == listed; }, 10000)) << Url();

  // A kept address into the user's own network, written into the file by hand, is never played in its stead.
  Stop();
  ASSERT_TRUE(WriteWholeFile(dir_ + "\\Favorites.Dat",
                             FormatFavoritesFile({{StationKind::Community, uuid, "http://192.168.1.9/live", name}})));
  Start();
  ServerReset();
  ServerSetFault("/json/url/" + uuid, "error");
  DoubleClick(1);
  const auto askedLookUp = [] {
    for (const std::string& request : ServerRequestLog())
      if (request.rfind("/json/url/", 0) == 0) return true;
    return false;
  };
  EXPECT_TRUE(PumpUntil(askedLookUp, 10000));
  PumpMessages(500);
  EXPECT_EQ(Url(), "");
}

}  // namespace
}  // namespace trr::test
