// Avatar flashing: the 300 ms timer toggles each flashing row's avatar offset, repaints shown rows, and drops
// rows that were told to stop.
#include <gtest/gtest.h>

#include "listctrl/avatar_flash.h"
#include "listctrl/control_state.h"
#include "listctrl/item_info.h"
#include "tests/harness/message_pump.h"
#include "tests/listctrl/list_fixture.h"
#include "tests/listctrl/test_pictures.h"

namespace trr {
namespace {

using test::ListFixture;
using test::PumpUntil;

constexpr COLORREF kAvatarFrame = RGB(215, 227, 233);

// Counts the repaint requests that reach a list window, then hands them on.
struct RepaintCounter {
  static inline WNDPROC previous = nullptr;
  static inline int count = 0;
  static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kRepaintEntryMessage) ++count;
    return CallWindowProcA(previous, window, message, wParam, lParam);
  }
  explicit RepaintCounter(HWND window) : window_(window) {
    count = 0;
    previous = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(Proc)));
  }
  ~RepaintCounter() { SetWindowLongPtrA(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous)); }
  HWND window_;
};

struct FlashList {
  ListFixture fixture;
  ItemHandle open, shown, closed, hidden;
  FlashList() {
    open = fixture.Group("open", true);
    shown = fixture.Row(open, "shown", test::SolidBmp(8, 8, RGB(255, 0, 0)), true);
    closed = fixture.Group("closed", false);
    hidden = fixture.Row(closed, "hidden", test::SolidBmp(8, 8, RGB(255, 0, 0)), true);
  }
  int Offset(ItemHandle row) const { return fixture.Attribute(row, attr::kAvatarOffset); }
  // Waits for the row's offset to become `value`; false after `ms`.
  bool WaitOffset(ItemHandle row, int value, unsigned ms = 1500) {
    return PumpUntil([&] { return Offset(row) == value; }, ms);
  }
};

TEST(AvatarFlash, StartingTwiceListsTheRowOnceAndTheAvatarMovesOnScreen) {
  FlashList l;
  const int before = FlashListSize();
  l.fixture.list().StartAvatarFlash(l.shown);
  l.fixture.list().StartAvatarFlash(l.shown);
  EXPECT_EQ(FlashListSize(), before + 1);
  EXPECT_EQ(l.fixture.Attribute(l.shown, attr::kFlashing), 1);
  EXPECT_NE(l.fixture.state().flashTimer, 0u);

  // The shown row is repainted at each tick: its avatar box moves one pixel right and down, and back.
  const RECT r = l.fixture.EntryRect(l.fixture.IndexOf(l.shown));
  const int t = r.top + 5;
  ASSERT_TRUE(l.WaitOffset(l.shown, 1));
  test::Capture moved = test::CaptureClient(l.fixture.listWindow());
  EXPECT_EQ(moved.At(5, t + 1), kAvatarFrame);
  EXPECT_NE(moved.At(4, t), kAvatarFrame);
  ASSERT_TRUE(l.WaitOffset(l.shown, 0));
  test::Capture back = test::CaptureClient(l.fixture.listWindow());
  EXPECT_EQ(back.At(4, t), kAvatarFrame);

  // Stopping brings the avatar back to offset 0 at the next tick, drops the entry and stops the timer.
  ASSERT_TRUE(l.WaitOffset(l.shown, 1));
  l.fixture.list().StopAvatarFlash(l.shown);
  EXPECT_EQ(l.fixture.Attribute(l.shown, attr::kFlashing), 0);
  EXPECT_EQ(FlashListSize(), before + 1);
  ASSERT_TRUE(PumpUntil([&] { return FlashListSize() == before; }, 1000));
  EXPECT_EQ(l.Offset(l.shown), 0);
  EXPECT_EQ(l.fixture.state().flashTimer, 0u);
  test::Capture stopped = test::CaptureClient(l.fixture.listWindow());
  EXPECT_EQ(stopped.At(4, t), kAvatarFrame);
  test::PumpMessages(400);
  EXPECT_EQ(l.Offset(l.shown), 0);
}

