#include "updater/updater_window.h"

#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include "tests/harness/message_pump.h"
#include "tests/harness/window_probe.h"
#include "ui/layout_window.h"

namespace trr {
namespace {

using test::CaptureClient;
using test::PumpMessages;
using test::PumpUntil;
using test::RectInParent;
using test::WindowText;

int g_created = 0;
int g_upgradeClicks = 0;
int g_ticks = 0;
std::string g_createdLabelText;

bool RectHasColour(const test::Capture& capture, RECT r, COLORREF colour) {
  for (int y = r.top; y < r.bottom && y < capture.height; ++y)
    for (int x = r.left; x < r.right && x < capture.width; ++x)
      if (capture.At(x, y) == colour) return true;
  return false;
}

class UpdaterWindowTest : public testing::Test {
 protected:
  void SetUp() override {
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&controls);
    g_created = g_upgradeClicks = g_ticks = 0;
    UpdaterWindowHandlers handlers;
    handlers.created = [](HWND window) {
      ++g_created;
      // The controls exist when the start-up steps run.
      g_createdLabelText = WindowText(FindUpdaterControl(window, k标签进度));
    };
    handlers.upgradeClicked = [](HWND) { ++g_upgradeClicks; };
    handlers.tick = [](HWND) { ++g_ticks; };
    window_ = CreateUpdaterWindow(handlers);
    ASSERT_NE(window_, nullptr);
    PumpMessages(200);
  }
  void TearDown() override {
    if (IsWindow(window_)) DestroyWindow(window_);
  }
  HWND window_ = nullptr;
};

TEST_F(UpdaterWindowTest, LayoutStylesAndInitialTexts) {
  EXPECT_EQ(g_created, 1);
  EXPECT_EQ(g_createdLabelText, "已经下载:未知");
  RECT outer;
  GetWindowRect(window_, &outer);
  EXPECT_EQ(outer.right - outer.left, 264);
  EXPECT_EQ(outer.bottom - outer.top, 113);
  EXPECT_NEAR((outer.left + outer.right) / 2, GetSystemMetrics(SM_CXSCREEN) / 2, 1);
  EXPECT_NEAR((outer.top + outer.bottom) / 2, GetSystemMetrics(SM_CYSCREEN) / 2, 1);
  LONG style = GetWindowLongA(window_, GWL_STYLE);
  EXPECT_EQ(style & WS_CAPTION, WS_CAPTION);
  EXPECT_TRUE(style & WS_SYSMENU);
  EXPECT_FALSE(style & (WS_THICKFRAME | WS_MAXIMIZEBOX | WS_MINIMIZEBOX));  // the close box only
  EXPECT_EQ(WindowText(window_), "TiroRadio在线升级");

  struct Expected {
    UpdaterControl id;
    RECT rect;
    const char* text;
    bool visible;
  } controls[] = {
      {k标签进度, {16, 8, 128, 28}, "已经下载:未知", true},  {k标签大小, {136, 8, 248, 28}, "文件大小:未知", true},
      {k标签时间, {16, 32, 120, 52}, "升级进度:0%", true},   {k标签速度, {136, 32, 248, 52}, "传输速度: 0KB/s", true},
      {k进度条1, {16, 56, 240, 78}, "", true},              {k按钮1, {208, 224, 272, 248}, "升级", true},
      {k按钮2, {208, 224, 272, 248}, "取消", false},         {k分组框1, {72, 376, 336, 488}, "升级内容", true},
      {k标签1, {8, 16, 256, 104}, "标签", true},
  };
  for (const Expected& e : controls) {
    HWND control = FindUpdaterControl(window_, e.id);
    ASSERT_NE(control, nullptr) << e.text;
    RECT r = RectInParent(control);
    EXPECT_TRUE(EqualRect(&r, &e.rect)) << e.text << " at " << r.left << "," << r.top << "-" << r.right << ","
                                        << r.bottom;
    EXPECT_EQ(WindowText(control), e.text);
    EXPECT_EQ((GetWindowLongA(control, GWL_STYLE) & WS_VISIBLE) != 0, e.visible) << e.text;
  }
  HWND bar = FindUpdaterControl(window_, k进度条1);
  EXPECT_EQ(SendMessageA(bar, PBM_GETRANGE, TRUE, 0), 0);
  EXPECT_EQ(SendMessageA(bar, PBM_GETRANGE, FALSE, 0), 100);
  EXPECT_EQ(SendMessageA(bar, PBM_GETPOS, 0, 0), 0);
  EXPECT_EQ(GetParent(FindUpdaterControl(window_, k标签1)), FindUpdaterControl(window_, k分组框1));

  // The buttons and the notes lie wholly below the client area: nothing of them can be seen or clicked.
  RECT client;
  GetClientRect(window_, &client);
  EXPECT_LT(client.bottom, 224);
  EXPECT_GE(client.bottom, 78);  // the progress bar is whole

  // The four labels draw in (0, 136, 255); the notes label does not.
  auto capture = CaptureClient(window_);
  for (UpdaterControl id : {k标签进度, k标签大小, k标签时间, k标签速度}) {
    RECT r = RectInParent(FindUpdaterControl(window_, id));
    EXPECT_TRUE(RectHasColour(capture, r, RGB(0, 136, 255))) << id;
  }
}

TEST_F(UpdaterWindowTest, ShowsTickTextsAndTicksOnceStarted) {
  ShowProgress(window_, FormatProgress(3 * 1048576, 3 * 1048576 / 2, 50 * 1024));
  EXPECT_EQ(WindowText(FindUpdaterControl(window_, k标签大小)), "文件大小: 3 MB");
  EXPECT_EQ(WindowText(FindUpdaterControl(window_, k标签进度)), "已经下载: 1.5 MB");
  EXPECT_EQ(WindowText(FindUpdaterControl(window_, k标签速度)), "传输速度: 50 KB/s");
  EXPECT_EQ(WindowText(FindUpdaterControl(window_, k标签时间)), "升级进度: 50 %");
  EXPECT_EQ(SendMessageA(FindUpdaterControl(window_, k进度条1), PBM_GETPOS, 0, 0), 50);

  // A click on the upgrade button reaches the handler (the button is out of sight, so send its click).
  SendMessageA(FindUpdaterControl(window_, k按钮1), BM_CLICK, 0, 0);
  EXPECT_EQ(g_upgradeClicks, 1);

  // The timer is stopped until the upgrade starts it.
  PumpMessages(1300);
  EXPECT_EQ(g_ticks, 0);
  ui::SetTimerInterval(window_, UpdaterControlName(k时钟), 1000);
  EXPECT_TRUE(PumpUntil([] { return g_ticks > 0; }, 3000));
}

TEST_F(UpdaterWindowTest, EscOnTheWindowCloses) {
  test::PressKey(window_, VK_ESCAPE);
  EXPECT_TRUE(PumpUntil([&] { return !IsWindow(window_); }, 2000));

}

}  // namespace
}  // namespace trr
