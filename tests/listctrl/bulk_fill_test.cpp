// A bulk fill against the per-item calls it stands for: two controls filled with the same directory, one with
// AddGroup and AddItem, the other with AddGroupsWithRows, must hold the same document, entries, bitmaps and
// pixels; a bulk group's rows and their avatar are made only when first used. A group inserted among others
// with its rows, and removed again, leaves the others, the selection and the hover where they were; refilled,
// it keeps its place, elements and entries, and makes no row elements beyond the most it held.
#include <gtest/gtest.h>

#include "common/gbk_convert.h"
#include "common/gbk_text.h"
#include "listctrl/avatar_flash.h"
#include "listctrl/pictures.h"
#include "tests/harness/message_pump.h"
#include "tests/harness/window_probe.h"
#include "tests/listctrl/core_fixture.h"

namespace trr::test {
namespace {

struct Group {
  std::string title;
  std::vector<std::pair<std::string, std::string>> rows;  // name, number
};

// Text that must reach the document unchanged: markup characters, tabs and line breaks, Chinese.
const std::vector<Group> kDirectory = {
    {"新闻", {{"中国之声", "101"}, {"A&B <台> \"引\" '单'", "x\ty\r\nz"}}},
    {"空组", {}},
    {"新闻", {{"经济之声", "102"}, {"", ""}}},
};

// "ItemN attribute=value ..." of one element, with item handles made relative to `base` so that two controls
// that issued different handles compare equal; `placeless` leaves out the handles and the entry position.
std::string Describe(IXMLDOMElement* element, ItemHandle base, bool placeless = false) {
  std::string line = placeless ? "Item" : "Item" + std::to_string(HandleFromElementName(element) - base);
  ComPtr<IXMLDOMNamedNodeMap> attributes;
  long count = 0;
  if (element->get_attributes(attributes.Receive()) != S_OK || attributes->get_length(&count) != S_OK) count = 0;
  for (long i = 0; i < count; ++i) {
    ComPtr<IXMLDOMNode> attribute;
    BSTR name = nullptr;
    VARIANT value;
    VariantInit(&value);
    attributes->get_item(i, attribute.Receive());
    attribute->get_nodeName(&name);
    attribute->get_nodeValue(&value);
    std::string key = WideToGbk(name), text = value.vt == VT_BSTR ? WideToGbk(value.bstrVal) : "?";
    const bool handle = key == attr::kHandle || key == attr::kGroupHandle;
    if (handle) text = std::to_string(TextToInt(text) - base);
    if (!placeless || (!handle && key != attr::kListIndex)) line += " " + key + "=" + text;
    SysFreeString(name);
    VariantClear(&value);
  }
  return line;
}

// Every element under the root in document order, described relative to `base`.
std::vector<std::string> Shape(ControlState& state, ItemHandle base) {
  std::vector<std::string> lines;
  for (const ElementPtr& group : state.document.Children(state.document.Root().Get())) {
    lines.push_back(Describe(group.Get(), base));
    for (const ElementPtr& row : state.document.Children(group.Get())) lines.push_back(Describe(row.Get(), base));
  }
  return lines;
}

// ListBox entries as "handle - base / height".
std::vector<std::string> EntryShape(HWND listBox, ItemHandle base) {
  std::vector<std::string> entries;
  const int count = static_cast<int>(SendMessageA(listBox, LB_GETCOUNT, 0, 0));
  for (int i = 0; i < count; ++i)
    entries.push_back(std::to_string(SendMessageA(listBox, LB_GETITEMDATA, i, 0) - base) + "/" +
                      std::to_string(SendMessageA(listBox, LB_GETITEMHEIGHT, i, 0)));
  return entries;
}

class BulkFillTest : public CoreListFixture {};

TEST_F(BulkFillTest, GivesWhatPerItemCallsGiveAndMakesRowsWhenFirstUsed) {
  CreateList(1, 1, 250, 400);
  HWND bulkContainer = CreateWindowExA(WS_EX_TOPMOST, "ListCoreTestContainer", "", WS_POPUP | WS_VISIBLE, 260, 0, 250,
                                       400, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
  GroupList bulk;
  ASSERT_EQ(bulk.Create(bulkContainer, {}, Given(1), Given(1)), 1);
  ControlState& bulkState = *FindControlByList(bulk.listWindow());

  for (bool online : {true, false}) {
    SCOPED_TRACE(online ? "online rows" : "offline rows");
    RowData station;
    station.avatarPicture = pictureB;
    station.nameColour = 0xFF8800;
    station.online = online;
    station.signature = "双击收听";
    station.remark = "备注";

    const ItemHandle base = list.NewItemHandle() + 1;
    for (const Group& group : kDirectory) {
      RowData row = station;
      row.groupHandle = list.AddGroup(group.title);
      for (const auto& [name, number] : group.rows) {
        row.name = name;
        row.number = number;
        ASSERT_TRUE(list.AddItem(row));
      }
    }
    RowData extra = station;
    extra.name = "追加";
    extra.groupHandle = base;
    ASSERT_TRUE(list.AddItem(extra));
    const int bitmapsPerItem = LiveAvatarBitmapCount();

    const ItemHandle bulkBase = bulk.NewItemHandle() + 1;
    std::vector<GroupRows> groups;
    for (const Group& group : kDirectory) {
      groups.push_back(GroupRows{group.title, {}});
      for (const auto& [name, number] : group.rows) groups.back().rows.push_back(RowText{name, number});
    }
    ASSERT_EQ(bulk.AddGroupsWithRows(groups, station), 3);
    EXPECT_EQ(bulkState.document.DeferredGroupCount(), 2u);
    EXPECT_EQ(LiveAvatarBitmapCount(), bitmapsPerItem) << "the same picture shares the same bitmaps";

    // Reading one row makes its group's rows only; adding to another deferred group makes that group first
    // (the per-item control got the same row right after its fill, so the handles line up).
    RowData expected, actual;
    ASSERT_TRUE(list.GetItemInfo(base + 5, expected));
    ASSERT_TRUE(bulk.GetItemInfo(bulkBase + 5, actual));
    EXPECT_EQ(bulkState.document.DeferredGroupCount(), 1u);
    EXPECT_EQ(actual.name, expected.name);
    EXPECT_EQ(actual.groupHandle - bulkBase, expected.groupHandle - base);
    extra.groupHandle = bulkBase;
    ASSERT_TRUE(bulk.AddItem(extra));
    EXPECT_EQ(bulkState.document.DeferredGroupCount(), 0u);

    EXPECT_EQ(Shape(bulkState, bulkBase), Shape(State(), base));
    EXPECT_EQ(EntryShape(bulk.listWindow(), bulkBase), EntryShape(list.listWindow(), base));

    // Opened by a click, the first group draws the same pixels in both controls.
    LeftClick(list.listWindow(), 30, 10);
    LeftClick(bulk.listWindow(), 30, 10);
    PumpMessages(100);
    EXPECT_EQ(EntryShape(bulk.listWindow(), bulkBase), EntryShape(list.listWindow(), base));
    EXPECT_EQ(CaptureClient(bulk.listWindow()).pixels, CaptureClient(list.listWindow()).pixels);
    EXPECT_TRUE(Consistent());
    EXPECT_TRUE(CheckListInvariants(bulkState).empty()) << CheckListInvariants(bulkState);

    ASSERT_TRUE(list.RemoveGroup());
    ASSERT_TRUE(bulk.RemoveGroup());
    EXPECT_EQ(LiveAvatarBitmapCount(), 0);
  }

  // The picture is decoded when the first row is made, once for the whole fill; rows never made hold no
  // bitmaps, and bytes that are no picture drop the rows when they are made.
  RowData offline;
  offline.avatarPicture = pictureA;
  std::vector<GroupRows> groups = {GroupRows{"甲", {RowText{"a", "1"}, RowText{"b", "2"}}},
                                   GroupRows{"乙", {RowText{"c", "3"}}}};
  ASSERT_EQ(bulk.AddGroupsWithRows(groups, offline), 2);
  const ItemHandle offlineBase = list.NewItemHandle() + 1;
  ASSERT_EQ(list.AddGroupsWithRows(groups, offline), 2);
  EXPECT_EQ(LiveAvatarBitmapCount(), 0) << "nothing decoded before a row is used";
  RowData made;
  ASSERT_TRUE(list.GetItemInfo(offlineBase + 1, made)) << "the first row of 甲";
  EXPECT_EQ(made.name, "a");
  EXPECT_EQ(LiveAvatarBitmapCount(), 2) << "one colour and one grey bitmap";
  ASSERT_TRUE(bulk.ClearGroups());
  EXPECT_EQ(bulkState.document.DeferredGroupCount(), 0u);
  EXPECT_EQ(bulkState.document.IndexSize(), 2u) << "the two groups stay, without rows";
  DestroyWindow(bulkContainer);
  EXPECT_EQ(State().document.DeferredGroupCount(), 1u);
  EXPECT_EQ(LiveAvatarBitmapCount(), 2) << "the made rows keep theirs";
  ASSERT_TRUE(list.ClearGroups());
  EXPECT_EQ(LiveAvatarBitmapCount(), 0) << "the fill's own references went with its last group";

  RowData broken;
  broken.avatarPicture = "GIF89a but no picture";
  const ItemHandle brokenBase = list.NewItemHandle() + 1;
  ASSERT_EQ(list.AddGroupsWithRows({GroupRows{"丙", {RowText{"d", "4"}}}}, broken), 1);
  EXPECT_FALSE(list.GetItemInfo(brokenBase + 1, made)) << "a row without a picture is refused when made";
  EXPECT_EQ(State().document.DeferredGroupCount(), 0u);
  EXPECT_EQ(LiveAvatarBitmapCount(), 0);
  EXPECT_TRUE(CheckListInvariants(State()).empty()) << CheckListInvariants(State());
}

TEST_F(BulkFillTest, InsertedGroupStandsWhereAskedAndLeavesEverythingAsItWas) {
  CreateList(1, 1, 250, 600);
  const ItemHandle a = list.AddGroup("A", Given(true));
  const ItemHandle a1 = AddRow(a, "a1"), a2 = AddRow(a, "a2");
  const ItemHandle b = list.AddGroup("B");
  AddRow(b, "b1");
  const ItemHandle c = list.AddGroup("C");
  list.SelectItem(a2);
  RECT entry;
  SendMessageA(list.listWindow(), LB_GETITEMRECT, 4, reinterpret_cast<LPARAM>(&entry));
  SendMessageA(list.listWindow(), WM_MOUSEMOVE, 0, MAKELPARAM(20, entry.top + 5));
  ASSERT_EQ(list.GetHandleAt(State().hoverIndex), c);
  const std::vector<ItemHandle> before = Entries();
  const std::vector<int> heightsBefore = Heights();
  const int bitmaps = LiveAvatarBitmapCount();

  RowData station;
  station.avatarPicture = pictureB;
  station.nameColour = 0xFF8800;
  station.online = true;
  station.signature = "双击收听";
  const GroupRows results{"搜索结果", {RowText{"中国之声", "101"}, RowText{"经济之声", "102"}}};
  const ItemHandle top = list.InsertGroupWithRows(0, results, station, true);
  ASSERT_NE(top, 0);
  EXPECT_EQ(Entries(), (std::vector<ItemHandle>{top, top + 1, top + 2, a, a1, a2, b, c}));
  EXPECT_EQ(Heights(), (std::vector<int>{24, 30, 30, 24, 30, 54, 24, 24}));
  EXPECT_EQ(list.GetHandleAt(State().selectedIndex), a2) << "the selection moves with its entry";
  EXPECT_EQ(list.GetHandleAt(State().hoverIndex), c) << "the hover moves with its entry";
  RowData row;
  ASSERT_TRUE(list.GetItemInfo(top + 2, row));
  EXPECT_EQ(row.name + "|" + row.number + "|" + row.signature, "经济之声|102|双击收听");
  EXPECT_EQ(row.groupHandle, top);
  EXPECT_EQ(list.GetGroupName(top), "搜索结果");
  EXPECT_TRUE(Consistent());

  // Collapsed between two groups: no entries for its rows, which are made when first read; past the last
  // group (or before none): at the end.
  const ItemHandle middle = list.InsertGroupWithRows(2, results, station, false);
  const ItemHandle last = list.InsertGroupWithRows(99, GroupRows{"末", {}}, station, true);
  EXPECT_EQ(Entries(), (std::vector<ItemHandle>{top, top + 1, top + 2, a, a1, a2, middle, b, c, last}));
  EXPECT_EQ(State().document.DeferredGroupCount(), 1u) << "the collapsed group's rows wait until first used";
  EXPECT_EQ(Attribute(middle + 1, attr::kListIndex), "-1");
  EXPECT_TRUE(Consistent());

  EXPECT_FALSE(list.RemoveGroupWithRows(a1)) << "a row is no group";
  EXPECT_FALSE(list.RemoveGroupWithRows(12345));
  for (ItemHandle group : {top, middle, last}) ASSERT_TRUE(list.RemoveGroupWithRows(group));
  EXPECT_EQ(Entries(), before);
  EXPECT_EQ(Heights(), heightsBefore);
  EXPECT_EQ(list.GetHandleAt(State().selectedIndex), a2);
  EXPECT_EQ(list.GetHandleAt(State().hoverIndex), c);
  EXPECT_EQ(LiveAvatarBitmapCount(), bitmaps) << "the removed rows gave their bitmaps back";
  EXPECT_TRUE(Consistent());

  // Removing the group that holds the selected and the hovered entries: neither is selected or hovered.
  SendMessageA(list.listWindow(), WM_MOUSEMOVE, 0, MAKELPARAM(20, 5));
  ASSERT_TRUE(list.RemoveGroupWithRows(a));
  EXPECT_EQ(State().selectedIndex, -1);
  EXPECT_EQ(State().hoverIndex, -1);
  EXPECT_EQ(Entries(), (std::vector<ItemHandle>{b, c}));
  EXPECT_TRUE(Consistent());
}

TEST_F(BulkFillTest, RefilledGroupKeepsItsPlaceElementsAndEntries) {
  CreateList(1, 1, 250, 600);
  const ItemHandle a = list.AddGroup("A", Given(true));
  const ItemHandle a1 = AddRow(a, "a1"), a2 = AddRow(a, "a2");
  const ItemHandle b = list.AddGroup("B");
  const int bitmaps = LiveAvatarBitmapCount();
  RowData station;
  station.avatarPicture = pictureB;
  station.signature = "双击收听";
  auto rowsOf = [](std::vector<const char*> names) {
    GroupRows rows{"搜索结果", {}};
    for (const char* name : names) rows.rows.push_back(RowText{name, name});
    return rows;
  };
  std::vector<ItemHandle> rows;
  const ItemHandle top = list.InsertGroupWithRows(0, rowsOf({"r1", "r2", "r3"}), station, true, 0, &rows);
  ASSERT_EQ(rows, (std::vector<ItemHandle>{top + 1, top + 2, top + 3}));
  list.StartAvatarFlash(top + 2);
  list.SelectItem(a2);
  RECT entry;
  SendMessageA(list.listWindow(), LB_GETITEMRECT, 7, reinterpret_cast<LPARAM>(&entry));
  SendMessageA(list.listWindow(), WM_MOUSEMOVE, 0, MAKELPARAM(20, entry.top + 5));
  ASSERT_EQ(list.GetHandleAt(State().hoverIndex), b);
  const size_t elements = State().document.IndexSize();

  // Fewer rows, other texts, another picture: the first rows' elements and entries are rewritten where they
  // stand, the third's go and are kept; each rewritten row reads as a new row of that template would.
  station.avatarPicture = pictureA;
  station.online = true;
  ASSERT_EQ(list.InsertGroupWithRows(5, rowsOf({"r1", "新"}), station, true, top, &rows), top);
  EXPECT_EQ(rows, (std::vector<ItemHandle>{top + 1, top + 2}));
  EXPECT_EQ(Entries(), (std::vector<ItemHandle>{top, top + 1, top + 2, a, a1, a2, b}));
  EXPECT_EQ(Heights(), (std::vector<int>{24, 30, 30, 24, 30, 54, 24}));
  EXPECT_EQ(list.GetHandleAt(State().selectedIndex), a2) << "the selection moves with its entry";
  EXPECT_EQ(list.GetHandleAt(State().hoverIndex), b) << "the hover moves with its entry";
  EXPECT_EQ(FlashListSize(), 0) << "a rewritten row no longer flashes";
  const ItemHandle fresh = list.InsertGroupWithRows(99, rowsOf({"新"}), station, true);
  EXPECT_EQ(Describe(State().document.Find(top + 2).Get(), 0, true),
            Describe(State().document.Find(fresh + 1).Get(), 0, true));
  ASSERT_TRUE(list.RemoveGroupWithRows(fresh));
  EXPECT_EQ(State().document.IndexSize() + State().document.SpareRowCount(top), elements);
  EXPECT_TRUE(Consistent());

  // More rows again: the kept element first, then a new one; the entries after the group move down.
  ASSERT_EQ(list.InsertGroupWithRows(0, rowsOf({"r1", "新", "r3", "r4"}), station, true, top, &rows), top);
  ASSERT_EQ(rows.size(), 4u);
  EXPECT_EQ(std::vector<ItemHandle>(rows.begin(), rows.begin() + 3), (std::vector<ItemHandle>{top + 1, top + 2, top + 3}));
  EXPECT_EQ(Entries(), (std::vector<ItemHandle>{top, top + 1, top + 2, top + 3, rows[3], a, a1, a2, b}));
  EXPECT_EQ(list.GetHandleAt(State().selectedIndex), a2);
  EXPECT_EQ(list.GetHandleAt(State().hoverIndex), b);
  EXPECT_TRUE(Consistent());

  // Refilled again and again between few and many rows, the group makes no element beyond its most rows.
  const std::vector<ItemHandle> most = rows;
  const size_t made = State().document.IndexSize() + State().document.SpareRowCount(top);
  for (int round = 0; round < 20; ++round) {
    list.InsertGroupWithRows(0, rowsOf({"x"}), station, true, top);
    list.InsertGroupWithRows(0, rowsOf({"r1", "新", "r3", "r4"}), station, true, top, &rows);
  }
  EXPECT_EQ(rows, most);
  EXPECT_EQ(State().document.IndexSize() + State().document.SpareRowCount(top), made);

  // A selected row that shows the same station stays selected; one that shows another is not selected.
  list.SelectItem(top + 1);
  list.InsertGroupWithRows(0, rowsOf({"r1", "y"}), station, true, top);
  EXPECT_EQ(list.GetHandleAt(State().selectedIndex), top + 1);
  list.InsertGroupWithRows(0, rowsOf({"z", "y"}), station, true, top);
  EXPECT_EQ(State().selectedIndex, -1);
  EXPECT_TRUE(Consistent());

  // Collapsed by the user, the group is refilled and shown again; asked collapsed, it hides its rows.
  ASSERT_TRUE(list.CollapseGroup(top));
  list.InsertGroupWithRows(0, rowsOf({"p", "q", "r"}), station, true, top);
  EXPECT_EQ(Entries(), (std::vector<ItemHandle>{top, top + 1, top + 2, top + 3, a, a1, a2, b}));
  list.InsertGroupWithRows(0, rowsOf({"p"}), station, false, top);
  EXPECT_EQ(Entries(), (std::vector<ItemHandle>{top, a, a1, a2, b}));
  EXPECT_EQ(Attribute(top + 1, attr::kName), "p");
  EXPECT_TRUE(Consistent());

  // Only a group this operation inserted, and that is still there, is refilled; any other asks for a new one.
  const ItemHandle other = list.InsertGroupWithRows(1, rowsOf({"o"}), station, true, a);
  EXPECT_NE(other, a);
  EXPECT_EQ(Entries(), (std::vector<ItemHandle>{top, other, other + 1, a, a1, a2, b}));
  ASSERT_TRUE(list.RemoveGroup(Given(other)));
  EXPECT_FALSE(State().document.IsInsertedGroup(other)) << "gone with its kept rows";
  EXPECT_NE(list.InsertGroupWithRows(99, rowsOf({"o"}), station, true, other), other);
  EXPECT_EQ(list.GetGroupName(list.GetHandleAt(5)), "搜索结果");

  ASSERT_TRUE(list.RemoveGroupWithRows(list.GetHandleAt(5)));
  ASSERT_TRUE(list.RemoveGroupWithRows(top));
  EXPECT_EQ(Entries(), (std::vector<ItemHandle>{a, a1, a2, b}));
  EXPECT_EQ(State().document.SpareRowCount(top), 0u);
  EXPECT_EQ(LiveAvatarBitmapCount(), bitmaps) << "the refilled rows gave their bitmaps back";
  EXPECT_TRUE(Consistent());
}

}  // namespace
}  // namespace trr::test
