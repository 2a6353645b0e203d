// The station search in the player's main window, driven as a user would: characters sent to the real search
// box, keys to the box and the list, the list read back through its ListBox messages; the built-in directory
// and the community directory of the demo server, whose name search answers after the pause or on Enter.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "common/file_util.h"
#include "player/community/community_search.h"
#include "player/directory/channel_document.h"
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

class SearchWindow : public ::testing::Test {
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
  // Starts the player with `source` ("community", or nullptr for the default) and waits for its list and the
  // search's index of it.
  void Start(const char* source, int groups) {
    if (source) {
      ASSERT_TRUE(WriteWholeFile(dir_ + "\\trRadio.ini", std::string("[Directory]\r\nSource=") + source));
    }
    ResetState();
    RegisterExitCleanup(RunExitCleanup);
    main_ = CreateMainWindow(GetModuleHandleA(nullptr));
    ASSERT_NE(main_, nullptr);
    ASSERT_TRUE(PumpUntil([&] { return Count() == groups && State().sources->Search().Index(); }, 30000)) << Count();
  }
  HWND Box() { return ui::FindControl(main_, "搜索框"); }
  HWND List() { return State().channelList.listWindow(); }
  int Count() { return List() ? static_cast<int>(SendMessageA(List(), LB_GETCOUNT, 0, 0)) : -1; }
  ItemHandle HandleAt(int i) { return static_cast<ItemHandle>(SendMessageA(List(), LB_GETITEMDATA, i, 0)); }
  int TopIndex() { return static_cast<int>(SendMessageA(List(), LB_GETTOPINDEX, 0, 0)); }
  ItemHandle Selected() {
    RowData row;
    return State().channelList.GetSelectedItemInfo(row) ? row.handle : 0;
  }
  std::string BoxText() { return ui::ControlText(main_, "搜索框"); }
  // Characters as the system hands typed (or input-method) text to the box: Unicode WM_CHAR.
  void Type(const std::wstring& text) {
    for (wchar_t c : text) SendMessageW(Box(), WM_CHAR, c, 1);
    PumpMessages(20);
  }
  void Key(HWND window, UINT key) {
    PressKey(window, key);
    PumpMessages(20);
  }
  // The list as shown: "[title]" for a group, the name for a row.
  std::vector<std::string> Shown() {
    std::vector<std::string> shown;
    for (int i = 0; i < Count(); ++i) {
      RowData row;
      if (State().channelList.GetItemInfo(HandleAt(i), row) && row.groupHandle > 0)
        shown.push_back(row.name);
      else
        shown.push_back("[" + State().channelList.GetGroupName(HandleAt(i)) + "]");
    }
    return shown;
  }
  std::vector<std::string> Results() {
    std::vector<std::string> shown = Shown(), results;
    if (shown.empty() || shown[0] != "[搜索结果]") return {"(no results group)"};
    for (size_t i = 1; i < shown.size() && shown[i][0] != '['; ++i) results.push_back(shown[i]);
    return results;
  }
  int Requests(const std::string& prefix) {
    int n = 0;
    for (const std::string& r : ServerRequestLog()) n += r.rfind(prefix, 0) == 0;
    return n;
  }
  std::string Url() { return State().mediaPlayer ? State().mediaPlayer->Url() : std::string(); }
  void SetControlKey(bool down) {
    BYTE keys[256];
    GetKeyboardState(keys);
    keys[VK_CONTROL] = down ? 0x80 : 0;
    SetKeyboardState(keys);
  }

  std::string dir_, closedUrl_;
  HWND main_ = nullptr;
};

using Lines = std::vector<std::string>;

