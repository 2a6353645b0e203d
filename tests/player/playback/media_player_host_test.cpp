// The real media player control hosted in a test window that carries the two status labels and the player's
// host window, playing short WAV files written to a temporary directory.
#include "player/playback/media_player_host.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <vector>

#include "common/file_util.h"
#include "player/playback/play_state_display.h"
#include "tests/harness/message_pump.h"
#include "tests/harness/temp_dir.h"
#include "tests/harness/window_probe.h"
#include "tests/player/playback/tone_wav.h"

namespace trr {
namespace {

using test::PumpUntil;
using test::ScopedTempDir;
using test::ToneWav;
using test::WindowText;

// What the window showed right after one play-state change.
struct Snapshot {
  long state;
  std::string status;
  std::string word;
  bool playerVisible;
};

// A stand-in main window: 状态标签, 时间标签 and the host of 电视播放器 at their layout places.
class PlayerWindow {
 public:
  PlayerWindow() {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "PlaybackTestWindow";
    RegisterClassA(&wc);
    frame_ = CreateWindowExA(0, "PlaybackTestWindow", "TiroRadio", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 100,
                             100, 286, 180, nullptr, nullptr, wc.hInstance, nullptr);
    status_ = CreateWindowExA(0, "STATIC", "TiroRadio", WS_CHILD | WS_VISIBLE, 8, 32, 128, 15, frame_, nullptr,
                              wc.hInstance, nullptr);
    word_ = CreateWindowExA(0, "STATIC", "准备就绪", WS_CHILD | WS_VISIBLE, 179, 57, 55, 18, frame_, nullptr,
                            wc.hInstance, nullptr);
    // Hidden until the first playing state, as in the layout.
    host_ = CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_CLIPCHILDREN, 8, 54, 122, 45, frame_, nullptr,
                            wc.hInstance, nullptr);
  }
  ~PlayerWindow() { DestroyWindow(frame_); }

  // Applies the play-state table to the labels and records what they show.
  void Attach(MediaPlayerHost& player, const std::string& stationName) {
    player.SetPlayStateHandler([this, stationName](long state) {
      PlayStateSetters setters;
      setters.setStatusText = [this](const std::string& t) { SetWindowTextA(status_, t.c_str()); };
      setters.setStateWord = [this](const std::string& t) { SetWindowTextA(word_, t.c_str()); };
      setters.setPlayerVisible = [this](bool shown) { ShowWindow(host_, shown ? SW_SHOW : SW_HIDE); };
      ApplyPlayState(state, stationName, setters);
      snapshots.push_back({state, WindowText(status_), WindowText(word_), IsWindowVisible(host_) != FALSE});
    });
  }

  bool Reached(long state) const {
    for (const Snapshot& s : snapshots)
      if (s.state == state) return true;
    return false;
  }
  std::vector<long> States() const {
    std::vector<long> states;
    for (const Snapshot& s : snapshots) states.push_back(s.state);
    return states;
  }
  const Snapshot* Last(long state) const {
    for (auto it = snapshots.rbegin(); it != snapshots.rend(); ++it)
      if (it->state == state) return &*it;
    return nullptr;
  }

  HWND host() const { return host_; }
  std::vector<Snapshot> snapshots;

