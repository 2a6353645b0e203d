// Row operations: where rows land, what rejections leave untouched, selection heights, the online blink and
// the rows' avatar bitmaps.
#include <gtest/gtest.h>

#include "listctrl/list_box.h"
#include "listctrl/pictures.h"
#include "tests/harness/message_pump.h"
#include "tests/listctrl/core_fixture.h"

namespace trr::test {
namespace {

class ItemOperationsTest : public CoreListFixture {};

TEST_F(ItemOperationsTest, RowsLandInCollapsedMiddleAndLastGroups) {
  CreateList(0, 0);
  const ItemHandle a = list.AddGroup("A", Given(true));
  const ItemHandle a1 = AddRow(a, "a1");
  const ItemHandle b = list.AddGroup("B");
  const ItemHandle c = list.AddGroup("C", Given(true));

  RowData row;
  row.groupHandle = b;
  row.avatarPicture = pictureA;
  ASSERT_TRUE(list.AddItem(row));
  EXPECT_GT(row.handle, 0) << "the new handle comes back in the record";
  EXPECT_EQ(ListIndex(row.handle), -1);
  EXPECT_EQ(Entries(), (std::vector<ItemHandle>{a, a1, b, c}));

  const ItemHandle a2 = AddRow(a, "a2");
  EXPECT_EQ(Entries(), (std::vector<ItemHandle>{a, a1, a2, b, c})) << "after A's last row, before B";
  EXPECT_EQ((std::vector<int>{ListIndex(a2), ListIndex(b), ListIndex(c)}), (std::vector<int>{2, 3, 4}));
  const ItemHandle c1 = AddRow(c, "c1"), c2 = AddRow(c, "c2");
  EXPECT_EQ(Entries(), (std::vector<ItemHandle>{a, a1, a2, b, c, c1, c2})) << "appended at the end";
  EXPECT_EQ(Heights(), (std::vector<int>{24, 54, 54, 24, 24, 54, 54}));
  EXPECT_TRUE(Consistent());
}

TEST_F(ItemOperationsTest, RejectedRowsLeaveEverythingUntouched) {
  CreateList(0, 0);
  const ItemHandle g = list.AddGroup("G", Given(true));
  const ItemHandle r = AddRow(g, "r");
  const std::vector<ItemHandle> entries = Entries();
  const size_t elements = State().document.IndexSize();
  const int bitmaps = LiveAvatarBitmapCount();
  struct Case {
    const char* what;
    ItemHandle group;
    std::string picture;
  };
  const Case cases[] = {{"group 0", 0, pictureA},           {"group -1", -1, pictureA},
                        {"row as group", r, pictureA},       {"unknown group", 424242, pictureA},
                        {"empty picture", g, ""},            {"not a picture", g, "GIF89a but not really"}};
  for (const Case& c : cases) {
    RowData row;
    row.handle = 7;
    row.groupHandle = c.group;
    row.avatarPicture = c.picture;
    EXPECT_FALSE(list.AddItem(row)) << c.what;
    EXPECT_EQ(row.handle, 7) << c.what;
    EXPECT_EQ(Entries(), entries) << c.what;
    EXPECT_EQ(State().document.IndexSize(), elements) << c.what;
    EXPECT_EQ(LiveAvatarBitmapCount(), bitmaps) << c.what;
  }
  EXPECT_TRUE(Consistent());
}

TEST_F(ItemOperationsTest, RemoveItemResetsSelectionRenumbersAndRefusesGroups) {
  CreateList(1, 1);
  const ItemHandle g = list.AddGroup("G", Given(true));
  const ItemHandle r1 = AddRow(g, "r1"), r2 = AddRow(g, "r2"), r3 = AddRow(g, "r3");
  const ItemHandle h = list.AddGroup("H", Given(true));
  const ItemHandle h1 = AddRow(h, "h1");
  list.SelectItem(r2);
  EXPECT_TRUE(list.RemoveItem(r2));
  EXPECT_EQ(State().selectedIndex, -1);
  EXPECT_EQ((std::vector<int>{ListIndex(r3), ListIndex(h), ListIndex(h1)}), (std::vector<int>{2, 3, 4}));
  EXPECT_EQ(Heights(), (std::vector<int>{24, 30, 30, 24, 30}));
  EXPECT_FALSE(list.RemoveItem(r2)) << "already removed";
  EXPECT_FALSE(list.RemoveItem(h)) << "groups are removed with RemoveGroup";
  EXPECT_EQ(Entries(), (std::vector<ItemHandle>{g, r1, r3, h, h1}));
  // Removing a row before the selected one keeps the selection on its row.
  list.SelectItem(h1);
  EXPECT_TRUE(list.RemoveItem(r1));
  EXPECT_EQ(State().selectedIndex, 3);
  RowData row;
  ASSERT_TRUE(list.GetSelectedItemInfo(row));
  EXPECT_EQ(row.handle, h1);
  EXPECT_TRUE(Consistent());
}

TEST_F(ItemOperationsTest, ItemInfoReadsChangesAndFinds) {
  CreateList(0, 0);
  const ItemHandle g = list.AddGroup("张三");
  const ItemHandle h = list.AddGroup("H");
  RowData row;
  row.groupHandle = g;
  row.avatarPicture = pictureA;
  row.name = "张三";
  row.number = "001";
  row.nameColour = 0x0000FF;
  row.online = true;
  row.signature = "签名";
  row.remark = "备注";
  ASSERT_TRUE(list.AddItem(row));
  const ItemHandle first = row.handle;
  const ItemHandle second = AddRow(h, "张三");
  RowData read;
  ASSERT_TRUE(list.GetItemInfo(first, read));
  EXPECT_EQ(read.groupHandle, g);
  EXPECT_EQ(read.name, "张三");
  EXPECT_EQ(read.number, "001");
  EXPECT_EQ(read.nameColour, 0x0000FF);
  EXPECT_TRUE(read.online);
  EXPECT_EQ(read.signature, "签名");
  EXPECT_EQ(read.remark, "备注");
  EXPECT_TRUE(read.avatarPicture.empty());

  EXPECT_EQ(list.FindItemByName("张三"), first) << "first in group order; the group title does not count";
  EXPECT_EQ(list.FindItemByNumber("001"), first);
  EXPECT_EQ(list.FindItemByRemark("备注"), first);
  EXPECT_EQ(list.FindItemByAttribute(attr::kSignature, "签名"), first);
  EXPECT_EQ(list.FindItemByName("张"), 0);
  EXPECT_EQ(list.FindItemByNumber("n张三"), second);

  read.name = "李四";
  read.online = false;
  read.groupHandle = h;  // not changed by SetItemInfo
  list.SetItemInfo(read);
  RowData changed;
  ASSERT_TRUE(list.GetItemInfo(first, changed));
  EXPECT_EQ(changed.name, "李四");
  EXPECT_FALSE(changed.online);
  EXPECT_EQ(changed.groupHandle, g);
  EXPECT_NE(Attribute(first, attr::kGreyAvatar), "0") << "an offline row gets its grey avatar";
  EXPECT_EQ(list.FindItemByName("张三"), second);
  EXPECT_EQ(list.GetHandleAt(0), g);
  EXPECT_EQ(list.GetHandleAt(-1), -1);
  EXPECT_EQ(list.GetHandleAt(99), -1);
}

TEST_F(ItemOperationsTest, SelectItemResizesRowsInMediumViewOnly) {
  CreateList(1, 1);
  const ItemHandle g = list.AddGroup("G", Given(true));
  const ItemHandle r1 = AddRow(g, "r1"), r2 = AddRow(g, "r2");
  list.SelectItem(r1);
  EXPECT_EQ(Heights(), (std::vector<int>{24, 54, 30}));
  list.SelectItem(r2);
  EXPECT_EQ(Heights(), (std::vector<int>{24, 30, 54}));
  list.SelectItem(g);
  EXPECT_EQ(Heights(), (std::vector<int>{24, 30, 30}));
  EXPECT_EQ(State().selectedIndex, 0);
  list.SelectItem(r2);
  list.SetLargeView();
  EXPECT_EQ(Heights(), (std::vector<int>{24, 54, 54}));
  list.SelectItem(r1);
  EXPECT_EQ(Heights(), (std::vector<int>{24, 54, 54}));
  list.SetSmallView(Given(1));
  EXPECT_EQ(Heights(), (std::vector<int>{24, 54, 20}));
  list.SetMediumView();
  EXPECT_EQ(Heights(), (std::vector<int>{24, 30, 30}));
  list.SetMediumView(Given(1));
  EXPECT_EQ(Heights(), (std::vector<int>{24, 54, 30})) << "the selected row is enlarged at once";
  EXPECT_TRUE(Consistent());
}

TEST_F(ItemOperationsTest, SetOnlineBlinksForFourIntervalsAndEndsOnline) {
  CreateList(0, 0);
  const ItemHandle g = list.AddGroup("G", Given(true));
  const ItemHandle shown = AddRow(g, "shown", false);
  const ItemHandle online = AddRow(g, "online");
  const ItemHandle h = list.AddGroup("H");
  const ItemHandle hidden = AddRow(h, "hidden", false);
  EXPECT_EQ(Attribute(online, attr::kGreyAvatar), "0");
  EXPECT_NE(Attribute(shown, attr::kGreyAvatar), "0");

  DWORD start = GetTickCount();
  EXPECT_TRUE(list.SetOnline(online, Given(100)));
  EXPECT_LT(GetTickCount() - start, 90u) << "already online: no blink";
  EXPECT_EQ(Attribute(online, attr::kGreyAvatar), "0");

  start = GetTickCount();
  EXPECT_TRUE(list.SetOnline(shown, Given(100)));
  const DWORD elapsed = GetTickCount() - start;
  EXPECT_GE(elapsed, 390u);
  EXPECT_LT(elapsed, 1500u);
  EXPECT_EQ(Attribute(shown, attr::kOnline), "1");

  start = GetTickCount();
  EXPECT_TRUE(list.SetOnline(hidden, Given(100)));
  EXPECT_LT(GetTickCount() - start, 90u) << "a hidden row does not blink";
  EXPECT_EQ(Attribute(hidden, attr::kOnline), "1");

  EXPECT_FALSE(list.SetOnline(g));
  EXPECT_FALSE(list.SetOffline(g));
  EXPECT_FALSE(list.SetOnline(31337));
  EXPECT_EQ(Attribute(g, attr::kOnline), "");
  EXPECT_TRUE(list.SetOffline(online));
  EXPECT_EQ(Attribute(online, attr::kOnline), "0");
  EXPECT_NE(Attribute(online, attr::kGreyAvatar), "0");
  EXPECT_TRUE(Consistent());
}

GroupList* g_blinkList = nullptr;
ItemHandle g_rowToRemove = 0;
void CALLBACK RemoveRowOnTimer(HWND, UINT, UINT_PTR id, DWORD) {
  KillTimer(nullptr, id);
  g_blinkList->RemoveItem(g_rowToRemove);
}

TEST_F(ItemOperationsTest, SetOnlineStopsWhenItsRowIsRemovedDuringTheBlink) {
  CreateList(0, 0);
  const ItemHandle g = list.AddGroup("G", Given(true));
  const ItemHandle row = AddRow(g, "row", false);
  const ItemHandle after = AddRow(g, "after");
  g_blinkList = &list;
  g_rowToRemove = row;
  SetTimer(nullptr, 0, 150, RemoveRowOnTimer);
  EXPECT_FALSE(list.SetOnline(row, Given(100)));
  EXPECT_EQ(Entries(), (std::vector<ItemHandle>{g, after}));
  EXPECT_TRUE(Consistent());
}

TEST_F(ItemOperationsTest, EveryRemovalReleasesSharedAvatarsExactlyOnce) {
  CreateList(0, 0);
  const ItemHandle g = list.AddGroup("G", Given(true));
  const ItemHandle a1 = AddRow(g, "a1", false), a2 = AddRow(g, "a2", false), a3 = AddRow(g, "a3", false);
  const ItemHandle b1 = AddRow(g, "b1", true, nullptr, pictureB);
  EXPECT_EQ(LiveAvatarBitmapCount(), 3);
  const HBITMAP avatarA = reinterpret_cast<HBITMAP>(static_cast<intptr_t>(std::stol(Attribute(a1, attr::kAvatar))));
  EXPECT_EQ(Attribute(a2, attr::kAvatar), Attribute(a1, attr::kAvatar)) << "identical pictures share one bitmap";
  EXPECT_TRUE(list.RemoveItem(a1));
  EXPECT_EQ(LiveAvatarBitmapCount(), 3);
  BITMAP info{};
  EXPECT_TRUE(GetObjectA(avatarA, sizeof info, &info)) << "the other rows' bitmap is still alive";
  EXPECT_EQ(info.bmWidth, 8);
  list.SortAllGroups();
  EXPECT_EQ(LiveAvatarBitmapCount(), 3);
  EXPECT_TRUE(list.SetOffline(b1));
  EXPECT_EQ(LiveAvatarBitmapCount(), 4);
  EXPECT_TRUE(list.RemoveItem(a2));
  EXPECT_TRUE(list.RemoveItem(a3));
  EXPECT_EQ(LiveAvatarBitmapCount(), 2);
  EXPECT_FALSE(GetObjectA(avatarA, sizeof info, &info)) << "released with its last row";
  list.RemoveGroup(Given(g));
  EXPECT_EQ(LiveAvatarBitmapCount(), 0);
}

TEST_F(ItemOperationsTest, DestroyedControlReleasesItsRowsAndAnswersNothing) {
  CreateList(0, 0);
  const ItemHandle g = list.AddGroup("G", Given(true));
  AddRow(g, "a", false);
  EXPECT_GT(LiveAvatarBitmapCount(), 0);
  DestroyWindow(container);
  container = nullptr;
  EXPECT_EQ(LiveAvatarBitmapCount(), 0);
  EXPECT_EQ(list.AddGroup("x"), 0);
  EXPECT_FALSE(list.ExpandGroup(g));
  RowData row;
  EXPECT_FALSE(list.GetItemInfo(g, row));
  EXPECT_EQ(list.GetHandleAt(0), -1);
}

TEST(UncreatedListTest, EveryOperationReturnsItsFailureValue) {
  GroupList list;
  RowData row;
  row.groupHandle = 5;
  row.avatarPicture = "x";
  EXPECT_EQ(list.AddGroup("g"), 0);
  EXPECT_FALSE(list.AddItem(row));
  EXPECT_FALSE(list.RemoveItem(5));
  EXPECT_FALSE(list.GetItemInfo(5, row));
  EXPECT_FALSE(list.GetSelectedItemInfo(row));
  EXPECT_FALSE(list.ExpandGroup(5));
  EXPECT_FALSE(list.CollapseGroup(5));
  EXPECT_FALSE(list.ClearGroups());
  EXPECT_FALSE(list.RemoveGroup());
  EXPECT_FALSE(list.SetOnline(5));
  EXPECT_FALSE(list.SetOffline(5));
  EXPECT_EQ(list.FindGroupByName("g"), 0);
  EXPECT_EQ(list.FindItemByName("g"), 0);
  EXPECT_EQ(list.GetGroupName(5), "");
  EXPECT_EQ(list.GetHandleAt(0), -1);
  EXPECT_EQ(list.Create(nullptr), 0);
}

}  // namespace
}  // namespace trr::test

