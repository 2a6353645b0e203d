// Windows built from a layout table: placement, texts, visibility, picture buttons, transparent labels,
// standard controls, right presses, dragging, Esc, regions and the notification icon.
#include <windows.h>

#include <gtest/gtest.h>

#include <new>
#include <thread>

#include "assets/resource_ids.h"
#include "tests/harness/message_pump.h"
#include "tests/harness/window_probe.h"
#include "tests/ui/test_layouts.h"
#include "ui/control_record.h"
#include "ui/layout_window.h"
#include "ui/notify_icon.h"
#include "ui/window_region.h"

namespace trr::test {
namespace {

using ui::ControlKind;
using ui::EventKind;

const ui::FontSpec kBigFont = {"宋体", -16, FW_BOLD, GB2312_CHARSET};

const ui::ControlSpec kControls[] = {
    {.name = "面板", .kind = ControlKind::PictureBox, .left = 0, .top = 0, .width = 286, .height = 180,
     .pictures = {IDG_TOP_PANEL}},
    {.name = "按钮", .kind = ControlKind::PictureButton, .parent = "面板", .left = 232, .top = 0, .width = 43,
     .height = 18, .text = "关闭", .pictures = {IDG_CLOSE_NORMAL, IDG_CLOSE_HOT, IDG_CLOSE_NORMAL},
     .flags = ui::kHandCursor | ui::kMagentaKey},
    {.name = "标签", .kind = ControlKind::TransparentLabel, .parent = "面板", .left = 8, .top = 32, .width = 128,
     .height = 15, .text = "TiroRadio", .textColour = RGB(255, 255, 255)},
    {.name = "大字", .kind = ControlKind::TransparentLabel, .parent = "面板", .left = 144, .top = 57, .width = 90,
     .height = 20, .text = "状态:", .textColour = RGB(255, 255, 0), .font = &kBigFont},
    {.name = "宿主", .kind = ControlKind::ActiveXHost, .parent = "面板", .left = 8, .top = 54, .width = 122,
     .height = 45, .flags = ui::kHidden},
    {.name = "下面板", .kind = ControlKind::PictureBox, .left = 0, .top = 176, .width = 286, .height = 124,
     .pictures = {IDG_LOWER_PANEL}},
    {.name = "内框", .kind = ControlKind::PictureBox, .parent = "下面板", .left = 9, .top = 50, .width = 100,
     .height = 60},
    {.name = "文字", .kind = ControlKind::Label, .parent = "下面板", .left = 120, .top = 50, .width = 100,
     .height = 20, .text = "已经下载:未知", .textColour = RGB(0, 136, 255)},
    {.name = "按钮1", .kind = ControlKind::PushButton, .parent = "下面板", .left = 120, .top = 80, .width = 64,
     .height = 24, .text = "升级"},
    {.name = "分组框", .kind = ControlKind::GroupBox, .left = 10, .top = 305, .width = 200, .height = 60,
     .text = "升级内容"},
    {.name = "分组标签", .kind = ControlKind::Label, .parent = "分组框", .left = 8, .top = 16, .width = 180,
     .height = 20, .text = "标签"},
    {.name = "进度", .kind = ControlKind::ProgressBar, .left = 220, .top = 305, .width = 60, .height = 20,
     .position = 40},
    {.name = "隐藏按钮", .kind = ControlKind::PushButton, .left = 220, .top = 330, .width = 60, .height = 20,
     .text = "取消", .flags = ui::kHidden},
};

const ui::EventBinding kBindings[] = {
    {"", EventKind::Created, RecordEvent},       {"按钮", EventKind::Click, RecordEvent},
    {"按钮1", EventKind::Click, RecordEvent},     {"面板", EventKind::RightPress, RecordEvent},
    {"下面板", EventKind::RightPress, RecordEvent}, {"", EventKind::Destroyed, RecordEvent},
};

ui::WindowLayout TestLayout(bool escapeCloses) {
  return {"TrrUiTestWindow", "UiTest", ui::FrameStyle::Borderless, 286, 370, RGB(204, 227, 248), 0, IDI_PROGRAM,
          escapeCloses, false, kControls, std::size(kControls), kBindings, std::size(kBindings)};
}

class LayoutWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    RecordedEvents().clear();
    layout_ = TestLayout(true);
    window_ = ui::CreateLayoutWindow(layout_, GetModuleHandleA(nullptr));
    ASSERT_NE(window_, nullptr);
    PumpMessages(100);
  }
  void TearDown() override {
    if (IsWindow(window_)) DestroyWindow(window_);
    PumpMessages(20);
  }
  HWND Control(const char* name) { return ui::FindControl(window_, name); }

  ui::WindowLayout layout_;
  HWND window_ = nullptr;
};

