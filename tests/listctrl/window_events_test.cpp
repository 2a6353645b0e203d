// Mouse messages on the real ListBox raise exactly the stated events, with their arguments, in order.
#include <windows.h>

#include <gtest/gtest.h>

#include "listctrl/list_box.h"
#include "listctrl/pictures.h"
#include "tests/harness/message_pump.h"
#include "tests/harness/window_probe.h"
#include "tests/listctrl/core_fixture.h"

namespace trr::test {
namespace {

struct Call {
  EventSlot slot;
  int32_t handle, x, y;
  bool operator==(const Call& o) const { return slot == o.slot && handle == o.handle && x == o.x && y == o.y; }
};
std::vector<Call> g_called;

void PrintTo(const Call& call, std::ostream* out) {
  static const char* names[] = {"RowClick",   "RowDoubleClick", "RowRightClick",   "GroupClick",     "GroupDoubleClick",
                                "GroupRightClick", "IconClick", "MouseEnterEntry", "MouseLeaveEntry"};
  *out << names[call.slot] << "(" << call.handle << ", " << call.x << ", " << call.y << ")";
}

template <EventSlot slot>
int32_t __stdcall Record(int32_t handle, int32_t x, int32_t y) {
  g_called.push_back(Call{slot, handle, x, y});
  return 0;
}

class WindowEventsTest : public CoreListFixture {
 protected:
  // Groups G1 (expanded: R1, R2) and G2 (collapsed: R3), every handler set.
  void Build(int mode, int enlarge) {
    CreateList(mode, enlarge);
    g1 = list.AddGroup("G1", Given(true));
    r1 = AddRow(g1, "R1");
    r2 = AddRow(g1, "R2");
    g2 = list.AddGroup("G2");
    r3 = AddRow(g2, "R3");
    list.SetEventHandlers(Given<EventHandler>(Record<kOnRowClick>), Given<EventHandler>(Record<kOnRowDoubleClick>),
                          Given<EventHandler>(Record<kOnRowRightClick>), Given<EventHandler>(Record<kOnMouseEnterEntry>),
                          Given<EventHandler>(Record<kOnMouseLeaveEntry>), Given<EventHandler>(Record<kOnGroupClick>),
                          Given<EventHandler>(Record<kOnGroupDoubleClick>),
                          Given<EventHandler>(Record<kOnGroupRightClick>), Given<EventHandler>(Record<kOnIconClick>));
    g_called.clear();
  }
  // Sends a mouse message with the real cursor put on the same point first, so the leave tracking that
  // TrackMouseEvent arms sees the pointer inside the list.
  void Mouse(UINT message, int x, int y) {
    POINT screen{x, y};
    ClientToScreen(list.listWindow(), &screen);
    SetCursorPos(screen.x, screen.y);
    SendMessageA(list.listWindow(), message, message == WM_MOUSEMOVE ? 0 : MK_LBUTTON, MAKELPARAM(x, y));
  }
  void Expect(const std::vector<Call>& expected, const char* step) {
    EXPECT_EQ(g_called, expected) << step;
    g_called.clear();
  }
  int Top(ItemHandle handle) {
    RECT rect;
    ListBox{list.listWindow()}.itemRect(ListIndex(handle), rect);
    return rect.top;
  }
  ItemHandle g1 = 0, g2 = 0, r1 = 0, r2 = 0, r3 = 0;
};

TEST_F(WindowEventsTest, HoverRaisesLeaveThenEnterAndLeavesOnceBelowTheLastEntry) {
  Build(0, 0);
  const int y1 = Top(r1) + 10, y2 = Top(r2) + 10;
  Mouse(WM_MOUSEMOVE, 10, y1);
  Expect({{kOnMouseLeaveEntry, -1, 10, y1}, {kOnMouseEnterEntry, r1, 10, y1}}, "into R1 from nothing");
  EXPECT_EQ(State().hoverIndex, 1);
  Mouse(WM_MOUSEMOVE, 30, y1 + 5);
  Expect({}, "inside R1");
  Mouse(WM_MOUSEMOVE, 12, y2);
  Expect({{kOnMouseLeaveEntry, r1, 12, y2}, {kOnMouseEnterEntry, r2, 12, y2}}, "R1 to R2");
  Mouse(WM_MOUSEMOVE, 12, 400);
  Expect({{kOnMouseLeaveEntry, r2, 12, 400}}, "below the last entry");
  EXPECT_EQ(State().hoverIndex, -1);
  Mouse(WM_MOUSEMOVE, 40, 420);
  Expect({}, "further below");
  Mouse(WM_MOUSEMOVE, 5, 5);
  Expect({{kOnMouseLeaveEntry, -1, 5, 5}, {kOnMouseEnterEntry, g1, 5, 5}}, "onto G1");
  // The real pointer leaves the window: the leave tracking armed on the first move reports it.
  SetCursorPos(900, 900);
  EXPECT_TRUE(PumpUntil([] { return !g_called.empty(); }, 3000));
  Expect({{kOnMouseLeaveEntry, g1, 0, 0}}, "out of the window");
  SendMessageA(list.listWindow(), WM_MOUSELEAVE, 0, 0);
  Expect({}, "second leave");
  PumpMessages(50);
  g_called.clear();
}

TEST_F(WindowEventsTest, ClicksReachTheirHandlersAndGroupClicksToggleFirst) {
  Build(0, 0);
  const int y1 = Top(r1) + 10, y2 = Top(r2) + 20, yg2 = Top(g2) + 5;
  Mouse(WM_RBUTTONDOWN, 10, y1);
  Expect({{kOnRowRightClick, r1, 10, y1}}, "right button on R1");
  Mouse(WM_RBUTTONDOWN, 10, 3);
  Expect({{kOnGroupRightClick, g1, 10, 3}}, "right button on G1");
  Mouse(WM_LBUTTONDBLCLK, 10, y2);
  Expect({{kOnRowDoubleClick, r2, 10, y2}}, "double click on R2");
  Mouse(WM_LBUTTONDBLCLK, 10, yg2);
  Expect({{kOnGroupDoubleClick, g2, 10, yg2}}, "double click on G2");
  EXPECT_EQ(Entries().size(), 4u) << "a double click does not toggle";
  Mouse(WM_LBUTTONUP, 10, y1);
  Expect({{kOnRowClick, r1, 10, y1}}, "click on R1, list coordinates without icons");
  EXPECT_EQ(State().selectedIndex, 1);
  Mouse(WM_LBUTTONUP, 15, yg2);
  Expect({{kOnGroupClick, g2, 15, yg2}}, "click on G2");
  EXPECT_EQ(Entries(), (std::vector<ItemHandle>{g1, r1, r2, g2, r3})) << "G2 expanded before its event";
  EXPECT_EQ(Attribute(g2, attr::kExpanded), "1");
  Mouse(WM_LBUTTONUP, 15, 2);
  Expect({{kOnGroupClick, g1, 15, 2}}, "click on G1");
  EXPECT_EQ(Entries(), (std::vector<ItemHandle>{g1, g2, r3})) << "G1 collapsed";
  EXPECT_TRUE(Consistent());
  Mouse(WM_LBUTTONUP, 15, 400);
  Expect({}, "release below the last entry");
  EXPECT_EQ(State().selectedIndex, -1);
  Mouse(WM_RBUTTONDOWN, 15, 400);
  Mouse(WM_LBUTTONDBLCLK, 15, 400);
  Expect({}, "nothing below the last entry");
}

TEST_F(WindowEventsTest, IconClickReplacesRowClickAndCarriesTheLaidOutNumber) {
  Build(0, 0);
  for (int i = 0; i < 3; ++i) ASSERT_EQ(list.AddServiceIcon(SolidBmp(16, 16, RGB(0, 80 * i, 0))), i + 1);
  // Icon number 0 takes no place, so the second laid-out icon is number 3.
  std::vector<int32_t> icons{1, 0, 3};
  const ItemHandle r4 = AddRow(g1, "R4", true, &icons);
  const int top = Top(r4);
  const int iconY = 54 - 19 + 8;  // inside the icons' row, relative to the entry
  Mouse(WM_LBUTTONUP, 76, top + iconY);
  Expect({{kOnIconClick, r4, 3, 0}}, "second icon");
  Mouse(WM_LBUTTONUP, 58, top + iconY);
  Expect({{kOnIconClick, r4, 1, 0}}, "first icon");
  Mouse(WM_LBUTTONUP, 200, top + 10);
  Expect({{kOnRowClick, r4, 200, 10}}, "row with icons, missed: row-relative position");
  // On the border between two icons (x = 66) no icon contains the point strictly.
  Mouse(WM_LBUTTONUP, 67, top + iconY);
  Expect({{kOnRowClick, r4, 67, iconY}}, "gap between icons");
  // Hovering over the second icon makes it the hot icon.
  Mouse(WM_MOUSEMOVE, 30, top + 5);
  g_called.clear();
  Mouse(WM_MOUSEMOVE, 76, top + iconY);
  EXPECT_EQ(State().hotIcon, 2);
  Mouse(WM_MOUSEMOVE, 150, top + iconY);
  EXPECT_EQ(State().hotIcon, 0);
  Expect({}, "moves within one row");
  PumpMessages(50);
  g_called.clear();
}

TEST_F(WindowEventsTest, HandlersNotGivenAreSkipped) {
  Build(0, 0);
  list.SetEventHandlers(Given<EventHandler>(Record<kOnRowClick>));
  const int y1 = Top(r1) + 10;
  Mouse(WM_MOUSEMOVE, 10, y1);
  Mouse(WM_RBUTTONDOWN, 10, y1);
  Mouse(WM_LBUTTONDBLCLK, 10, y1);
  Mouse(WM_LBUTTONUP, 10, 3);
  Expect({}, "only the row click handler is set");
  EXPECT_EQ(Attribute(g1, attr::kExpanded), "0") << "the group still toggles without a handler";
  Mouse(WM_LBUTTONUP, 10, Top(g2) + 30);
  Expect({}, "below the entries after the collapse");
  list.ExpandGroup(g1);
  Mouse(WM_LBUTTONUP, 10, y1);
  Expect({{kOnRowClick, r1, 10, y1}}, "row click");
  PumpMessages(50);
}

TEST_F(WindowEventsTest, SelectedRowIsEnlargedInMediumView) {
  Build(1, 1);
  EXPECT_EQ(Heights(), (std::vector<int>{24, 30, 30, 24}));
  Mouse(WM_LBUTTONUP, 10, Top(r1) + 5);
  EXPECT_EQ(Heights(), (std::vector<int>{24, 54, 30, 24}));
  Mouse(WM_LBUTTONUP, 10, Top(r2) + 5);
  EXPECT_EQ(Heights(), (std::vector<int>{24, 30, 54, 24}));
  EXPECT_EQ(State().selectedIndex, 2);
  // A click on a group selects it and expands it; groups never change height, the old row shrinks back.
  Mouse(WM_LBUTTONUP, 10, Top(g2) + 5);
  EXPECT_EQ(Heights(), (std::vector<int>{24, 30, 30, 24, 30}));
  EXPECT_EQ(State().selectedIndex, 3);
  Mouse(WM_LBUTTONUP, 10, Top(r3) + 5);
  EXPECT_EQ(Heights(), (std::vector<int>{24, 30, 30, 24, 54}));
  EXPECT_TRUE(Consistent());
  Mouse(WM_LBUTTONUP, 10, 450);
  EXPECT_EQ(Heights(), (std::vector<int>{24, 30, 30, 24, 30}));
  EXPECT_EQ(State().selectedIndex, -1);
  g_called.clear();
}

TEST_F(WindowEventsTest, ListFollowsTheContainerSizeAndPaintsItsBackground) {
  Build(0, 0);
  MoveWindow(container, 0, 0, 250, 333, TRUE);
  EXPECT_EQ(ClientSize(list.listWindow()).cx + GetSystemMetrics(SM_CXVSCROLL) >= 250, true);
  RECT rect;
  GetWindowRect(list.listWindow(), &rect);
  EXPECT_EQ(rect.right - rect.left, 250);
  EXPECT_EQ(rect.bottom - rect.top, 333);
  // The background brush is the control's own and stays the same object for every message.
  HBRUSH first = reinterpret_cast<HBRUSH>(SendMessageA(container, WM_CTLCOLORLISTBOX, 0, (LPARAM)list.listWindow()));
  HBRUSH second = reinterpret_cast<HBRUSH>(SendMessageA(container, WM_CTLCOLORLISTBOX, 0, (LPARAM)list.listWindow()));
  EXPECT_EQ(first, State().backgroundBrush);
  EXPECT_EQ(first, second);
  LOGBRUSH brush{};
  ASSERT_TRUE(GetObjectA(first, sizeof brush, &brush));
  EXPECT_EQ(brush.lbColor, 0xFFFFFFu);
  // The control's own repaint message answers 1, for entries that exist and for those that do not.
  EXPECT_EQ(SendMessageA(list.listWindow(), kRepaintEntryMessage, 1, 0), 1);
  EXPECT_EQ(SendMessageA(list.listWindow(), kRepaintEntryMessage, 99, 0), 1);
}

}  // namespace
}  // namespace trr::test