namespace trr::test {
namespace {

struct BlinkSample {
  GroupList* list;
  ItemHandle row;
  std::vector<std::string> states;
};
BlinkSample g_sample;
void CALLBACK SampleOnline(HWND, UINT, UINT_PTR id, DWORD) {
  KillTimer(nullptr, id);
  RowData row;
  g_sample.list->GetItemInfo(g_sample.row, row);
  g_sample.states.push_back(row.online ? "online" : "offline");
}

TEST_F(ItemOperationsTest, BlinkPassesThroughOfflineAndBack) {
  CreateList(0, 0);
  const ItemHandle g = list.AddGroup("G", Given(true));
  const ItemHandle row = AddRow(g, "row", false);
  g_sample = BlinkSample{&list, row, {}};
  // Flips at 200 (offline), 400 (online), 600 (offline) and 800 ms (online); sample between them.
  SetTimer(nullptr, 0, 300, SampleOnline);
  SetTimer(nullptr, 0, 500, SampleOnline);
  EXPECT_TRUE(list.SetOnline(row, Given(200)));
  EXPECT_EQ(g_sample.states, (std::vector<std::string>{"offline", "online"}));
  EXPECT_EQ(Attribute(row, attr::kOnline), "1");
}

TEST_F(ItemOperationsTest, ReleaseAllListControlsGivesBackEverythingAndTheContainer) {
  container = CreateWindowExA(0, "ListCoreTestContainer", "", WS_POPUP | WS_VISIBLE, 0, 0, 200, 200, nullptr,
                              nullptr, GetModuleHandleA(nullptr), nullptr);
  const LONG_PTR containerProc = GetWindowLongPtrA(container, GWLP_WNDPROC);
  ASSERT_EQ(list.Create(container), 1);
  const LONG_PTR listBoxProc = GetWindowLongPtrA(FindWindowExA(container, nullptr, "ListBox", nullptr), GWLP_WNDPROC);
  EXPECT_NE(GetWindowLongPtrA(container, GWLP_WNDPROC), containerProc);
  const ItemHandle g = list.AddGroup("G", Given(true));
  AddRow(g, "a", false);
  AddRow(g, "b", true, nullptr, pictureB);
  EXPECT_EQ(LiveAvatarBitmapCount(), 3);
  ReleaseAllListControls();
  EXPECT_EQ(LiveAvatarBitmapCount(), 0);
  EXPECT_EQ(GetWindowLongPtrA(container, GWLP_WNDPROC), containerProc);
  EXPECT_NE(GetWindowLongPtrA(list.listWindow(), GWLP_WNDPROC), listBoxProc);
  EXPECT_EQ(list.AddGroup("again"), 0);
  EXPECT_FALSE(list.RemoveGroup());
}

}  // namespace
}  // namespace trr::test