TEST_F(LayoutWindowTest, ControlsStandAtTheirRectanglesWithTheirTextsAndVisibility) {
  EXPECT_EQ(ClientSize(window_).cx, 286);
  EXPECT_EQ(ClientSize(window_).cy, 370);
  EXPECT_EQ(GetWindowLongA(window_, GWL_STYLE) & WS_CAPTION, 0) << "borderless";
  for (const ui::ControlSpec& layoutRow : kControls) {
    SCOPED_TRACE(layoutRow.name);
    HWND control = Control(layoutRow.name);
    ASSERT_NE(control, nullptr);
    RECT rect = RectInParent(control);
    EXPECT_EQ(rect.left, layoutRow.left);
    EXPECT_EQ(rect.top, layoutRow.top);
    EXPECT_EQ(rect.right - rect.left, layoutRow.width);
    EXPECT_EQ(rect.bottom - rect.top, layoutRow.height);
    EXPECT_EQ(ui::ControlText(window_, layoutRow.name), layoutRow.text);
    EXPECT_EQ(ui::IsControlVisible(window_, layoutRow.name), !(layoutRow.flags & ui::kHidden));
    HWND expectedParent = layoutRow.parent ? Control(layoutRow.parent) : window_;
    EXPECT_EQ(GetParent(control), expectedParent);
  }
  EXPECT_EQ(Control("没有"), nullptr);
  EXPECT_FALSE(ui::SetControlText(window_, "没有", "x"));
  EXPECT_EQ(ui::ControlPosition(window_, "进度"), 40);
  EXPECT_TRUE(ui::SetControlPosition(window_, "进度", 250));
  EXPECT_EQ(ui::ControlPosition(window_, "进度"), 100) << "clamped to the range";

  // The window reported its creation once, before it was shown.
  ASSERT_FALSE(RecordedEvents().empty());
  EXPECT_EQ(RecordedEvents()[0].kind, EventKind::Created);
  EXPECT_FALSE(RecordedEvents()[0].windowVisible);
  EXPECT_TRUE(IsWindowVisible(window_));

  EXPECT_TRUE(ui::SetControlVisible(window_, "宿主", true));
  EXPECT_TRUE(IsWindowVisible(Control("宿主")));
  EXPECT_TRUE(ui::SetControlText(window_, "标签", "新的文字"));
  EXPECT_EQ(WindowText(Control("标签")), "新的文字");
}

TEST_F(LayoutWindowTest, PanelsShowTheirPicturesAndKeyedButtonsShowThePanelThrough) {
  ui::Picture panel = ui::LoadGifResource(GetModuleHandleA(nullptr), IDG_TOP_PANEL);
  ui::Picture normal = ui::LoadGifResource(GetModuleHandleA(nullptr), IDG_CLOSE_NORMAL);
  ui::Picture hot = ui::LoadGifResource(GetModuleHandleA(nullptr), IDG_CLOSE_HOT);
  ASSERT_TRUE(panel && normal && hot);
  ASSERT_EQ(panel.width, 286);
  ASSERT_EQ(normal.width, 43);
  ASSERT_EQ(normal.height, 18);

  // A bare stretch of the panel shows the panel picture pixel for pixel.
  Capture shot = CaptureClient(window_);
  for (POINT p : {POINT{2, 120}, POINT{150, 120}, POINT{280, 170}, POINT{100, 24}})
    EXPECT_EQ(ColourText(shot.At(p.x, p.y)), ColourText(PicturePixel(panel, p.x, p.y))) << p.x << "," << p.y;

  // Find one magenta pixel and one pixel where the hot picture differs from the normal one.
  POINT keyed = {-1, -1}, differs = {-1, -1};
  for (int y = 0; y < 18; ++y)
    for (int x = 0; x < 43; ++x) {
      COLORREF n = PicturePixel(normal, x, y), h = PicturePixel(hot, x, y);
      if (n == RGB(255, 0, 255) && h == RGB(255, 0, 255) && keyed.x < 0) keyed = {x, y};
      if (n != h && n != RGB(255, 0, 255) && h != RGB(255, 0, 255) && differs.x < 0) differs = {x, y};
    }
  ASSERT_GE(keyed.x, 0) << "the close picture has transparent pixels";
  ASSERT_GE(differs.x, 0) << "the hot picture looks different";
  HWND button = Control("按钮");
  EXPECT_EQ(ColourText(shot.At(232 + keyed.x, keyed.y)), ColourText(PicturePixel(panel, 232 + keyed.x, keyed.y)))
      << "magenta is transparent";
  EXPECT_EQ(ColourText(shot.At(232 + differs.x, differs.y)), ColourText(PicturePixel(normal, differs.x, differs.y)));
  // Only what is shown has been decoded, each picture once: the hot picture waits for the first hover, and the
  // pressed picture is the normal one's bitmap.
  const ui::ControlRecord* record = ui::RecordOf(button);
  ASSERT_NE(record, nullptr);
  EXPECT_FALSE(record->pictures[1].resolved());
  EXPECT_EQ(record->pictures[2].get().bitmap.get(), record->pictures[0].get().bitmap.get());

  // Mouse over the button: the hot picture.
  MoveMouse(button, 20, 9);
  EXPECT_TRUE(record->pictures[1].resolved());
  shot = CaptureClient(window_);
  EXPECT_EQ(ColourText(shot.At(232 + differs.x, differs.y)), ColourText(PicturePixel(hot, differs.x, differs.y)));
  EXPECT_EQ(ColourText(shot.At(232 + keyed.x, keyed.y)), ColourText(PicturePixel(panel, 232 + keyed.x, keyed.y)));
  // Mouse gone: normal again.
  SendMessageA(button, WM_MOUSELEAVE, 0, 0);
  shot = CaptureClient(window_);
  EXPECT_EQ(ColourText(shot.At(232 + differs.x, differs.y)), ColourText(PicturePixel(normal, differs.x, differs.y)));
  SetCursorPos(0, 0);
}

