// The volume slider (positions from clicks and drags, its drawing) and timers.
#include <windows.h>

#include <gtest/gtest.h>

#include "assets/resource_ids.h"
#include "tests/harness/message_pump.h"
#include "tests/harness/window_probe.h"
#include "tests/ui/test_layouts.h"
#include "ui/layout_window.h"

namespace trr::test {
namespace {

using ui::ControlKind;
using ui::EventKind;

const ui::ControlSpec kControls[] = {
    {.name = "面板", .kind = ControlKind::PictureBox, .width = 286, .height = 180, .pictures = {IDG_TOP_PANEL}},
    {.name = "音量", .kind = ControlKind::VolumeSlider, .parent = "面板", .left = 176, .top = 80, .width = 88,
     .height = 24,
     .pictures = {IDB_SLIDER_RAIL, IDB_SLIDER_FILL, IDB_SLIDER_FILL_HOT, IDB_SLIDER_THUMB},
     .rangeMin = 0, .rangeMax = 100, .position = 30},
    {.name = "时钟", .kind = ControlKind::Timer, .parent = "面板", .interval = 50},
};

const ui::EventBinding kBindings[] = {
    {"音量", EventKind::SliderChanged, RecordEvent},
    {"时钟", EventKind::TimerTick, RecordEvent},
};

const ui::WindowLayout kLayout = {"TrrUiSliderWindow", "Slider", ui::FrameStyle::Borderless, 286, 180,
                                  RGB(204, 227, 248), 0, 0, false, false, kControls, std::size(kControls),
                                  kBindings, std::size(kBindings)};

std::vector<int> SliderValues() {
  std::vector<int> values;
  for (const Recorded& r : RecordedEvents())
    if (r.kind == EventKind::SliderChanged) values.push_back(r.value);
  return values;
}

int Ticks() {
  int n = 0;
  for (const Recorded& r : RecordedEvents()) n += r.kind == EventKind::TimerTick;
  return n;
}

TEST(VolumeSlider, ClicksAndDragsSetThePositionAndReportEachChange) {
  RecordedEvents().clear();
  HWND window = ui::CreateLayoutWindow(kLayout, GetModuleHandleA(nullptr));
  ASSERT_NE(window, nullptr);
  ui::SetTimerInterval(window, "时钟", 0);
  HWND slider = ui::FindControl(window, "音量");
  ASSERT_NE(slider, nullptr);
  EXPECT_EQ(ui::ControlPosition(window, "音量"), 30);

  // The thumb (8 px wide, travel 80 px) is drawn where the position says; the rail right of it is not filled.
  PumpMessages(50);
  ui::Picture thumb = ui::LoadAlphaStripResource(GetModuleHandleA(nullptr), IDB_SLIDER_THUMB);
  ASSERT_TRUE(thumb);
  EXPECT_EQ(thumb.width, 8);
  EXPECT_EQ(thumb.height, 10);
  Capture shot = CaptureClient(window);
  // Thumb centre column at 176 + 24 + 4 = 204, rows 87..96: its opaque white body.
  EXPECT_EQ(ColourText(shot.At(176 + 24 + 2, 80 + 12)), ColourText(RGB(255, 255, 255)));
  COLORREF filled = shot.At(176 + 10, 80 + 12);
  COLORREF empty = shot.At(176 + 60, 80 + 12);
  EXPECT_NE(filled, empty) << "filled part and bare rail look different";

  struct Step {
    UINT message;
    int x;
  };
  // Press at 4 + 50% of 80 = 44, drag to the far right and beyond, back to the left end, release.
  const Step steps[] = {{WM_LBUTTONDOWN, 44}, {WM_MOUSEMOVE, 44}, {WM_MOUSEMOVE, 84}, {WM_MOUSEMOVE, 300},
                        {WM_MOUSEMOVE, 24}, {WM_MOUSEMOVE, -40}, {WM_LBUTTONUP, -40}};
  for (const Step& step : steps)
    SendMessageA(slider, step.message, step.message == WM_LBUTTONUP ? 0 : MK_LBUTTON, MAKELPARAM(step.x, 12));
  EXPECT_EQ(SliderValues(), (std::vector<int>{50, 100, 25, 0}));
  EXPECT_EQ(ui::ControlPosition(window, "音量"), 0);

  // Moving without a press changes nothing; a click sets the position at once.
  RecordedEvents().clear();
  SendMessageA(slider, WM_MOUSEMOVE, 0, MAKELPARAM(60, 12));
  LeftClick(slider, 64, 12);
  EXPECT_EQ(SliderValues(), (std::vector<int>{75}));
  // Setting the position from code reports nothing.
  EXPECT_TRUE(ui::SetControlPosition(window, "音量", 10));
  EXPECT_EQ(ui::ControlPosition(window, "音量"), 10);
  EXPECT_EQ(SliderValues(), (std::vector<int>{75}));
  PumpMessages(50);
  shot = CaptureClient(window);
  EXPECT_EQ(ColourText(shot.At(176 + 8 + 2, 80 + 12)), ColourText(RGB(255, 255, 255))) << "thumb moved to 10";
  DestroyWindow(window);
}

TEST(Timer, TicksAtItsIntervalAndStopsAtZero) {
  RecordedEvents().clear();
  HWND window = ui::CreateLayoutWindow(kLayout, GetModuleHandleA(nullptr));
  ASSERT_NE(window, nullptr);
  EXPECT_TRUE(PumpUntil([] { return Ticks() >= 3; }, 3000));
  EXPECT_TRUE(ui::SetTimerInterval(window, "时钟", 0));
  PumpMessages(60);
  int stopped = Ticks();
  PumpMessages(300);
  EXPECT_EQ(Ticks(), stopped);
  EXPECT_FALSE(ui::SetTimerInterval(window, "音量", 10)) << "not a timer";
  EXPECT_TRUE(ui::SetTimerInterval(window, "时钟", 30));
  EXPECT_TRUE(PumpUntil([&] { return Ticks() >= stopped + 2; }, 3000));
  DestroyWindow(window);
  PumpMessages(20);
}

}  // namespace
}  // namespace trr::test