 private:
  HWND frame_ = nullptr;
  HWND status_ = nullptr;
  HWND word_ = nullptr;
  HWND host_ = nullptr;
};

std::string StatesText(const std::vector<long>& states) {
  std::string text;
  for (long s : states) text += std::to_string(s) + " ";
  return text;
}

TEST(MediaPlayerHost, PlaysALocalFileThroughTheStatesAndTheStatusFollows) {
  ScopedTempDir dir;
  const std::string file = dir.File("tone.wav");
  ASSERT_TRUE(WriteWholeFile(file, ToneWav(1.0)));

  PlayerWindow window;
  MediaPlayerHost player;
  ASSERT_TRUE(player.Create(window.host()));
  window.Attach(player, "测试电台");

  // The control's window sits inside the host and fills it.
  HWND control = FindWindowExA(window.host(), nullptr, "ATL:WMP", nullptr);
  ASSERT_NE(control, nullptr);
  RECT rect = test::RectInParent(control);
  EXPECT_EQ(rect.left, 0);
  EXPECT_EQ(rect.top, 0);
  EXPECT_EQ(rect.right, 122);
  EXPECT_EQ(rect.bottom, 45);

  // The load handler keeps these three; the start volume is 50.
  EXPECT_TRUE(player.Controls());
  EXPECT_TRUE(player.Settings());
  EXPECT_TRUE(player.Network());
  EXPECT_EQ(player.Volume(), 50);

  ASSERT_TRUE(player.SetUrl(file));
  bool ended = PumpUntil([&] { return window.Reached(8) && window.Last(1) != nullptr; }, 20000);
  ASSERT_TRUE(ended) << "states: " << StatesText(window.States());

  // Transitioning, ready, playing, media ended, stopped, in this order.
  std::vector<long> wanted = {9, 10, 3, 8, 1};
  size_t next = 0;
  for (long s : window.States())
    if (next < wanted.size() && s == wanted[next]) ++next;
  EXPECT_EQ(next, wanted.size()) << "states: " << StatesText(window.States());

  const Snapshot* connecting = window.Last(9);
  ASSERT_NE(connecting, nullptr);
  const Snapshot* ready = window.Last(10);
  ASSERT_NE(ready, nullptr);
  EXPECT_EQ(ready->status, "准备就绪");
  EXPECT_EQ(ready->word, "");
  EXPECT_FALSE(ready->playerVisible);
  const Snapshot* playing = window.Last(3);
  ASSERT_NE(playing, nullptr);
  EXPECT_EQ(playing->status, "测试电台");
  EXPECT_EQ(playing->word, "正在播放");
  EXPECT_TRUE(playing->playerVisible);
  const Snapshot* endedShot = window.Last(8);
  ASSERT_NE(endedShot, nullptr);
  EXPECT_EQ(endedShot->status, "播放结束");
  EXPECT_EQ(endedShot->word, "正在播放");  // media ended leaves the state word
  EXPECT_FALSE(endedShot->playerVisible);
  const Snapshot* stopped = window.Last(1);
  EXPECT_EQ(stopped->status, "TiroRadio");
  EXPECT_EQ(stopped->word, "停止");
  EXPECT_FALSE(stopped->playerVisible);
  // The first transitioning state comes before ready, so it shows the connecting texts.
  EXPECT_EQ(window.snapshots.front().state, 9);
  EXPECT_EQ(window.snapshots.front().status, "正在连接到媒体...");
  EXPECT_EQ(window.snapshots.front().word, "连接中");
  EXPECT_EQ(player.LastPlayState(), 1);
}

TEST(MediaPlayerHost, StopEndsPlaybackBeforeTheMediumEnds) {
  ScopedTempDir dir;
  const std::string file = dir.File("long.wav");
  ASSERT_TRUE(WriteWholeFile(file, ToneWav(8.0)));

  PlayerWindow window;
  MediaPlayerHost player;
  ASSERT_TRUE(player.Create(window.host()));
  window.Attach(player, "长节目");
  ASSERT_TRUE(player.SetUrl(file));
  ASSERT_TRUE(PumpUntil([&] { return window.Reached(3); }, 15000)) << StatesText(window.States());
  EXPECT_TRUE(IsWindowVisible(window.host()));

  size_t before = window.snapshots.size();
  ASSERT_TRUE(player.Stop());
  ASSERT_TRUE(PumpUntil([&] { return window.snapshots.size() > before && window.Last(1); }, 5000))
      << StatesText(window.States());
  EXPECT_FALSE(window.Reached(8)) << "the medium ended by itself: " << StatesText(window.States());
  const Snapshot* stopped = window.Last(1);
  EXPECT_EQ(stopped->status, "TiroRadio");
  EXPECT_EQ(stopped->word, "停止");
  EXPECT_FALSE(IsWindowVisible(window.host()));
  // Nothing plays on after the stop.
  test::PumpMessages(1000);
  EXPECT_EQ(player.LastPlayState(), 1) << StatesText(window.States());
}

TEST(MediaPlayerHost, VolumeAndUrlRoundTrip) {
  ScopedTempDir dir;
  PlayerWindow window;
  MediaPlayerHost player;
  ASSERT_TRUE(player.Create(window.host()));
  window.Attach(player, "中文 电台");

  for (long volume : {30L, 0L, 100L, 50L}) {
    EXPECT_TRUE(player.SetVolume(volume));
    EXPECT_EQ(player.Volume(), volume);
  }

  // The start settings turned off the browser that a stream's URL script command would open (on by default).
  ComPtr<IWMPSettings> settings = player.Settings();
  ASSERT_TRUE(settings);
  VARIANT_BOOL invokeUrls = VARIANT_TRUE;
  ASSERT_EQ(settings->get_invokeURLs(&invokeUrls), S_OK);
  EXPECT_EQ(invokeUrls, VARIANT_FALSE);

  // A look-up address with GBK bytes and spaces comes back byte for byte.
  const std::string address = "http://127.0.0.1:9/Url.Asp?ID=中文 台 %20&x=1";
  ASSERT_TRUE(player.SetUrl(address));
  EXPECT_EQ(player.Url(), address);

  // A file whose name has GBK bytes and a space plays.
  const std::string file = dir.File("测试 电台.wav");
  ASSERT_TRUE(WriteWholeFile(file, ToneWav(0.5)));
  window.snapshots.clear();
  ASSERT_TRUE(player.SetUrl(file));
  EXPECT_EQ(player.Url(), file);
  EXPECT_TRUE(PumpUntil([&] { return window.Reached(3); }, 15000)) << StatesText(window.States());
  player.Stop();
}

TEST(MediaPlayerHost, AnEmptyHostFailsEveryCallQuietly) {
  MediaPlayerHost player;
  EXPECT_FALSE(player.Create(nullptr));
  EXPECT_FALSE(player.IsCreated());
  EXPECT_FALSE(player.SetUrl("C:\\x.wav"));
  EXPECT_EQ(player.Url(), "");
  EXPECT_FALSE(player.Stop());
  EXPECT_FALSE(player.SetVolume(10));
  EXPECT_EQ(player.Volume(), -1);
  EXPECT_FALSE(player.Controls());
  EXPECT_FALSE(player.Settings());
  EXPECT_FALSE(player.Network());
  player.Destroy();

  // A host can be destroyed and made again in another window.
  PlayerWindow window;
  ASSERT_TRUE(player.Create(window.host()));
  ASSERT_NE(FindWindowExA(window.host(), nullptr, "ATL:WMP", nullptr), nullptr);
  player.Destroy();
  EXPECT_EQ(FindWindowExA(window.host(), nullptr, "ATL:WMP", nullptr), nullptr);
  EXPECT_FALSE(player.SetUrl("C:\\x.wav"));
}

}  // namespace
}  // namespace trr
