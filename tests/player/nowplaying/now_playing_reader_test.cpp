// The now-playing reader against the demo server's ICY streams: titles in each encoding, through redirects and
// playlists, and hostile streams that must end each try within its deadline without a title.
#include "player/nowplaying/now_playing_reader.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/gbk_convert.h"
#include "tests/harness/demo_server_client.h"
#include "tests/harness/message_pump.h"

namespace trr {
namespace {

using test::PumpUntil;
using test::ServerControl;
using test::ServerRequestLog;
using test::ServerReset;
using test::ServerSetFault;
using test::ServerSetStreamTitle;
using test::TestServerUrl;

constexpr UINT kTitleMessage = WM_APP + 9;

// A message-only window that takes each try's title on its own thread, as the main window does.
class TitleWindow {
 public:
  TitleWindow() {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = &TitleWindow::Proc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "NowPlayingTestWindow";
    RegisterClassA(&wc);
    window = CreateWindowExA(0, wc.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  }
  ~TitleWindow() { DestroyWindow(window); }

  HWND window = nullptr;
  NowPlayingReader* reader = nullptr;
  std::vector<std::string> titles;  // one per try that reached the window
  int stale = 0;                    // messages of a station no longer followed

 private:
  static LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<TitleWindow*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (message != kTitleMessage || !self) return DefWindowProcA(hwnd, message, wParam, lParam);
    std::string title;
    if (self->reader && self->reader->TakeTitle(wParam, title))
      self->titles.push_back(title);
    else
      ++self->stale;
    return 0;
  }
};

int RequestsFor(const std::string& prefix) {
  int n = 0;
  for (const std::string& line : ServerRequestLog()) n += line.rfind(prefix, 0) == 0;
  return n;
}

class NowPlaying : public testing::Test {
 protected:
  void SetUp() override {
    ServerReset();
    receiver.reader = &reader;
  }
  void TearDown() override {
    reader.Stop();
    ServerReset();
  }
  TitleWindow receiver;
  NowPlayingReader reader{receiver.window, kTitleMessage};
};

TEST_F(NowPlaying, TitlesInEveryEncodingThroughLookUpsRedirectsAndPlaylists) {
  const struct {
    const char* path;
    const char* encoding;
    std::string sent;    // GBK text the server is told to send
    std::string shown;   // what the label shows
  } rows[] = {
      {"/Url.Asp?ID=2001", "utf-8", "周杰伦 - 晴天", "周杰伦 - 晴天"},
      {"/Url.Asp?ID=2002", "gbk", "邓丽君 - 月亮代表我的心", "邓丽君 - 月亮代表我的心"},
      {"/icy/latin1", "latin-1", "Caf" + GbkCharacterOf(0xE9) + " Bj" + GbkCharacterOf(0xF6) + "rk",
       "Caf" + GbkCharacterOf(0xE9) + " Bj" + GbkCharacterOf(0xF6) + "rk"},
      {"/icy/utf8?metaint=16384", "utf-8", "Queen - Bohemian Rhapsody", "Queen - Bohemian Rhapsody"},
      {"/icy/pls", "utf-8", "经 pls", "经 pls"},
      {"/icy/m3u", "utf-8", "经 m3u", "经 m3u"},
      {"/icy/asx", "utf-8", "经 asx", "经 asx"},
      {"/icy/utf8", "utf-8", "测试电台", ""},  // only the station's name: nothing to show
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.path);
    ServerSetStreamTitle(row.sent, row.encoding);
    receiver.titles.clear();
    const DWORD start = GetTickCount();
    ASSERT_NE(reader.Follow(TestServerUrl() + row.path, "测试电台", nullptr), 0u);
    ASSERT_TRUE(PumpUntil([&] { return !receiver.titles.empty(); }, 8000));
    EXPECT_LT(GetTickCount() - start, 5000u) << "the first title shows within 5 s";
    EXPECT_EQ(receiver.titles.front(), row.shown);
  }
  // The look-up address was asked once; the stream it led to is asked again on the next try.
  ServerReset();
  ServerSetStreamTitle("第一首", "utf-8");
  receiver.titles.clear();
  reader.Follow(TestServerUrl() + "/Url.Asp?ID=2001", "", nullptr);
  ASSERT_TRUE(PumpUntil([&] { return receiver.titles.size() == 1; }, 8000));
  ServerSetStreamTitle("第二首", "utf-8");
  ASSERT_TRUE(PumpUntil([&] { return receiver.titles.size() == 2; }, kTitlePauseMs + 8000));
  EXPECT_EQ(receiver.titles[1], "第二首") << "a change shows within the pause and one try";
  EXPECT_EQ(RequestsFor("/Url.Asp"), 1);
  EXPECT_EQ(RequestsFor("/icy/utf8"), 2);
  // Another station, then none: the answers of the station before never reach the window as its titles.
  reader.Follow(TestServerUrl() + "/icy/gbk", "", nullptr);
  reader.Stop();
  EXPECT_FALSE(reader.Following());
  test::PumpMessages(1500);
  EXPECT_EQ(receiver.titles.size(), 2u);
  // Streams without titles are not followed.
  EXPECT_EQ(reader.Follow("mms://127.0.0.1/x", "", nullptr), 0u);
  EXPECT_EQ(reader.Follow("rtsp://127.0.0.1/x", "", nullptr), 0u);
}

TEST_F(NowPlaying, HostileStreamsEndEachTryInTimeWithoutATitleAndWaitAMinute) {
  const struct {
    const char* path;
    const char* fault;  // a fault of the demo server on the path, or none
  } rows[] = {
      {"/icy/metaint0", nullptr},   {"/icy/metaintbig", nullptr}, {"/icy/shortblock", nullptr},
      {"/icy/notitle", nullptr},    {"/icy/html", nullptr},       {"/icy/login", nullptr},
      {"/icy/loop", nullptr},       {"/icy/endless", nullptr},    {"/icy/utf8", "trickle"},
      {"/icy/utf8", "hang"},        {"/icy/trickledbody", nullptr}, {"/icy/utf8", "fail"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(std::string(row.path) + " " + (row.fault ? row.fault : ""));
    ServerReset();
    ServerSetStreamTitle("不该显示", "utf-8");
    if (row.fault) ServerSetFault(row.path, row.fault);
    receiver.titles.clear();
    const DWORD start = GetTickCount();
    ASSERT_NE(reader.Follow(TestServerUrl() + row.path, "", nullptr), 0u);
    ASSERT_TRUE(PumpUntil([&] { return !receiver.titles.empty(); }, kProbeDeadlineMs + 3000));
    EXPECT_LT(GetTickCount() - start, kProbeDeadlineMs + 2000u);
    EXPECT_EQ(receiver.titles.front(), "");
    const int tries = RequestsFor(row.path);
    test::PumpMessages(2000);
    EXPECT_EQ(RequestsFor(row.path), tries) << "no new try within a minute";
    reader.Stop();
    ServerReset();  // ends a held connection, so that the next row's try may start
  }
}

}  // namespace
}  // namespace trr