TEST(AvatarFlash, RowsOfClosedGroupsKeepTogglingUnpainted) {
  FlashList l;
  ASSERT_EQ(l.fixture.IndexOf(l.hidden), -1);
  RepaintCounter repaints(l.fixture.listWindow());
  l.fixture.list().StartAvatarFlash(l.hidden);
  ASSERT_TRUE(l.WaitOffset(l.hidden, 1));
  ASSERT_TRUE(l.WaitOffset(l.hidden, 0));
  ASSERT_TRUE(l.WaitOffset(l.hidden, 1));
  EXPECT_EQ(RepaintCounter::count, 0);
  // Once its group opens the row is repainted at every tick.
  ASSERT_TRUE(l.fixture.list().ExpandGroup(l.closed));
  ASSERT_GT(l.fixture.IndexOf(l.hidden), 0);
  ASSERT_TRUE(l.WaitOffset(l.hidden, 0));
  ASSERT_TRUE(l.WaitOffset(l.hidden, 1));
  EXPECT_GE(RepaintCounter::count, 2);
  ASSERT_TRUE(l.fixture.list().CollapseGroup(l.closed));
  RepaintCounter::count = 0;
  l.fixture.list().StopAvatarFlash(l.hidden);
  ASSERT_TRUE(l.WaitOffset(l.hidden, 0));
  EXPECT_EQ(RepaintCounter::count, 0);
  // A shown row is repainted at every tick.
  l.fixture.list().StartAvatarFlash(l.shown);
  ASSERT_TRUE(l.WaitOffset(l.shown, 1));
  ASSERT_TRUE(l.WaitOffset(l.shown, 0));
  EXPECT_GE(RepaintCounter::count, 2);
  l.fixture.list().StopAvatarFlash(l.shown);
  ASSERT_TRUE(PumpUntil([&] { return l.fixture.state().flashTimer == 0; }, 1000));
  EXPECT_EQ(l.fixture.Attribute(l.hidden, attr::kFlashing), 0);
}

TEST(AvatarFlash, RestartBeforeTheNextTickKeepsOneEntry) {
  FlashList l;
  const int before = FlashListSize();
  l.fixture.list().StartAvatarFlash(l.shown);
  l.fixture.list().StopAvatarFlash(l.shown);
  l.fixture.list().StartAvatarFlash(l.shown);
  EXPECT_EQ(FlashListSize(), before + 1);
  // Still flashing after the tick that would have dropped a stopped row.
  ASSERT_TRUE(l.WaitOffset(l.shown, 1));
  ASSERT_TRUE(l.WaitOffset(l.shown, 0));
  EXPECT_EQ(FlashListSize(), before + 1);
  ForgetFlash(l.fixture.listWindow(), l.shown);
  EXPECT_EQ(FlashListSize(), before);
  EXPECT_EQ(l.fixture.state().flashTimer, 0u);
}

TEST(AvatarFlash, RemovedRowsLeaveTheListAndTheTimerStops) {
  FlashList l;
  const int before = FlashListSize();
  l.fixture.list().StartAvatarFlash(l.shown);
  l.fixture.list().StartAvatarFlash(l.hidden);
  ASSERT_EQ(FlashListSize(), before + 2);
  ASSERT_TRUE(l.WaitOffset(l.shown, 1));
  ASSERT_TRUE(l.fixture.list().RemoveItem(l.shown));
  EXPECT_EQ(FlashListSize(), before + 1);
  // The other row goes on flashing.
  ASSERT_TRUE(l.WaitOffset(l.hidden, 1));
  ASSERT_TRUE(l.WaitOffset(l.hidden, 0));
  // Clearing every group's rows drops the last entry; ticks after that find nothing to touch.
  ASSERT_TRUE(l.fixture.list().ClearGroups());
  EXPECT_EQ(FlashListSize(), before);
  EXPECT_EQ(l.fixture.state().flashTimer, 0u);
  test::PumpMessages(400);
  EXPECT_EQ(SendMessageA(l.fixture.listWindow(), LB_GETCOUNT, 0, 0), 2);
}

TEST(AvatarFlash, GroupsUnknownHandlesAndUncreatedControlsDoNothing) {
  FlashList l;
  const int before = FlashListSize();
  l.fixture.list().StartAvatarFlash(l.open);
  l.fixture.list().StartAvatarFlash(123);
  l.fixture.list().StopAvatarFlash(123);
  GroupList never;
  never.StartAvatarFlash(l.shown);
  never.StopAvatarFlash(l.shown);
  EXPECT_EQ(FlashListSize(), before);
  EXPECT_EQ(l.fixture.state().flashTimer, 0u);
  EXPECT_EQ(l.fixture.Attribute(l.open, attr::kFlashing), 0);
}

TEST(AvatarFlash, EachControlsTimerMovesOnlyItsOwnRows) {
  FlashList a;
  FlashList b;
  a.fixture.list().StartAvatarFlash(a.shown);
  b.fixture.list().StartAvatarFlash(b.shown);
  // With b's timer gone, only a's ticks run; they must not move b's row.
  KillTimer(b.fixture.listWindow(), b.fixture.state().flashTimer);
  ASSERT_TRUE(a.WaitOffset(a.shown, 1));
  ASSERT_TRUE(a.WaitOffset(a.shown, 0));
  ASSERT_TRUE(a.WaitOffset(a.shown, 1));
  EXPECT_EQ(b.Offset(b.shown), 0);
  ForgetFlash(a.fixture.listWindow(), 0);
  ForgetFlash(b.fixture.listWindow(), 0);
}

}  // namespace
}  // namespace trr
