// The item store: the saved document's layout, attribute encodings, flags and handles.
#include <windows.h>

#include <gtest/gtest.h>

#include "common/file_util.h"
#include "common/gbk_convert.h"
#include "tests/harness/temp_dir.h"
#include "tests/listctrl/core_fixture.h"

namespace trr::test {
namespace {

struct SavedElement {
  std::string name;
  std::vector<std::pair<std::string, std::string>> attributes;
  bool closes = false;  // a closing tag
};

// The tags of a saved document in file order (GBK names and values), enough to check layout and order.
std::vector<SavedElement> ParseTags(const std::string& gbk) {
  std::vector<SavedElement> tags;
  size_t at = 0;
  while ((at = gbk.find('<', at)) != std::string::npos) {
    size_t end = gbk.find('>', at);
    if (end == std::string::npos) break;
    std::string tag = gbk.substr(at + 1, end - at - 1);
    at = end + 1;
    if (tag.empty() || tag[0] == '?') continue;
    SavedElement element;
    if (tag[0] == '/') {
      element.closes = true;
      element.name = tag.substr(1);
      tags.push_back(element);
      continue;
    }
    size_t space = tag.find(' ');
    element.name = tag.substr(0, space == std::string::npos ? tag.find('/') : space);
    while (space != std::string::npos) {
      size_t eq = tag.find("=\"", space);
      if (eq == std::string::npos) break;
      size_t close = tag.find('"', eq + 2);
      element.attributes.emplace_back(tag.substr(space + 1, eq - space - 1), tag.substr(eq + 2, close - eq - 2));
      space = tag.find(' ', close);
    }
    tags.push_back(element);
  }
  return tags;
}

std::vector<std::string> Names(const SavedElement& element) {
  std::vector<std::string> names;
  for (auto& attribute : element.attributes) names.push_back(attribute.first);
  return names;
}

class ItemStoreTest : public CoreListFixture {};

TEST_F(ItemStoreTest, SavedFileHoldsRootGroupsAndRowsWithAttributesInOrder) {
  CreateList(0, 0);
  const ItemHandle group = list.AddGroup("新闻 频道", Given(true), Given<COLORREF>(0x123456));
  const ItemHandle empty = list.AddGroup("空组");
  std::vector<int32_t> five{5};
  const ItemHandle withIcon = AddRow(group, "中央台", true, &five);
  const ItemHandle plain = AddRow(group, "交通台", false);
  ASSERT_TRUE(group && empty && withIcon && plain);
  ASSERT_TRUE(Consistent());

  ScopedTempDir dir;
  list.SaveToFile(dir.File("list.xml"));
  std::string bytes;
  ASSERT_TRUE(ReadWholeFile(dir.File("list.xml"), bytes));
  // The DOM writes UTF-8 without a declaration; compare in GBK like the rest of the program.
  std::wstring wide(MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), wide.data(), static_cast<int>(wide.size()));
  std::vector<SavedElement> tags = ParseTags(WideToGbk(wide));

  const std::string g = "Item" + std::to_string(group), e = "Item" + std::to_string(empty);
  const std::string r1 = "Item" + std::to_string(withIcon), r2 = "Item" + std::to_string(plain);
  std::vector<std::string> order;
  for (auto& tag : tags) order.push_back((tag.closes ? "/" : "") + tag.name);
  EXPECT_EQ(order, (std::vector<std::string>{"分组列表", g, r1, r2, "/" + g, e, "/分组列表"}));

  ASSERT_EQ(tags.size(), 7u);
  EXPECT_EQ(Names(tags[0]), (std::vector<std::string>{"hwnd", "hParent"}));
  EXPECT_EQ(tags[0].attributes[0].second, std::to_string(reinterpret_cast<uintptr_t>(list.listWindow())));
  EXPECT_EQ(tags[0].attributes[1].second, std::to_string(reinterpret_cast<uintptr_t>(container)));