TEST_F(LayoutWindowTest, TransparentLabelsDrawOnlyTheirTextOverThePanel) {
  ui::Picture panel = ui::LoadGifResource(GetModuleHandleA(nullptr), IDG_TOP_PANEL);
  Capture shot = CaptureClient(window_);
  // Label 标签 at 8,32 (128 x 15) with short white text: its right part is bare panel.
  for (int y = 32; y < 47; ++y)
    for (int x = 100; x < 136; ++x)
      ASSERT_EQ(ColourText(shot.At(x, y)), ColourText(PicturePixel(panel, x, y))) << x << "," << y;
  int white = 0, yellow = 0;
  for (int y = 32; y < 47; ++y)
    for (int x = 8; x < 70; ++x) white += shot.At(x, y) == RGB(255, 255, 255) && PicturePixel(panel, x, y) != RGB(255, 255, 255);
  for (int y = 57; y < 77; ++y)
    for (int x = 144; x < 234; ++x) yellow += shot.At(x, y) == RGB(255, 255, 0);
  EXPECT_GT(white, 20) << "the label's text is drawn in its colour";
  EXPECT_GT(yellow, 20) << "a label with its own font and colour";

  // New text replaces the old one without leaving traces.
  ui::SetControlText(window_, "标签", "");
  PumpMessages(50);
  shot = CaptureClient(window_);
  for (int y = 32; y < 47; ++y)
    for (int x = 8; x < 136; ++x)
      ASSERT_EQ(ColourText(shot.At(x, y)), ColourText(PicturePixel(panel, x, y))) << x << "," << y;

  // Standard label: coloured text on the window colour.
  shot = CaptureClient(window_);
  int blue = 0;
  for (int y = 226; y < 246; ++y)
    for (int x = 120; x < 220; ++x) blue += shot.At(x, y) == RGB(0, 136, 255);
  EXPECT_GT(blue, 10);
}

TEST_F(LayoutWindowTest, ClicksAndRightPressesReachTheirHandlersOnly) {
  RecordedEvents().clear();
  LeftClick(Control("按钮"), 10, 9);
  SendMessageA(Control("按钮1"), BM_CLICK, 0, 0);
  RightPress(Control("面板"), 150, 120);
  RightPress(Control("下面板"), 250, 100);
  // Right presses on controls inside the panels are not presses on the panels.
  RightPress(Control("按钮"), 10, 9);
  RightPress(Control("标签"), 5, 5);
  RightPress(Control("内框"), 5, 5);
  // A press that leaves the button before release is no click.
  HWND button = Control("按钮");
  SendMessageA(button, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 9));
  SendMessageA(button, WM_LBUTTONUP, 0, MAKELPARAM(100, 40));
  PumpMessages(50);
  std::vector<std::pair<EventKind, std::string>> got;
  for (const Recorded& r : RecordedEvents()) got.push_back({r.kind, r.control});
  std::vector<std::pair<EventKind, std::string>> expected = {
      {EventKind::Click, "按钮"}, {EventKind::Click, "按钮1"}, {EventKind::RightPress, "面板"},
      {EventKind::RightPress, "下面板"}};
  EXPECT_EQ(got, expected);
}

void ThrowOutOfMemory(const ui::Event&) { throw std::bad_alloc(); }
LRESULT ThrowingMessage(HWND, WPARAM, LPARAM) { throw std::bad_alloc(); }

