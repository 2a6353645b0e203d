// Group operations keep the document and the ListBox in step: positions, flags, entries and heights.
#include <gtest/gtest.h>

#include <map>

#include "listctrl/list_box.h"
#include "listctrl/pictures.h"
#include "tests/listctrl/core_fixture.h"

namespace trr::test {
namespace {

class GroupOperationsTest : public CoreListFixture {};

TEST_F(GroupOperationsTest, AddGroupAppendsA24PixelHeader) {
  CreateList(1, 1);
  const ItemHandle previous = list.NewItemHandle();
  const ItemHandle group = list.AddGroup("甲");
  EXPECT_EQ(group, previous + 1);
  EXPECT_EQ(Entries(), (std::vector<ItemHandle>{group}));
  EXPECT_EQ(Heights(), (std::vector<int>{24}));
  EXPECT_EQ(ListIndex(group), 0);
  EXPECT_EQ(Attribute(group, attr::kExpanded), "0");
  EXPECT_EQ(list.GetGroupName(group), "甲");
}

TEST_F(GroupOperationsTest, ExpandingAndCollapsingAMiddleGroupMovesLaterPositions) {
  CreateList(0, 0);
  const ItemHandle a = list.AddGroup("A", Given(true));
  const ItemHandle a1 = AddRow(a, "a1");
  const ItemHandle b = list.AddGroup("B");
  const ItemHandle b1 = AddRow(b, "b1"), b2 = AddRow(b, "b2"), b3 = AddRow(b, "b3");
  const ItemHandle c = list.AddGroup("C");
  ASSERT_TRUE(Consistent());
  EXPECT_EQ(Entries(), (std::vector<ItemHandle>{a, a1, b, c}));
  EXPECT_EQ(ListIndex(b1), -1);

  EXPECT_TRUE(list.ExpandGroup(b));
  EXPECT_EQ(Entries(), (std::vector<ItemHandle>{a, a1, b, b1, b2, b3, c}));
  EXPECT_EQ((std::vector<int>{ListIndex(b1), ListIndex(b2), ListIndex(b3), ListIndex(c)}),
            (std::vector<int>{3, 4, 5, 6}));
  EXPECT_EQ(Heights(), (std::vector<int>{24, 54, 24, 54, 54, 54, 24}));
  EXPECT_TRUE(Consistent());
  EXPECT_TRUE(list.ExpandGroup(b)) << "already expanded";
  EXPECT_EQ(Entries().size(), 7u);

  EXPECT_TRUE(list.CollapseGroup(b));
  EXPECT_EQ(Entries(), (std::vector<ItemHandle>{a, a1, b, c}));
  EXPECT_EQ((std::vector<int>{ListIndex(b1), ListIndex(b2), ListIndex(b3), ListIndex(c)}),
            (std::vector<int>{-1, -1, -1, 3}));
  EXPECT_TRUE(list.CollapseGroup(b)) << "already collapsed";
  EXPECT_EQ(Entries().size(), 4u);
  EXPECT_TRUE(Consistent());

  // Rows are not groups; handles that name nothing are refused too.
  EXPECT_FALSE(list.ExpandGroup(a1));
  EXPECT_FALSE(list.CollapseGroup(a1));
  EXPECT_FALSE(list.ExpandGroup(12345));
  EXPECT_EQ(list.GetGroupName(12345), "");

  list.ExpandAllGroups();
  EXPECT_EQ(Entries(), (std::vector<ItemHandle>{a, a1, b, b1, b2, b3, c}));
  EXPECT_TRUE(Consistent());
  list.CollapseAllGroups();
  EXPECT_EQ(Entries(), (std::vector<ItemHandle>{a, b, c}));
  EXPECT_TRUE(Consistent());
}

TEST_F(GroupOperationsTest, SelectionStaysOnItsEntryWhenGroupsOpenAndClose) {
  CreateList(1, 1);
  const ItemHandle a = list.AddGroup("A");
  AddRow(a, "a1");
  AddRow(a, "a2");
  const ItemHandle b = list.AddGroup("B", Given(true));
  const ItemHandle b1 = AddRow(b, "b1");
  list.SelectItem(b1);
  EXPECT_EQ(State().selectedIndex, 2);
  EXPECT_EQ(Heights(), (std::vector<int>{24, 24, 54}));
  list.ExpandGroup(a);
  // The selected row moved down with its entry and keeps its enlarged height; the shown rows are normal.
  EXPECT_EQ(State().selectedIndex, 4);
  EXPECT_EQ(Heights(), (std::vector<int>{24, 30, 30, 24, 54}));
  EXPECT_TRUE(Consistent());
  RowData row;
  ASSERT_TRUE(list.GetSelectedItemInfo(row));
  EXPECT_EQ(row.handle, b1);
  list.CollapseGroup(a);
  EXPECT_EQ(State().selectedIndex, 2);
  EXPECT_TRUE(Consistent());
  // Collapsing the selected row's own group clears the selection.
  list.CollapseGroup(b);
  EXPECT_EQ(State().selectedIndex, -1);
  EXPECT_FALSE(list.GetSelectedItemInfo(row));
  EXPECT_TRUE(Consistent());
}

TEST_F(GroupOperationsTest, FindGroupByNameReturnsTheFirstOfEqualTitles) {
  CreateList(0, 0);
  const ItemHandle first = list.AddGroup("同名");
  list.AddGroup("其他");
  list.AddGroup("同名");
  EXPECT_EQ(list.FindGroupByName("同名"), first);
  EXPECT_EQ(list.FindGroupByName("其他"), first + 1);
  EXPECT_EQ(list.FindGroupByName("同"), 0);
}

TEST_F(GroupOperationsTest, ClearAndRemoveGroupsWithAndWithoutAHandle) {
  CreateList(0, 0);
  const ItemHandle a = list.AddGroup("A", Given(true));
  AddRow(a, "a1", false);
  const ItemHandle b = list.AddGroup("B", Given(true));
  const ItemHandle b1 = AddRow(b, "b1", false), b2 = AddRow(b, "b2");
  const ItemHandle c = list.AddGroup("C", Given(true));
  const ItemHandle c1 = AddRow(c, "c1", true, nullptr, pictureB);
  const ItemHandle d = list.AddGroup("D");
  AddRow(d, "d1");
  EXPECT_EQ(LiveAvatarBitmapCount(), 3);  // picture A, its grey copy, picture B
  list.SelectItem(c1);
  const size_t elements = State().document.IndexSize();

  EXPECT_FALSE(list.ClearGroups(Given<ItemHandle>(999)));
  EXPECT_FALSE(list.RemoveGroup(Given<ItemHandle>(b1))) << "a row is not a group";
  EXPECT_FALSE(list.ClearGroups(Given<ItemHandle>(b1)));
  EXPECT_EQ(State().document.IndexSize(), elements);
  EXPECT_TRUE(Consistent());

  EXPECT_TRUE(list.ClearGroups(Given(b)));
  EXPECT_EQ(Entries(), (std::vector<ItemHandle>{a, Entries()[1], b, c, c1, d}));
  EXPECT_EQ(Attribute(b, attr::kExpanded), "1");
  EXPECT_EQ(Attribute(b1, attr::kHandle), "<absent>");
  EXPECT_EQ(Attribute(b2, attr::kHandle), "<absent>");
  EXPECT_EQ(State().selectedIndex, 4) << "the selected row moved up with its entry";
  EXPECT_TRUE(Consistent());

  EXPECT_TRUE(list.RemoveGroup(Given(a)));
  EXPECT_EQ(Entries(), (std::vector<ItemHandle>{b, c, c1, d}));
  EXPECT_EQ(LiveAvatarBitmapCount(), 2);  // picture A for d1, picture B
  EXPECT_TRUE(Consistent());

  EXPECT_TRUE(list.ClearGroups());
  EXPECT_EQ(Entries(), (std::vector<ItemHandle>{b, c, d}));
  EXPECT_EQ(State().selectedIndex, -1);
  EXPECT_EQ(LiveAvatarBitmapCount(), 0);
  EXPECT_TRUE(Consistent());

  EXPECT_TRUE(list.RemoveGroup());
  EXPECT_TRUE(Entries().empty());
  EXPECT_EQ(State().document.IndexSize(), 0u);
  EXPECT_TRUE(State().document.Children(State().document.Root().Get()).empty());
  EXPECT_TRUE(Consistent());
}

TEST_F(GroupOperationsTest, SortPutsOnlineRowsFirstAndKeepsEntriesAndBitmaps) {
  CreateList(1, 1);
  const ItemHandle g = list.AddGroup("G", Given(true));
  const ItemHandle off1 = AddRow(g, "off1", false), on1 = AddRow(g, "on1", true, nullptr, pictureB);
  const ItemHandle off2 = AddRow(g, "off2", false), on2 = AddRow(g, "on2");
  const ItemHandle hidden = list.AddGroup("H");
  const ItemHandle h1 = AddRow(hidden, "h1", false), h2 = AddRow(hidden, "h2");
  list.SelectItem(off2);
  const std::vector<int> heights = Heights();
  std::map<ItemHandle, std::string> avatars;
  for (ItemHandle row : {off1, on1, off2, on2, h1, h2})
    avatars[row] = Attribute(row, attr::kAvatar) + "/" + Attribute(row, attr::kGreyAvatar);
  const int bitmaps = LiveAvatarBitmapCount();

  list.SortAllGroups();
  EXPECT_EQ(Entries(), (std::vector<ItemHandle>{g, on1, on2, off1, off2, hidden}));
  EXPECT_EQ(Heights(), heights) << "entries keep their places and heights";
  EXPECT_EQ(State().selectedIndex, 3);
  std::vector<ElementPtr> rows = State().document.Children(State().document.Find(hidden).Get());
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(GetAttributeInt(rows[0].Get(), attr::kHandle), h2);
  EXPECT_EQ(ListIndex(h1), -1);
  for (auto& [row, bitmapsOfRow] : avatars)
    EXPECT_EQ(Attribute(row, attr::kAvatar) + "/" + Attribute(row, attr::kGreyAvatar), bitmapsOfRow);
  EXPECT_EQ(LiveAvatarBitmapCount(), bitmaps);
  EXPECT_TRUE(Consistent());
}

}  // namespace
}  // namespace trr::test
