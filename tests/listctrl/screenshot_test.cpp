// A populated control saved as a PNG beside the test programs, to look at; it also checks the parts a user
// would notice first.
#include <gtest/gtest.h>

#include "tests/listctrl/list_fixture.h"
#include "tests/listctrl/paint_probe.h"
#include "tests/listctrl/test_pictures.h"

namespace trr {
namespace {

// A round face on a coloured background.
std::string FaceAvatar(COLORREF background, COLORREF face) {
  return test::MakeBmp(40, 40, [=](int x, int y) {
    const int dx = x - 20;
    const int dy = y - 22;
    if ((x - 14) * (x - 14) + (y - 17) * (y - 17) < 6 || (x - 26) * (x - 26) + (y - 17) * (y - 17) < 6) {
      return RGB(40, 40, 40);
    }
    if (dy > 4 && dy < 8 && dx > -7 && dx < 7) return RGB(200, 60, 60);
    return dx * dx + dy * dy < 14 * 14 ? face : background;
  });
}

// A 16 x 16 icon: a shape on magenta.
std::string ShapeIcon(COLORREF colour, int kind) {
  return test::MakeBmp(16, 16, [=](int x, int y) {
    const bool inside = kind == 0   ? (x - 8) * (x - 8) + (y - 8) * (y - 8) < 36
                        : kind == 1 ? x > 2 && x < 13 && y > 2 && y < 13
                                    : y > 2 && y < 14 && x >= 8 - (y - 2) / 2 && x <= 8 + (y - 2) / 2;
    return inside ? colour : RGB(255, 0, 255);
  });
}

TEST(Screenshot, PopulatedListShowsGroupsRowsAndTheHoveredRowsIcons) {
  test::ListFixture fixture(280, 460);
  GroupList& list = fixture.list();
  list.AddServiceIcon(ShapeIcon(RGB(230, 80, 40), 0));
  list.AddServiceIcon(ShapeIcon(RGB(40, 140, 220), 1));
  list.AddServiceIcon(ShapeIcon(RGB(60, 170, 60), 2));
  const std::string a = FaceAvatar(RGB(120, 180, 240), RGB(255, 220, 170));
  const std::string b = FaceAvatar(RGB(250, 190, 90), RGB(255, 230, 200));
  const std::string c = FaceAvatar(RGB(160, 220, 150), RGB(240, 210, 160));

  ItemHandle music = fixture.Group("音乐电台", true, RGB(0, 0, 0));
  ItemHandle hovered = fixture.Row(music, "中国之声", a, true, "新闻和报纸摘要", RGB(0, 0, 0), {1, 2, 3});
  fixture.Row(music, "经典音乐广播", b, true, "全天古典音乐", RGB(200, 0, 0));
  ItemHandle selected = fixture.Row(music, "Easy FM", c, false, "暂时离线");
  fixture.Group("交通台", false);
  ItemHandle local = fixture.Group("地方台", true, RGB(0, 90, 160));
  fixture.Row(local, "北京文艺广播", b, true);
  fixture.Row(local, "上海动感101", a, true, "流行音乐", RGB(0, 120, 0), {2});

  fixture.Select(fixture.IndexOf(selected));
  const int hoverIndex = fixture.IndexOf(hovered);
  fixture.Hover(hoverIndex, 60, 54 - 19 + 8);
  test::Capture shot = fixture.Snapshot();
  ASSERT_GT(shot.width, 0);
  EXPECT_TRUE(test::SavePng(shot, "listctrl_paint_screenshot.png"));

  // The hovered row carries its three icons, the first one hot; the row with one icon shows none.
  RECT r = fixture.EntryRect(hoverIndex);
  EXPECT_GT(test::CountNear(shot, RECT{50, r.top + 35, 66, r.top + 51}, RGB(230, 80, 40), 10), 20);
  EXPECT_GT(test::CountNear(shot, RECT{86, r.top + 35, 102, r.top + 51}, RGB(60, 170, 60), 10), 20);
  EXPECT_EQ(shot.At(49, r.top + 34), RGB(206, 138, 67));
  EXPECT_EQ(test::CountNear(shot, RECT{0, 0, shot.width, shot.height}, RGB(255, 0, 255), 20), 0);
}

}  // namespace
}  // namespace trr