TEST_F(SearchWindow, TypingFindsStationsAndClearingGivesTheListBack) {
  Start(nullptr, 5);
  // The header strip: the title label, and the one edit box of the window, empty.
  EXPECT_EQ(ui::ControlText(main_, "列表标题"), "频道列表");
  EXPECT_EQ(FindWindowExA(ui::FindControl(main_, "图片框2"), nullptr, "Edit", nullptr), Box());
  EXPECT_EQ(BoxText(), "");

  // A view to come back to: every group open, scrolled down, a row selected.
  State().channelList.ExpandAllGroups();
  SendMessageA(List(), LB_SETTOPINDEX, 6, 0);
  State().channelList.SelectItem(HandleAt(9));
  PumpMessages(50);
  const Lines before = Shown();
  const int top = TopIndex();
  const ItemHandle selected = Selected();
  ASSERT_EQ(before.size(), 18u);
  ASSERT_GT(top, 0);

  // Pinyin initials inside names: four stations, in list order (equal rank and length); the directory's
  // groups stay below as they were.
  Type(L"zs");
  EXPECT_EQ(Results(), (Lines{"中国之声", "经济之声", "音乐之声", "英语之声"}));
  Lines expected = {"[搜索结果]", "中国之声", "经济之声", "音乐之声", "英语之声"};
  expected.insert(expected.end(), before.begin(), before.end());
  EXPECT_EQ(Shown(), expected);
  EXPECT_EQ(TopIndex(), 0) << "the results are in view";

  // Chinese text, typed on.
  Key(Box(), VK_ESCAPE);
  EXPECT_EQ(BoxText(), "");
  Type(L"交通");
  EXPECT_EQ(Results(), (Lines{"北京交通", "上海交通", "广州交通"}));
  Type(L"北");
  EXPECT_EQ(BoxText(), "交通北");
  EXPECT_EQ(Results(), Lines{});
  SetWindowTextA(Box(), "");
  Type(L"北");
  EXPECT_EQ(Results(), (Lines{"北京交通"}));

  // Down takes the focus to the first result; Enter there plays it; Esc goes back to the box.
  Key(Box(), VK_DOWN);
  EXPECT_EQ(GetFocus(), List());
  EXPECT_EQ(Selected(), HandleAt(1));
  Key(List(), VK_RETURN);
  EXPECT_EQ(Url(), StationLookupUrl("4001"));
  EXPECT_EQ(State().currentStationName, "北京交通");
  Key(List(), VK_ESCAPE);
  EXPECT_EQ(GetFocus(), Box());
  // Ctrl+F from anywhere in the window.
  SetFocus(main_);
  SetControlKey(true);
  Key(main_, 'F');
  SetControlKey(false);
  EXPECT_EQ(GetFocus(), Box());

  // Esc empties the box and gives the list back: the same entries, scroll position and selection.
  Key(Box(), VK_ESCAPE);
  EXPECT_EQ(BoxText(), "");
  EXPECT_EQ(Shown(), before);
  EXPECT_EQ(TopIndex(), top);
  EXPECT_EQ(Selected(), selected);

  // Pasted text arrives whole, control characters and all, and matches traditional forms by simplified ones.
  ASSERT_TRUE(OpenClipboard(main_));
  EmptyClipboard();
  const std::string pasted = "音樂\t";
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, pasted.size() + 1);
  memcpy(GlobalLock(memory), pasted.c_str(), pasted.size() + 1);
  GlobalUnlock(memory);
  SetClipboardData(CF_TEXT, memory);
  CloseClipboard();
  SendMessageW(Box(), WM_PASTE, 0, 0);
  PumpMessages(20);
  EXPECT_EQ(BoxText(), pasted);
  EXPECT_EQ(Results(), (Lines{"音乐之声"}));

  // Any text the box is given is searched, held to 64 bytes without half a character.
  SetWindowTextA(Box(), "hit");
  EXPECT_EQ(Results(), (Lines{"Hit FM"}));
  SetWindowTextW(Box(), std::wstring(40, L'台').c_str());
  PumpMessages(20);
  std::string bounded;
  for (int i = 0; i < 32; ++i) bounded += "台";
  EXPECT_EQ(BoxText(), bounded);
  EXPECT_EQ(Results(), Lines{});
  SetWindowTextA(Box(), "");
  EXPECT_EQ(Shown(), before);
  EXPECT_EQ(Requests("/json/"), 0) << "the built-in directory is listed: the community is not asked";
}

