// The player's main window in this process against the demo server: the station list, a double-clicked
// station reaching the media player, the status labels following the play states, stop, volume, the online
// count and the song title of the station that plays.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/file_util.h"
#include "common/gbk_convert.h"
#include "common/http_fetch.h"
#include "player/directory/channel_cache.h"
#include "player/directory/channel_document.h"
#include "player/shell/main_window.h"
#include "player/shell/player_main.h"
#include "player/shell/program_end.h"
#include "player/shell/program_state.h"
#include "tests/harness/demo_server_client.h"
#include "tests/harness/message_pump.h"
#include "tests/harness/temp_dir.h"
#include "tests/harness/window_probe.h"
#include "tests/player/playback/tone_wav.h"
#include "ui/control_tooltip.h"
#include "ui/layout_window.h"

namespace trr::test {
namespace {

int g_endCalls = 0;
void RecordEnd(int) { ++g_endCalls; }

class PlayerPlayback : public ::testing::Test {
 protected:
  void SetUp() override {
    cachePath_ = ModuleDirectory() + "\\GB.Dat";
    DeleteFileIfPresent(cachePath_);  // the load handler fetches the directory afresh
    ServerReset();
    g_endCalls = 0;
    SetProcessEnd(RecordEnd);
    ResetState();
    RegisterExitCleanup(RunExitCleanup);
    main_ = CreateMainWindow(GetModuleHandleA(nullptr));
    ASSERT_NE(main_, nullptr);
    PumpMessages(100);
  }
  void TearDown() override {
    if (IsWindow(main_)) DestroyWindow(main_);
    PumpMessages(20);
    ResetState();
    SetProcessEnd(nullptr);
    DeleteFileIfPresent(cachePath_);
    ServerReset();
  }
  std::string Text(const char* name) { return ui::ControlText(main_, name); }
  bool Visible(const char* name) { return ui::IsControlVisible(main_, name); }
  void ClickEntry(HWND listBox, int position, bool twice) {
    RECT r = {};
    SendMessageA(listBox, LB_GETITEMRECT, position, reinterpret_cast<LPARAM>(&r));
    if (twice)
      LeftDoubleClick(listBox, r.left + 60, (r.top + r.bottom) / 2);
    else
      LeftClick(listBox, r.left + 20, (r.top + r.bottom) / 2);
    PumpMessages(50);
  }
  // The colour in the middle of 电视播放器's place, read from the screen.
  COLORREF PlayerAreaColour() {
    Capture shot = CaptureClient(main_);
    return shot.At(8 + 4, 54 + 4);
  }