// An event or message handler that throws (out of memory) loses only its own work: the window, the other
// handlers of the event and later events go on.
TEST_F(LayoutWindowTest, AHandlerThatThrowsCostsOnlyItsOwnWork) {
  ASSERT_TRUE(ui::BindEvent(window_, "按钮1", EventKind::Click, ThrowOutOfMemory));
  ASSERT_TRUE(ui::BindEvent(window_, "按钮1", EventKind::Click, RecordEvent));
  ASSERT_TRUE(ui::BindWindowMessage(window_, WM_APP + 5, ThrowingMessage));
  RecordedEvents().clear();
  SendMessageA(Control("按钮1"), BM_CLICK, 0, 0);
  EXPECT_EQ(SendMessageA(window_, WM_APP + 5, 0, 0), 0);
  SendMessageA(Control("按钮1"), BM_CLICK, 0, 0);
  PumpMessages(50);
  EXPECT_TRUE(IsWindow(window_));
  // Each click reaches the recorder bound before the thrower and the one bound after it.
  EXPECT_EQ(RecordedEvents().size(), 4u);
}

TEST_F(LayoutWindowTest, DraggingAPanelMovesTheWindow) {
  RECT before;
  GetWindowRect(window_, &before);
  HWND panel = Control("面板");
  SendMessageA(panel, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(100, 120));
  SendMessageA(panel, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(130, 140));
  SendMessageA(panel, WM_LBUTTONUP, 0, MAKELPARAM(130, 140));
  RECT after;
  GetWindowRect(window_, &after);
  EXPECT_EQ(after.left - before.left, 30);
  EXPECT_EQ(after.top - before.top, 20);
  // Moving without a press does nothing.
  SendMessageA(panel, WM_MOUSEMOVE, 0, MAKELPARAM(10, 10));
  RECT still;
  GetWindowRect(window_, &still);
  EXPECT_EQ(still.left, after.left);
  EXPECT_EQ(still.top, after.top);
}

TEST_F(LayoutWindowTest, EscapeClosesOnlyWindowsThatAskForIt) {
  ui::WindowLayout keep = TestLayout(false);
  keep.className = "TrrUiTestWindowKeep";
  HWND other = ui::CreateLayoutWindow(keep, GetModuleHandleA(nullptr));
  ASSERT_NE(other, nullptr);
  PressKey(other, VK_ESCAPE);
  PressKey(window_, VK_ESCAPE);
  EXPECT_TRUE(PumpUntil([&] { return !IsWindow(window_); }, 2000));
  EXPECT_TRUE(IsWindow(other));
  EXPECT_EQ(RecordedEvents().back().kind, EventKind::Destroyed);
  DestroyWindow(other);
}

TEST_F(LayoutWindowTest, TextsPostedFromAnotherThreadArriveOnTheWindowThread) {
  HWND label = Control("标签");
  std::thread worker([label] { EXPECT_TRUE(ui::PostControlText(label, "当前在线:128人")); });
  worker.join();
  EXPECT_TRUE(PumpUntil([&] { return WindowText(label) == "当前在线:128人"; }, 2000));
}

TEST_F(LayoutWindowTest, RoundedRegionCoversTheWholeWindow) {
  ASSERT_NE(ui::ApplyRoundedRegion(window_, 9), nullptr);
  HRGN probe = CreateRectRgn(0, 0, 0, 0);
  ASSERT_NE(GetWindowRgn(window_, probe), ERROR);
  RECT box;
  GetRgnBox(probe, &box);
  EXPECT_EQ(box.left, 0);
  EXPECT_EQ(box.top, 0);
  EXPECT_EQ(box.right, 286);
  EXPECT_EQ(box.bottom, 370);
  // The corners are cut off, the middle of each edge is not.
  EXPECT_FALSE(PtInRegion(probe, 0, 0));
  EXPECT_FALSE(PtInRegion(probe, 285, 369));
  EXPECT_TRUE(PtInRegion(probe, 143, 0));
  EXPECT_TRUE(PtInRegion(probe, 0, 185));
  DeleteObject(probe);
}

TEST_F(LayoutWindowTest, NotificationIconIsAddedAndRemovedOnce) {
  HICON icon = static_cast<HICON>(LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_PROGRAM), IMAGE_ICON,
                                             16, 16, LR_SHARED));
  ASSERT_NE(icon, nullptr);
  EXPECT_TRUE(ui::AddNotifyIcon(window_, 1, icon, "TiroRadio"));
  EXPECT_TRUE(ui::RemoveNotifyIcon(window_, 1));
  EXPECT_FALSE(ui::RemoveNotifyIcon(window_, 1)) << "already gone";
}

}  // namespace
}  // namespace trr::test
