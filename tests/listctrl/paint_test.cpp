// Painting of groups and rows, read back from the screen and checked against the ListBox's own geometry.
#include <gtest/gtest.h>

#include "listctrl/control_state.h"
#include "listctrl/item_info.h"
#include "listctrl/paint_entry.h"
#include "listctrl/pictures.h"
#include "tests/harness/message_pump.h"
#include "tests/listctrl/list_fixture.h"
#include "tests/listctrl/paint_probe.h"
#include "tests/listctrl/test_pictures.h"

namespace trr {
namespace {

using test::Capture;
using test::ColourText;
using test::CountNear;
using test::ListFixture;
using test::Near;

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kHoverFrame = RGB(166, 222, 255);
constexpr COLORREF kHoverFill = RGB(220, 240, 255);
constexpr COLORREF kSelectedFrame = RGB(253, 200, 38);
constexpr COLORREF kSelectedFill = RGB(255, 231, 169);
constexpr COLORREF kAvatarFrame = RGB(215, 227, 233);
constexpr COLORREF kHotFill = RGB(252, 232, 190);
constexpr COLORREF kHotFrame = RGB(206, 138, 67);
constexpr COLORREF kSignature = RGB(96, 96, 96);
constexpr COLORREF kMarkerBlue = RGB(72, 163, 216);

// A list with one open group of two rows and a closed group: entries 0 (group), 1, 2 (rows), 3 (group).
struct SmallList {
  ListFixture fixture;
  ItemHandle openGroup, first, second, closedGroup;
  explicit SmallList(int width = 260) : fixture(width, 300) {
    openGroup = fixture.Group("打开的分组", true, RGB(160, 0, 0));
    first = fixture.Row(openGroup, "第一行", test::SolidBmp(32, 32, RGB(255, 0, 0)), true, "签名");
    second = fixture.Row(openGroup, "second", test::SolidBmp(32, 32, RGB(255, 0, 0)), false);
    closedGroup = fixture.Group("closed", false);
  }
  RECT Rect(int index) const { return fixture.EntryRect(index); }
};

TEST(Paint, FrameAndFillFollowNormalHoverAndSelectedState) {
  SmallList l;
  ASSERT_EQ(l.fixture.IndexOf(l.first), 1);
  ASSERT_EQ(l.fixture.IndexOf(l.closedGroup), 3);
  struct Case {
    const char* name;
    int hover;
    int selected;
    int entry;
    COLORREF frame;
    COLORREF fill;
  };
  const Case cases[] = {
      {"plain row shows no frame", -1, -1, 1, kWhite, kWhite},
      {"plain group shows no frame", -1, -1, 0, kWhite, kWhite},
      {"hovered row", 1, -1, 1, kHoverFrame, kHoverFill},
      {"selected row", -1, 1, 1, kSelectedFrame, kSelectedFill},
      {"selected wins over hover", 1, 1, 1, kSelectedFrame, kSelectedFill},
      {"hover elsewhere leaves selection", 2, 1, 1, kSelectedFrame, kSelectedFill},
      {"the other row hovered", 2, 1, 2, kHoverFrame, kHoverFill},
      {"hovered group", 0, -1, 0, kHoverFrame, kHoverFill},
      {"selected closed group", 0, 3, 3, kSelectedFrame, kSelectedFill},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    l.fixture.Hover(-1);
    l.fixture.Select(c.selected);
    l.fixture.Hover(c.hover);
    Capture shot = l.fixture.Snapshot();
    RECT r = l.Rect(c.entry);
    const int mid = (r.top + r.bottom) / 2;
    EXPECT_EQ(shot.At(r.left, mid), c.frame) << ColourText(shot.At(r.left, mid));
    EXPECT_EQ(shot.At(r.right - 1, mid), c.frame);
    EXPECT_EQ(shot.At(r.right - 8, r.bottom - 4), c.fill) << ColourText(shot.At(r.right - 8, r.bottom - 4));
  }
}

TEST(Paint, SquareFramesAndGivenColoursReplaceDefaults) {
  SmallList l;
  l.fixture.Hover(1);
  RECT r = l.Rect(1);
  RECT g = l.Rect(0);
  // Rounded: the corner pixel lies outside the 5 x 5 corner ellipse.
  Capture shot = l.fixture.Snapshot();
  EXPECT_NE(shot.At(r.left, r.top), kHoverFrame);
  EXPECT_EQ(shot.At(r.left + 2, r.top), kHoverFrame);

  l.fixture.list().SetRowColours(Given(1));
  l.fixture.Hover(0);
  l.fixture.Hover(1);
  shot = l.fixture.Snapshot();
  EXPECT_EQ(shot.At(r.left, r.top), kHoverFrame);
  EXPECT_EQ(shot.At(r.right - 1, r.bottom - 1), kHoverFrame);
  EXPECT_EQ(shot.At(r.left + 1, r.top + 1), kHoverFill);
  EXPECT_EQ(l.fixture.state().groupColours.square, 0);

  // Only exactly 1 means square; the normal colours given here show on unhovered rows.
  l.fixture.list().SetRowColours(Given(2), Given(RGB(10, 20, 30)), Given(RGB(40, 50, 60)));
  EXPECT_EQ(l.fixture.state().rowColours.square, 0);
  shot = l.fixture.Snapshot();
  RECT s = l.Rect(2);
  EXPECT_EQ(shot.At(s.left, (s.top + s.bottom) / 2), RGB(10, 20, 30));
  EXPECT_EQ(shot.At(s.right - 8, s.bottom - 4), RGB(40, 50, 60));
  EXPECT_NE(shot.At(s.left, s.top), RGB(10, 20, 30));
  // Groups keep their own set.
  EXPECT_EQ(shot.At(g.left, (g.top + g.bottom) / 2), kWhite);

  l.fixture.list().SetGroupColours(Given(1), Given(RGB(0, 90, 0)), Given(RGB(0, 200, 0)));
  shot = l.fixture.Snapshot();
  EXPECT_EQ(shot.At(g.left, g.top), RGB(0, 90, 0));
  EXPECT_EQ(shot.At(g.right - 3, g.bottom - 3), RGB(0, 200, 0));

  // Omitted arguments store the defaults again.
  l.fixture.list().SetRowColours();
  l.fixture.list().SetGroupColours();
  const ControlState& state = l.fixture.state();
  EXPECT_EQ(state.rowColours.normalFrame, kWhite);
  EXPECT_EQ(state.rowColours.hoverFill, kHoverFill);
  EXPECT_EQ(state.groupColours.square, 0);
  EXPECT_EQ(state.groupColours.normalFill, kWhite);
  EXPECT_EQ(state.avatarFrame, kAvatarFrame);
  EXPECT_EQ(state.ninthColour, kSignature);
  shot = l.fixture.Snapshot();
  EXPECT_EQ(shot.At(s.left, (s.top + s.bottom) / 2), kWhite);
}

TEST(Paint, OnlineRowsShowTheAvatarOfflineRowsTheGreyOneAndABlackName) {
  SmallList l;
  Capture shot = l.fixture.Snapshot();
  const COLORREF nameColour = RGB(0, 0, 160);
  struct Case {
    int entry;
    COLORREF picture;
    bool nameInColour;
  };
  const Case cases[] = {{1, RGB(255, 0, 0), true}, {2, RGB(76, 76, 76), false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.entry);
    RECT r = l.Rect(c.entry);
    const int t = r.top + 5;  // (54 - 44) / 2
    EXPECT_EQ(shot.At(4, t), kAvatarFrame);
    EXPECT_EQ(shot.At(47, t + 43), kAvatarFrame);
    EXPECT_EQ(shot.At(5, t + 1), kWhite);
    EXPECT_TRUE(Near(shot.At(6, t + 2), c.picture)) << ColourText(shot.At(6, t + 2));
    EXPECT_TRUE(Near(shot.At(26, t + 22), c.picture)) << ColourText(shot.At(26, t + 22));
    EXPECT_TRUE(Near(shot.At(45, t + 41), c.picture));
    const RECT name = {50, t, r.right - 4, t + 13};
    const int coloured = CountNear(shot, name, nameColour);
    const int black = CountNear(shot, name, RGB(0, 0, 0));
    EXPECT_EQ(coloured > 0, c.nameInColour) << coloured;
    EXPECT_EQ(black > 0, !c.nameInColour) << black;
  }
  // Switching the flag swaps the picture and the name colour.
  EXPECT_TRUE(l.fixture.list().SetOnline(l.second));
  shot = l.fixture.Snapshot();
  RECT r = l.Rect(2);
  EXPECT_TRUE(Near(shot.At(26, r.top + 27), RGB(255, 0, 0)));
}

TEST(Paint, AvatarOffsetMovesTheAvatarByOnePixelButNotTheText) {
  SmallList l;
  RECT r = l.Rect(1);
  const int t = r.top + 5;
  Capture before = l.fixture.Snapshot();
  l.fixture.SetAttribute(l.first, attr::kAvatarOffset, 1);
  Capture after = l.fixture.Snapshot();
  EXPECT_EQ(before.At(4, t), kAvatarFrame);
  EXPECT_EQ(after.At(4, t), kWhite);
  EXPECT_EQ(after.At(5, t + 1), kAvatarFrame);
  EXPECT_EQ(after.At(48, t + 44), kAvatarFrame);
  EXPECT_EQ(before.At(6, t + 2), RGB(255, 0, 0));
  EXPECT_EQ(after.At(6, t + 2), kWhite);
  EXPECT_EQ(after.At(7, t + 3), RGB(255, 0, 0));
  // Everything right of the avatar box is unchanged.
  int changed = 0;
  for (int y = r.top; y < r.bottom; ++y) {
    for (int x = 50; x < r.right; ++x) changed += before.At(x, y) != after.At(x, y);
  }
  EXPECT_EQ(changed, 0);
}

TEST(Paint, SignatureIsDrawnGreyUnderTheNameOnlyWhenPresent) {
  SmallList l;
  Capture shot = l.fixture.Snapshot();
  RECT withSignature = l.Rect(1);
  RECT without = l.Rect(2);
  auto signatureArea = [](const RECT& r) { return RECT{50, r.top + 5 + 16, r.right - 4, r.top + 5 + 28}; };
  EXPECT_GT(CountNear(shot, signatureArea(withSignature), kSignature, 20), 0);
  // Only the name: the signature band is plain background.
  EXPECT_EQ(CountNear(shot, signatureArea(without), kWhite, 0),
            (signatureArea(without).right - 50) * 12);
  // The ninth row colour is the signature colour.
  l.fixture.list().SetRowColours({}, {}, {}, {}, {}, {}, {}, {}, Given(RGB(0, 150, 0)));
  shot = l.fixture.Snapshot();
  EXPECT_GT(CountNear(shot, signatureArea(withSignature), RGB(0, 150, 0), 20), 0);
  EXPECT_EQ(CountNear(shot, signatureArea(withSignature), kSignature, 20), 0);
}

TEST(Paint, GroupMarkerShowsClosedAndOpenState) {
  SmallList l;
  Capture shot = l.fixture.Snapshot();
  RECT open = l.Rect(0);
  RECT closed = l.Rect(3);
  const int cell = (24 - 11) / 2;
  // Closed marker: its body at cell (5, 5), its left edge runs down column 3; the open marker's top runs along
  // row 3 of its cell.
  EXPECT_EQ(shot.At(5 + 5, closed.top + cell + 5), kMarkerBlue);
  EXPECT_NE(shot.At(5 + 3, closed.top + cell + 1), kWhite);
  EXPECT_EQ(shot.At(5 + 1, closed.top + cell + 3), kWhite);
  EXPECT_NE(shot.At(5 + 1, open.top + cell + 3), kWhite);
  EXPECT_EQ(shot.At(5 + 3, open.top + cell + 1), kWhite);
  // Transparent magenta never reaches the screen.
  EXPECT_EQ(CountNear(shot, RECT{0, open.top, 25, open.bottom}, RGB(255, 0, 255), 10), 0);
  // The title in the group's colour from x 25.
  EXPECT_GT(CountNear(shot, RECT{25, open.top + 6, open.right - 4, open.bottom - 2}, RGB(160, 0, 0)), 0);
  EXPECT_GT(CountNear(shot, RECT{25, closed.top + 6, closed.right - 4, closed.bottom - 2}, RGB(0, 0, 0)), 0);

  // A click opens the closed group and its marker turns; another click closes it again.
  l.fixture.Select(3);
  shot = l.fixture.Snapshot();
  EXPECT_NE(shot.At(5 + 1, closed.top + cell + 3), kWhite);
  EXPECT_EQ(shot.At(5 + 3, closed.top + cell + 1), kSelectedFill);
  l.fixture.Select(3);
  shot = l.fixture.Snapshot();
  EXPECT_NE(shot.At(5 + 3, closed.top + cell + 1), kSelectedFill);
  EXPECT_EQ(shot.At(5 + 1, closed.top + cell + 3), kSelectedFill);
}

TEST(Paint, ServiceIconsAppearOnlyOnTheHoveredRowWithTheHotIconHighlighted) {
  SmallList l;
  GroupList& list = l.fixture.list();
  const std::string half = test::MakeBmp(16, 16, [](int x, int) { return x < 8 ? RGB(255, 0, 255) : RGB(0, 0, 255); });
  EXPECT_EQ(list.AddServiceIcon(test::SolidBmp(16, 16, RGB(0, 160, 0))), 1);
  EXPECT_EQ(list.AddServiceIcon(half), 2);
  EXPECT_EQ(list.AddServiceIcon(test::SolidIcon(RGB(255, 128, 0)), Given(RGB(1, 1, 1))), 3);
  EXPECT_EQ(list.AddServiceIcon("not a picture"), 0);
  const ControlState& state = l.fixture.state();
  ASSERT_EQ(state.iconCount, 3);
  EXPECT_EQ(test::BitmapSize(state.iconStrip).cx, 48);
  EXPECT_EQ(test::BitmapSize(state.iconStrip).cy, 16);
  EXPECT_EQ(test::BitmapPixel(state.iconStrip, 15, 8), RGB(0, 160, 0));
  EXPECT_EQ(test::BitmapPixel(state.iconStrip, 16, 8), RGB(255, 0, 255));
  EXPECT_EQ(test::BitmapPixel(state.iconStrip, 24, 8), RGB(0, 0, 255));
  EXPECT_EQ(test::BitmapPixel(state.iconStrip, 40, 8), RGB(255, 128, 0));
  EXPECT_EQ(state.iconKeyColours[2], RGB(255, 0, 255));
  EXPECT_EQ(state.iconKeyColours[3], RGB(1, 1, 1));

  ItemHandle row = l.fixture.Row(l.openGroup, "icons", test::SolidBmp(8, 8, RGB(0, 0, 0)), true, "", 0,
                                 {1, 0, 2, 9, 3});
  const int index = l.fixture.IndexOf(row);
  RECT r = l.Rect(index);
  const int y = r.top + 54 - 19 + 8;  // middle of the icon cells
  // Not hovered: no icons.
  Capture shot = l.fixture.Snapshot();
  EXPECT_EQ(CountNear(shot, RECT{50, r.top + 35, r.right, r.top + 51}, kWhite, 0), (r.right - 50) * 16);

  // Hovered away from the icons: icon 1 at x 50, icon 2 at 68 (0 and 9 take no place), icon 3 at 86.
  l.fixture.Hover(index, 150, 3);
  shot = l.fixture.Snapshot();
  EXPECT_EQ(shot.At(58, y), RGB(0, 160, 0));
  EXPECT_EQ(shot.At(70, y), kHoverFill);  // the magenta half of icon 2 is transparent
  EXPECT_EQ(shot.At(80, y), RGB(0, 0, 255));
  EXPECT_EQ(shot.At(94, y), RGB(255, 128, 0));
  EXPECT_EQ(shot.At(110, y), kHoverFill);
  EXPECT_EQ(shot.At(67, y), kHoverFill);
  // Other rows show none.
  RECT first = l.Rect(1);
  EXPECT_EQ(shot.At(58, first.top + 43), kWhite);

  // The mouse over icon 2 makes it hot: its cell grown by one pixel is filled and framed.
  l.fixture.Hover(index, 75, 54 - 19 + 8);
  EXPECT_EQ(l.fixture.state().hotIcon, 2);
  shot = l.fixture.Snapshot();
  EXPECT_EQ(shot.At(67, r.top + 34), kHotFrame);
  EXPECT_EQ(shot.At(84, r.top + 51), kHotFrame);
  EXPECT_EQ(shot.At(70, y), kHotFill);
  EXPECT_EQ(shot.At(80, y), RGB(0, 0, 255));
  EXPECT_EQ(shot.At(49, r.top + 34), kHoverFill);

  // -1 turns either part of the highlight off.
  list.SetIconHighlightColours(Given<int32_t>(-1), Given<int32_t>(RGB(9, 9, 9)));
  shot = l.fixture.Snapshot();
  EXPECT_EQ(shot.At(70, y), kHoverFill);
  EXPECT_EQ(shot.At(67, r.top + 34), RGB(9, 9, 9));
  list.SetIconHighlightColours(Given<int32_t>(-1), Given<int32_t>(-1));
  shot = l.fixture.Snapshot();
  EXPECT_EQ(shot.At(67, r.top + 34), kHoverFill);
  list.SetIconHighlightColours();
  EXPECT_EQ(l.fixture.state().iconHotFill, static_cast<int32_t>(kHotFill));
  EXPECT_EQ(l.fixture.state().iconHotFrame, static_cast<int32_t>(kHotFrame));
}

TEST(Paint, IconsThatDoNotFitAreNotDrawn) {
  SmallList l(84);  // icon 2 would end at x 84, the entry's width
  ASSERT_EQ(l.fixture.list().AddServiceIcon(test::SolidBmp(16, 16, RGB(0, 160, 0))), 1);
  ASSERT_EQ(l.fixture.list().AddServiceIcon(test::SolidBmp(16, 16, RGB(0, 0, 255))), 2);
  ItemHandle row = l.fixture.Row(l.openGroup, "x", test::SolidBmp(8, 8, 0), true, "", 0, {1, 2});
  const int index = l.fixture.IndexOf(row);
  RECT r = l.Rect(index);
  ASSERT_EQ(r.right - r.left, 84);
  l.fixture.Hover(index, 30, 3);
  Capture shot = l.fixture.Snapshot();
  EXPECT_EQ(shot.At(58, r.top + 43), RGB(0, 160, 0));
  EXPECT_EQ(CountNear(shot, RECT{66, r.top + 30, 84, r.bottom}, RGB(0, 0, 255), 10), 0);
}

TEST(Paint, MediumAndSmallRowsUseTheirOwnLayout) {
  struct Case {
    int mode;
    int height;
    bool avatar;
    int textLeft;
  };
  const Case cases[] = {{1, 30, true, 30}, {2, 20, false, 5}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.mode);
    ListFixture fixture(260, 200, c.mode);
    ItemHandle group = fixture.Group("g", true);
    fixture.Row(group, "WWWW", test::SolidBmp(10, 10, RGB(255, 0, 0)), true, "never shown", RGB(0, 0, 160));
    RECT r = fixture.EntryRect(1);
    ASSERT_EQ(r.bottom - r.top, c.height);
    Capture shot = fixture.Snapshot();
    const int t = r.top + 3;  // (30 - 24) / 2
    EXPECT_EQ(shot.At(4, t) == kAvatarFrame, c.avatar);
    EXPECT_EQ(Near(shot.At(15, t + 12), RGB(255, 0, 0)), c.avatar);
    if (c.avatar) {
      EXPECT_EQ(shot.At(27, t + 23), kAvatarFrame);
      EXPECT_TRUE(Near(shot.At(25, t + 21), RGB(255, 0, 0)));
    }
    // The name is centred vertically from its left edge; small rows are black whatever the name colour.
    const COLORREF text = c.mode == 2 ? RGB(0, 0, 0) : RGB(0, 0, 160);
    EXPECT_GT(CountNear(shot, RECT{c.textLeft, r.top, c.textLeft + 40, r.bottom}, text), 0);
    EXPECT_EQ(CountNear(shot, RECT{0, r.top, c.textLeft - 1, r.bottom}, text, 10), 0);
    EXPECT_EQ(CountNear(shot, r, kSignature, 10), 0);
  }
}

TEST(Paint, EntriesThatCannotBeReadAreNotDrawn) {
  SmallList l;
  Capture before = l.fixture.Snapshot();
  HDC dc = GetDC(l.fixture.listWindow());
  RECT everything = {0, 0, 260, 300};
  PaintEntry(l.fixture.listWindow(), 99, &everything, dc);
  PaintEntry(l.fixture.listWindow(), -1, &everything, dc);
  PaintEntry(l.fixture.listWindow(), 40);
  PaintEntry(nullptr, 0);
  ReleaseDC(l.fixture.listWindow(), dc);
  Capture after = test::CaptureClient(l.fixture.listWindow());
  EXPECT_EQ(before.pixels, after.pixels);
}

TEST(Paint, PaintingReleasesEveryObjectItMakes) {
  SmallList l;
  GroupList& list = l.fixture.list();
  list.AddServiceIcon(test::SolidBmp(16, 16, RGB(0, 160, 0)));
  ItemHandle row = l.fixture.Row(l.openGroup, "icons", test::SolidBmp(8, 8, 0), true, "s", 0, {1, 1});
  const int rowIndex = l.fixture.IndexOf(row);
  l.fixture.list().SetRowColours(Given(1));
  auto paintAll = [&] {
    for (int i = 0; i < 5; ++i) PaintEntry(l.fixture.listWindow(), i);
    l.fixture.Hover(rowIndex, 52, 54 - 19 + 8);
    l.fixture.Select(1);
    l.fixture.Hover(0);
  };
  paintAll();
  const int before = test::FreeGdiCapacity();
  for (int i = 0; i < 20; ++i) paintAll();
  EXPECT_EQ(test::FreeGdiCapacity(), before);
  // A grown icon strip replaces the old one; icon data and pictures that fail leave nothing either.
  for (int i = 0; i < 10; ++i) {
    list.AddServiceIcon(test::SolidBmp(16, 16, RGB(i, 0, 0)));
    list.AddServiceIcon(test::SolidIcon(RGB(0, i, 0)));
    list.AddServiceIcon("garbage");
  }
  EXPECT_EQ(l.fixture.state().iconCount, 21);
  EXPECT_EQ(test::FreeGdiCapacity(), before);
}

TEST(IconLayout, PlacesValidNumbersSideBySideFromX50) {
  struct Case {
    const char* name;
    int iconCount;
    int count;
    std::vector<int32_t> numbers;
    std::vector<int32_t> laidOut;
  };
  const Case cases[] = {
      {"none", 3, 0, {1, 2}, {}},
      {"fewer numbers than the count", 3, 3, {1, 2}, {}},
      {"all valid", 3, 3, {3, 1, 2}, {3, 1, 2}},
      {"0 and too large take no place", 3, 5, {1, 0, 2, 9, 3}, {1, 2, 3}},
      {"count limits the numbers used", 3, 1, {2, 3}, {2}},
      {"negative", 3, 2, {-1, 1}, {1}},
      {"empty strip", 0, 2, {1, 2}, {}},
  };
  const RECT entry = {0, 100, 200, 154};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    IconLayout layout = LayoutIcons(c.iconCount, c.count, c.numbers, entry);
    EXPECT_EQ(layout.numbers, c.laidOut);
    ASSERT_EQ(layout.rects.size(), c.laidOut.size());
    for (size_t k = 0; k < layout.rects.size(); ++k) {
      EXPECT_EQ(layout.rects[k].left, 50 + 18 * static_cast<int>(k));
      EXPECT_EQ(layout.rects[k].right, 66 + 18 * static_cast<int>(k));
      EXPECT_EQ(layout.rects[k].top, 35);
      EXPECT_EQ(layout.rects[k].bottom, 51);
    }
  }
  // Strict containment: edges do not hit.
  IconLayout two = LayoutIcons(2, 2, {1, 2}, entry);
  struct Hit {
    int x, y, icon;
  };
  const Hit hits[] = {{51, 36, 1}, {65, 50, 1}, {50, 40, 0}, {66, 40, 0}, {67, 40, 0}, {69, 40, 2},
                      {60, 35, 0}, {60, 51, 0}, {83, 50, 2}, {84, 40, 0}, {10, 10, 0}};
  for (const Hit& h : hits) EXPECT_EQ(HitTestIcons(two, h.x, h.y), h.icon) << h.x << "," << h.y;
}

}  // namespace
}  // namespace trr
