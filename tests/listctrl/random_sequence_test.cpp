// Thousands of random operations and mouse clicks, with the full consistency check after each one, and the
// rows' bitmaps counted against what the rows name.
#include <gtest/gtest.h>

#include <cstdio>
#include <random>
#include <set>

#include "listctrl/list_box.h"
#include "listctrl/pictures.h"
#include "tests/listctrl/core_fixture.h"

namespace trr::test {
namespace {

class RandomSequenceTest : public CoreListFixture {
 protected:
  // Every live row's avatar and grey avatar; the shared store must hold exactly these bitmaps.
  std::set<std::string> BitmapsNamedByRows() {
    std::set<std::string> bitmaps;
    for (const ElementPtr& group : State().document.Children(State().document.Root().Get()))
      for (const ElementPtr& row : State().document.Children(group.Get()))
        for (const char* name : {attr::kAvatar, attr::kGreyAvatar}) {
          std::string value = GetAttributeText(row.Get(), name);
          if (value != "0") bitmaps.insert(value);
        }
    return bitmaps;
  }
};

TEST_F(RandomSequenceTest, EveryOperationKeepsDocumentAndListBoxInStep) {
  const unsigned seed = 20261209;
  std::printf("random sequence seed %u\n", seed);
  std::mt19937 random(seed);
  auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
  CreateList(1, 1, 300, 800);
  std::vector<ItemHandle> handles;  // groups and rows ever made, live or not
  std::vector<ItemHandle> groups;
  ItemHandle lastInserted = 0;
  const std::string pictures[] = {pictureA, pictureB, SolidBmp(5, 5, RGB(0, 160, 0))};
  auto anyHandle = [&]() -> ItemHandle { return handles.empty() || pick(20) == 0 ? 777 : handles[pick(handles.size())]; };
  auto anyGroup = [&]() -> ItemHandle { return groups.empty() || pick(10) == 0 ? anyHandle() : groups[pick(groups.size())]; };

  for (int step = 0; step < 3000; ++step) {
    const int operation = pick(110);
    std::string what;
    if (operation >= 103) {
      // Inserts a group, or refills one (an inserted one is refilled in place; any other handle inserts anew).
      const bool refill = operation >= 106;
      what = refill ? "InsertGroupWithRows(refill)" : "InsertGroupWithRows";
      RowData rowTemplate;
      rowTemplate.avatarPicture = pictures[pick(3)];
      rowTemplate.online = pick(2) == 0;
      const std::string names[] = {"i1", "i2", "i3", "i4", "i5"};
      GroupRows inserted{"i" + std::to_string(step), {}};
      for (int k = pick(6); k > 0; --k) inserted.rows.push_back(RowText{names[k - 1], "n"});
      std::vector<ItemHandle> rows;
      const ItemHandle target = !refill ? 0 : pick(2) == 0 ? lastInserted : anyGroup();
      const ItemHandle g = list.InsertGroupWithRows(pick(static_cast<int>(groups.size()) + 2) - 1, inserted,
                                                    rowTemplate, pick(2) == 0, target, &rows);
      lastInserted = g;
      groups.push_back(g);
      handles.push_back(g);
      for (ItemHandle row : rows) handles.push_back(row);
    } else if (operation >= 100) {
      what = "RemoveGroupWithRows";
      list.RemoveGroupWithRows(anyGroup());
    } else if (operation < 8) {
      what = "AddGroup";
      ItemHandle g = list.AddGroup("g" + std::to_string(step), Given(pick(2) == 0));
      groups.push_back(g);
      handles.push_back(g);
    } else if (operation < 40) {
      what = "AddItem";
      std::vector<int32_t> icons{1, 2};
      ItemHandle row = AddRow(anyGroup(), "r" + std::to_string(step), pick(2) == 0, pick(3) == 0 ? &icons : nullptr,
                              pictures[pick(3)]);
      if (row) handles.push_back(row);
    } else if (operation < 50) {
      what = "RemoveItem";
      list.RemoveItem(anyHandle());
    } else if (operation < 58) {
      what = "Expand/Collapse";
      if (pick(2)) list.ExpandGroup(anyGroup()); else list.CollapseGroup(anyGroup());
    } else if (operation < 61) {
      what = "Expand/Collapse all";
      if (pick(2)) list.ExpandAllGroups(); else list.CollapseAllGroups();
    } else if (operation < 68) {
      what = "SelectItem";
      list.SelectItem(anyHandle());
    } else if (operation < 71) {
      what = "Sort";
      if (pick(2)) {
        list.SortAllGroups();
      } else if (ElementPtr g = State().document.Find(anyGroup())) {
        list.SortGroupRows(State().document.Dom(), g.Get());
      }
    } else if (operation < 79) {
      what = "Online/Offline";
      if (pick(2)) list.SetOnline(anyHandle()); else list.SetOffline(anyHandle());
    } else if (operation < 81) {
      what = "ClearGroups(handle)";
      list.ClearGroups(Given(anyGroup()));
    } else if (operation < 83) {
      what = "RemoveGroup(handle)";
      list.RemoveGroup(Given(anyGroup()));
    } else if (operation == 83) {
      what = pick(2) ? "ClearGroups()" : "RemoveGroup()";
      if (what == "ClearGroups()") list.ClearGroups(); else list.RemoveGroup();
    } else if (operation < 86) {
      what = "view";
      const int view = pick(3);
      if (view == 0) list.SetLargeView();
      else if (view == 1) list.SetMediumView(Given(pick(2)));
      else list.SetSmallView(Given(pick(2)));
    } else if (operation < 94) {
      what = "click";
      const int y = pick(800);
      SendMessageA(list.listWindow(), WM_LBUTTONUP, 0, MAKELPARAM(10 + pick(200), y));
    } else {
      what = "mouse move";
      SendMessageA(list.listWindow(), WM_MOUSEMOVE, 0, MAKELPARAM(10 + pick(200), pick(800)));
    }
    ASSERT_TRUE(Consistent()) << "step " << step << ": " << what;
    ASSERT_EQ(static_cast<int>(BitmapsNamedByRows().size()), LiveAvatarBitmapCount()) << "step " << step << ": " << what;
  }
  list.RemoveGroup();
  EXPECT_EQ(LiveAvatarBitmapCount(), 0);
}

}  // namespace
}  // namespace trr::test