  const std::vector<std::string> groupNames{"项目类别", "分组名称", "项目句柄", "名称颜色", "已扩展", "项目索引"};
  EXPECT_EQ(Names(tags[1]), groupNames);
  EXPECT_EQ(tags[1].attributes[0].second, "分组");
  EXPECT_EQ(tags[1].attributes[1].second, "新闻 频道");
  EXPECT_EQ(tags[1].attributes[3].second, std::to_string(0x123456));
  EXPECT_EQ(tags[1].attributes[4].second, "1");
  EXPECT_EQ(tags[1].attributes[5].second, "0");
  EXPECT_EQ(Names(tags[5]), groupNames);
  EXPECT_EQ(tags[5].attributes[4].second, "0");
  EXPECT_EQ(tags[5].attributes[5].second, "3");

  EXPECT_EQ(Names(tags[2]), (std::vector<std::string>{"项目句柄", "项目类别", "分组句柄", "项目名称", "项目号码", "个性签名",
                                                      "名称颜色", "业务图标数量", "业务图标数组", "备注信息", "头像图标句柄",
                                                      "灰度头像句柄", "头像宽度", "头像高度", "是否在线", "项目索引"}));
  // A row without service icons carries no icon list at all.
  EXPECT_EQ(Names(tags[3]), (std::vector<std::string>{"项目句柄", "项目类别", "分组句柄", "项目名称", "项目号码", "个性签名",
                                                      "名称颜色", "业务图标数量", "备注信息", "头像图标句柄", "灰度头像句柄",
                                                      "头像宽度", "头像高度", "是否在线", "项目索引"}));
  auto value = [](const SavedElement& element, const std::string& name) {
    for (auto& attribute : element.attributes)
      if (attribute.first == name) return attribute.second;
    return std::string("<missing>");
  };
  EXPECT_EQ(value(tags[2], "项目名称"), "中央台");
  EXPECT_EQ(value(tags[2], "业务图标数量"), "1");
  EXPECT_EQ(value(tags[2], "业务图标数组"), "5");
  EXPECT_EQ(value(tags[2], "分组句柄"), std::to_string(group));
  EXPECT_EQ(value(tags[2], "项目索引"), "1");
  EXPECT_EQ(value(tags[2], "灰度头像句柄"), "0");
  EXPECT_EQ(value(tags[2], "头像宽度"), "8");
  EXPECT_EQ(value(tags[2], "头像高度"), "8");
  EXPECT_NE(value(tags[2], "头像图标句柄"), "0");
  EXPECT_EQ(value(tags[3], "是否在线"), "0");
  EXPECT_NE(value(tags[3], "灰度头像句柄"), "0");
  EXPECT_EQ(value(tags[3], "项目索引"), "2");
}

TEST(IconList, ParsesAndJoinsAsStored) {
  struct Case {
    const char* text;
    std::vector<int32_t> icons;
  };
  const Case parses[] = {
      {"5", {5}}, {"3,,7", {3, 0, 7}}, {"3,7,12", {3, 7, 12}}, {"", {0}}, {"2.9,-1.5", {2, -1}}, {"x,4", {0, 4}}};
  for (const Case& c : parses) EXPECT_EQ(ParseIconList(c.text), c.icons) << c.text;
  const Case joins[] = {{"3,7,12", {3, 7, 12}}, {"5", {5}}, {"", {}}, {"0,-2", {0, -2}}};
  for (const Case& c : joins) EXPECT_EQ(JoinIconList(c.icons), c.text);
}

TEST_F(ItemStoreTest, IconListsRoundTripThroughRows) {
  CreateList(0, 0);
  const ItemHandle group = list.AddGroup("g");
  std::vector<int32_t> five{5}, gaps{3, 0, 7};
  const ItemHandle one = AddRow(group, "one", true, &five);
  const ItemHandle three = AddRow(group, "three", true, &gaps);
  const ItemHandle none = AddRow(group, "none");
  RowData row;
  std::vector<int32_t> icons{99};
  ASSERT_TRUE(list.GetItemInfo(one, row, &icons));
  EXPECT_EQ(icons, five);
  EXPECT_EQ(Attribute(one, attr::kIconCount), "1");
  ASSERT_TRUE(list.GetItemInfo(three, row, &icons));
  EXPECT_EQ(icons, gaps);
  EXPECT_EQ(Attribute(three, attr::kIconList), "3,0,7");
  // A stored "3,,7" reads back with the gap as 0.
  SetAttributeText(State().document.Find(three).Get(), attr::kIconList, "3,,7");
  ASSERT_TRUE(list.GetItemInfo(three, row, &icons));
  EXPECT_EQ(icons, gaps);
  ASSERT_TRUE(list.GetItemInfo(none, row, &icons));
  EXPECT_TRUE(icons.empty());
  EXPECT_EQ(Attribute(none, attr::kIconList), "");
}

TEST_F(ItemStoreTest, FlagsAndNumbersReadAsStored) {
  CreateList(0, 0);
  const ItemHandle group = list.AddGroup("g");
  IXMLDOMElement* element = State().document.Find(group).Get();
  struct Case {
    const char* stored;
    bool flag;
    int number;
  };
  const Case cases[] = {{"1", true, 1},         {"0", false, 0},  {"2", false, 2},   {"1.00000001", true, 1},
                        {"0.999", false, 0},     {"-1", false, -1}, {"abc", false, 0}, {"", false, 0},
                        {"12.9", false, 12},     {"-3.7", false, -3}};
  for (const Case& c : cases) {
    SetAttributeText(element, attr::kExpanded, c.stored);
    EXPECT_EQ(GetAttributeFlag(element, attr::kExpanded), c.flag) << c.stored;
    EXPECT_EQ(GetAttributeInt(element, attr::kExpanded), c.number) << c.stored;
  }
  // Missing attributes: flags false, numbers 0, text empty.
  EXPECT_FALSE(GetAttributeFlag(element, attr::kFlashing));
  EXPECT_EQ(GetAttributeInt(element, attr::kAvatarOffset), 0);
  EXPECT_EQ(GetAttributeText(element, attr::kRemark), "");
  // A row added by AddItem has no flash attributes yet; its record reads them as false and 0.
  ItemInfo info;
  ASSERT_TRUE(FindItem(State(), AddRow(group, "r"), info));
  EXPECT_FALSE(info.flashing);
  EXPECT_EQ(info.avatarOffset, 0);
}

TEST_F(ItemStoreTest, HandlesAreUniqueAcrossControlsAndNeverZero) {
  CreateList(0, 0);
  HWND second = CreateWindowExA(0, "ListCoreTestContainer", "", WS_POPUP | WS_VISIBLE, 400, 0, 200, 200, nullptr,
                                nullptr, GetModuleHandleA(nullptr), nullptr);
  GroupList other;
  ASSERT_EQ(other.Create(second), 1);
  EXPECT_EQ(other.Create(second), 0) << "a second Create on a live control";
  const ItemHandle before = list.NewItemHandle();
  const ItemHandle a = list.AddGroup("a");
  const ItemHandle b = other.AddGroup("b");
  const ItemHandle c = list.AddGroup("c");
  EXPECT_EQ(a, before + 1);
  EXPECT_EQ(b, a + 1);
  EXPECT_EQ(c, b + 1);
  EXPECT_GT(a, 10000);
  // Each control knows only its own items.
  EXPECT_EQ(list.GetGroupName(b), "");
  EXPECT_EQ(other.GetGroupName(b), "b");
  RowData row;
  EXPECT_FALSE(other.GetItemInfo(a, row));
  EXPECT_FALSE(list.GetItemInfo(0, row));
  // An element whose 项目句柄 reads 0 counts as absent.
  SetAttributeText(State().document.Find(c).Get(), attr::kHandle, "0");
  ItemInfo info;
  EXPECT_FALSE(FindItem(State(), c, info));
  DestroyWindow(second);
}

}  // namespace
}  // namespace trr::test