  std::string cachePath_;
  HWND main_ = nullptr;
};

TEST_F(PlayerPlayback, TheListShowsTheDirectoryAndADoubleClickedStationGoesToThePlayer) {
  const std::vector<ChannelGroup> groups =
      ParseChannelDocument(HttpGet(TestServerUrl() + "/Data.asp?GGwl=LIstGB", kChannelDirectoryLimits)).groups;
  ASSERT_GE(groups.size(), 1u);
  ASSERT_GE(groups[0].stations.size(), 1u);

  HWND listBox = State().channelList.listWindow();
  ASSERT_NE(listBox, nullptr);
  EXPECT_EQ(GetParent(listBox), ui::FindControl(main_, "图片框"));
  // The directory arrives from its worker after the window has come up.
  ASSERT_TRUE(PumpUntil([&] { return SendMessageA(listBox, LB_GETCOUNT, 0, 0) == LRESULT(groups.size()); }, 20000));
  for (size_t i = 0; i < groups.size(); ++i) {
    auto handle = static_cast<ItemHandle>(SendMessageA(listBox, LB_GETITEMDATA, i, 0));
    EXPECT_EQ(State().channelList.GetGroupName(handle), groups[i].name);
  }

  // A click on the first group's header shows its stations.
  ClickEntry(listBox, 0, false);
  ASSERT_EQ(SendMessageA(listBox, LB_GETCOUNT, 0, 0), static_cast<LRESULT>(groups.size() + groups[0].stations.size()));
  SavePng(CaptureClient(main_), BinDirectory() + "\\..\\playback_list.png");

  // A double-click on its first station hands the look-up address to the control.
  const Station& station = groups[0].stations[0];
  ClickEntry(listBox, 1, true);
  ASSERT_NE(State().mediaPlayer, nullptr);
  EXPECT_EQ(State().mediaPlayer->Url(), TestServerUrl() + "/Url.Asp?ID=" + station.id);
  EXPECT_EQ(State().currentStationName, station.name);
  // The control reports that it connects (http addresses go no further on this machine).
  EXPECT_EQ(Text("状态标签"), "正在连接到媒体...");
  EXPECT_EQ(Text("时间标签"), "连接中");

  // Another station replaces it.
  if (groups[0].stations.size() >= 2) {
    ClickEntry(listBox, 2, true);
    EXPECT_EQ(State().mediaPlayer->Url(), TestServerUrl() + "/Url.Asp?ID=" + groups[0].stations[1].id);
    EXPECT_EQ(State().currentStationName, groups[0].stations[1].name);
  }
  EXPECT_EQ(g_endCalls, 0) << "the demo server announces our own version: no hand-over";
}

TEST_F(PlayerPlayback, PlayStatesDriveTheLabelsAndStopHidesThePlayer) {
  ScopedTempDir dir;
  const std::string file = dir.File("tone.wav");
  ASSERT_TRUE(WriteWholeFile(file, ToneWav(10.0)));
  ASSERT_TRUE(State().mediaPlayer && State().mediaPlayer->IsCreated());
  ASSERT_TRUE(State().wmpControls && State().wmpSettings && State().wmpNetwork);
  EXPECT_FALSE(Visible("电视播放器"));
  const COLORREF skin = PlayerAreaColour();

  // A station the control can open here, started as the double-click handler does.
  State().currentStationName = "测试电台";
  ASSERT_TRUE(State().mediaPlayer->SetUrl(file));
  ASSERT_TRUE(PumpUntil([&] { return Visible("电视播放器"); }, 15000));
  EXPECT_EQ(Text("状态标签"), "测试电台");
  EXPECT_EQ(Text("时间标签"), "正在播放");
  PumpMessages(100);
  EXPECT_EQ(PlayerAreaColour(), RGB(255, 0, 0)) << "the control's window shows: "
                                                 << ColourText(PlayerAreaColour());

  // 播放暂停 stops; the stopped state restores the product name and hides the control.
  HWND stop = ui::FindControl(main_, "播放暂停");
  ASSERT_NE(stop, nullptr);
  LeftClick(stop, 23, 21);
  ASSERT_TRUE(PumpUntil([&] { return !Visible("电视播放器"); }, 5000));
  EXPECT_EQ(Text("状态标签"), "TiroRadio");
  EXPECT_EQ(Text("时间标签"), "停止");
  PumpMessages(100);
  EXPECT_EQ(PlayerAreaColour(), skin) << ColourText(PlayerAreaColour());
}

TEST_F(PlayerPlayback, TheVolumeSliderSetsThePlayersVolume) {
  long volume = -1;
  ASSERT_TRUE(State().wmpSettings);
  State().wmpSettings->get_volume(&volume);
  EXPECT_EQ(volume, 50) << "the slider's start position is not copied";
  EXPECT_EQ(ui::ControlPosition(main_, "音量大小"), 30);

  HWND slider = ui::FindControl(main_, "音量大小");
  ASSERT_NE(slider, nullptr);
  for (int x : {80, 5, 44}) {
    LeftClick(slider, x, 12);
    PumpMessages(20);
    const int position = ui::ControlPosition(main_, "音量大小");
    State().wmpSettings->get_volume(&volume);
    EXPECT_EQ(volume, position) << "click at " << x;
  }
  EXPECT_EQ(State().mediaPlayer->Volume(), ui::ControlPosition(main_, "音量大小"));
}

TEST_F(PlayerPlayback, TheClockRefreshesTheOnlineCount) {
  EXPECT_EQ(Text("透明标签2"), "人数统计服务器故障.");
  ASSERT_TRUE(PumpUntil([&] { return Text("透明标签2") != "人数统计服务器故障."; }, 10000));
  EXPECT_EQ(Text("透明标签2"), "当前在线:129人");
  std::vector<std::string> counter;
  for (const std::string& request : ServerRequestLog())
    if (request.rfind("/fm/count.asp", 0) == 0) counter.push_back(request);
  ASSERT_GE(counter.size(), 3u);
  EXPECT_EQ(counter[0], "/fm/count.asp?id=3");
  EXPECT_EQ(counter[1], "/fm/count.asp?id=1");
  EXPECT_EQ(counter[2], "/fm/count.asp?id=3");
}

// The text on the clipboard, as GBK; empty when it holds no text.
std::string ClipboardText() {
  std::string text;
  if (!OpenClipboard(nullptr)) return text;
  if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
    if (const auto* wide = static_cast<const wchar_t*>(GlobalLock(data))) {
      text = WideToGbk(wide);
      GlobalUnlock(data);
    }
  }
  CloseClipboard();
  return text;
}

TEST_F(PlayerPlayback, TheSongTitleOfTheStartedStationShowsInTheHeader) {
  // 音乐之声 (id 2001) is an ICY stream of the demo server, reached through the built-in look-up's redirect.
  const std::vector<ChannelGroup> groups =
      ParseChannelDocument(HttpGet(TestServerUrl() + "/Data.asp?GGwl=LIstGB", kChannelDirectoryLimits)).groups;
  int group = -1, row = -1;
  for (size_t g = 0; g < groups.size() && group < 0; ++g)
    for (size_t k = 0; k < groups[g].stations.size(); ++k)
      if (groups[g].stations[k].id == "2001") group = static_cast<int>(g), row = static_cast<int>(k);
  ASSERT_GE(group, 0);
  HWND listBox = State().channelList.listWindow();
  ASSERT_TRUE(PumpUntil([&] { return SendMessageA(listBox, LB_GETCOUNT, 0, 0) == LRESULT(groups.size()); }, 20000));
  EXPECT_EQ(Text("列表标题"), "频道列表");

  ServerSetStreamTitle("周杰伦 - 晴天", "utf-8");
  ClickEntry(listBox, group, false);
  ClickEntry(listBox, group + 1 + row, true);
  ASSERT_EQ(State().mediaPlayer->Url(), TestServerUrl() + "/Url.Asp?ID=2001");
  const DWORD started = GetTickCount();
  ASSERT_TRUE(PumpUntil([&] { return Text("列表标题") != "频道列表"; }, 8000));
  EXPECT_LT(GetTickCount() - started, 5000u);
  EXPECT_EQ(Text("列表标题"), "周杰伦 - 晴天");
  EXPECT_EQ(ui::ControlTooltip(main_, "列表标题"), "周杰伦 - 晴天");
  EXPECT_EQ(Text("状态标签"), "正在连接到媒体...") << "the station's name and state stay where they were";

  // A change shows after the reader's pause; a title wider than the label is whole in the text and the tooltip.
  const std::string longTitle = "Queen - Bohemian Rhapsody (Live at Wembley Stadium, 13 July 1985) 皇后乐队";
  ServerSetStreamTitle(longTitle, "utf-8");
  ASSERT_TRUE(PumpUntil([&] { return Text("列表标题") == longTitle; }, 21000)) << Text("列表标题");
  EXPECT_EQ(ui::ControlTooltip(main_, "列表标题"), longTitle);
  SavePng(CaptureClient(main_), BinDirectory() + "\\..\\now_playing_title.png");

  // A click on the title copies it.
  OpenClipboard(nullptr);
  EmptyClipboard();
  CloseClipboard();
  LeftClick(ui::FindControl(main_, "列表标题"), 20, 9);
  PumpMessages(50);
  EXPECT_EQ(ClipboardText(), longTitle);

  // 播放暂停 ends the reader: the label shows its own text again, without a tooltip, and a click copies nothing.
  LeftClick(ui::FindControl(main_, "播放暂停"), 23, 21);
  ASSERT_TRUE(PumpUntil([&] { return Text("列表标题") == "频道列表"; }, 3000));
  EXPECT_EQ(ui::ControlTooltip(main_, "列表标题"), "");
  LeftClick(ui::FindControl(main_, "列表标题"), 20, 9);
  PumpMessages(50);
  EXPECT_EQ(ClipboardText(), longTitle);
}

}  // namespace
}  // namespace trr::test