TEST_F(SearchWindow, TheCommunityDirectoryIsAskedAfterAPauseOrOnEnterNewestFirst) {
  ServerControl("/__control/community?stations=4000");
  Start("community", 13);
  EXPECT_EQ(Requests("/json/stations/search?name="), 0) << "an untouched box asks nothing";

  // Station 3999 is in none of the groups: the directory finds it 400 ms after the last character.
  Type(L"电台 3999");
  EXPECT_EQ(Results(), Lines{});
  ASSERT_TRUE(PumpUntil([&] { return Results() == Lines{"电台 3999 号"}; }, 10000))
      << Requests("/json/stations/search?name=") << " requests";
  EXPECT_EQ(Requests("/json/stations/search?name="), 1) << "one request for the whole text";

  // Listed stations come first, the directory's others below them; Enter asks at once.
  Key(Box(), VK_ESCAPE);
  Type(L"电台 399");
  const Lines local = Results();
  ASSERT_FALSE(local.empty());
  Key(Box(), VK_DOWN);
  const ItemHandle first = Selected();
  ASSERT_EQ(first, HandleAt(1));
  const ULONGLONG enter = GetTickCount64();
  Key(Box(), VK_RETURN);
  ASSERT_TRUE(PumpUntil([&] { return Results().size() > local.size(); }, 10000));
  std::printf("SEARCH enter_to_results %llu ms\n", GetTickCount64() - enter);
  EXPECT_EQ(Selected(), first) << "the selected result stays selected when the directory's answer comes";
  Lines all = Results();
  EXPECT_EQ(Lines(all.begin(), all.begin() + local.size()), local);
  EXPECT_NE(std::find(all.begin(), all.end(), "电台 3999 号"), all.end());
  EXPECT_EQ(all.size(), 11u) << "电台 399 and 3990 to 3999, each once";

  // A station the directory found plays through the station look-up.
  const int row = static_cast<int>(std::find(all.begin(), all.end(), "电台 3999 号") - all.begin()) + 1;
  SendMessageA(List(), LB_SETTOPINDEX, row, 0);
  RECT r = {};
  SendMessageA(List(), LB_GETITEMRECT, row, reinterpret_cast<LPARAM>(&r));
  LeftDoubleClick(List(), r.left + 60, (r.top + r.bottom) / 2);
  const std::string uuid = "9617a958-0601-11e8-ae97-000000003999";
  const std::string lookedUp = "http://radio.demo.example/media/" + uuid + "-lookup.wav";
  ASSERT_TRUE(PumpUntil([&] { return Url() == lookedUp; }, 10000)) << Url();

  // The answer to an older text that comes late is dropped; a failed request leaves the local results.
  ServerSetFault(CommunitySearchPath("电台 3998"), "slow", 1.5);
  SetWindowTextA(Box(), "电台 3998");
  Key(Box(), VK_RETURN);
  PumpMessages(200);
  SetWindowTextA(Box(), "电台 3997");
  Key(Box(), VK_RETURN);
  ASSERT_TRUE(PumpUntil([&] { return Results() == Lines{"电台 3997 号"}; }, 10000));
  PumpMessages(2000);
  EXPECT_EQ(Results(), Lines{"电台 3997 号"});
  ServerSetFault(CommunitySearchPath("电台 1"), "error");
  SetWindowTextA(Box(), "电台 1");
  const Lines listed = Results();
  Key(Box(), VK_RETURN);
  PumpMessages(1000);
  EXPECT_EQ(Results(), listed);
  EXPECT_FALSE(listed.empty());
}

}  // namespace
}  // namespace trr::test
