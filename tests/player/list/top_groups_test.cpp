// The player's own groups in a real list control: slots in their fixed order above the directory's groups,
// refilled in place, found again by their rows, and put back on top after the list was filled anew.
#include "player/list/top_groups.h"

#include <windows.h>

#include <gtest/gtest.h>

#include "listctrl/control_state.h"
#include "listctrl/invariant_check.h"
#include "player/list/channel_list.h"
#include "tests/harness/message_pump.h"

namespace trr {
namespace {

int32_t __stdcall IgnoreDoubleClick(int32_t, int32_t, int32_t) { return 0; }

// A 2 x 2 24-bit BMP: any picture will do for the rows.
std::string TinyPicture() {
  std::string bytes = "BM";
  const uint32_t header[] = {70, 0, 54, 40, 2, 2, 0x180001, 0, 16, 2835, 2835, 0, 0};
  bytes.append(reinterpret_cast<const char*>(header), sizeof header);
  return bytes + std::string(16, '\x7f');
}

class TopGroupsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    box_ = CreateWindowExA(0, "STATIC", "", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 40, 40, 267, 310, nullptr,
                           nullptr, GetModuleHandleA(nullptr), nullptr);
    ASSERT_TRUE(CreateChannelList(list_, box_, &IgnoreDoubleClick));
    Fill();
  }
  void TearDown() override { DestroyWindow(box_); }
  void Fill() {
    ASSERT_EQ(FillChannelList(list_, {{"新闻", {{"中国之声", "101"}}}, {"音乐", {{"音乐之声", "201"}}}},
                              picture_),
              2);
  }
  // Group titles and row names in list order, groups in brackets.
  std::vector<std::string> Shown() {
    std::vector<std::string> shown;
    const int count = static_cast<int>(SendMessageA(list_.listWindow(), LB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
      const ItemHandle handle = list_.GetHandleAt(i);
      RowData row;
      if (list_.GetItemInfo(handle, row) && row.groupHandle > 0)
        shown.push_back(row.name + "/" + row.number);
      else
        shown.push_back("[" + list_.GetGroupName(handle) + "]");
    }
    return shown;
  }
  std::string Broken() { return CheckListInvariants(*FindControlByList(list_.listWindow())); }

  HWND box_ = nullptr;
  GroupList list_;
  std::string picture_ = TinyPicture();
};

TEST_F(TopGroupsTest, SlotsStandAboveTheDirectoryInTheirOrderAndComeBackAfterAFill) {
  ASSERT_TRUE(list_.ExpandGroup(list_.GetHandleAt(1)));
  TopGroups top(list_, picture_);
  ASSERT_TRUE(top.Set(TopSlot::SearchResults, {{{"经济之声", "102"}, StationSource::Builtin, ""},
                                               {{"社区台", "uuid-1"}, StationSource::Community, "http://a/s"}}));
  using Lines = std::vector<std::string>;
  EXPECT_EQ(Shown(), (Lines{"[搜索结果]", "经济之声/102", "社区台/uuid-1", "[新闻]", "[音乐]", "音乐之声/201"}));
  ASSERT_TRUE(top.Set(TopSlot::Favourites, {{{"中国之声", "101"}, StationSource::Builtin, ""}}));
  ASSERT_TRUE(top.Set(TopSlot::SearchResults, {{{"音乐之声", "201"}, StationSource::Builtin, ""}}));
  EXPECT_EQ(Shown(), (Lines{"[我的收藏]", "中国之声/101", "[搜索结果]", "音乐之声/201", "[新闻]", "[音乐]",
                            "音乐之声/201"}))
      << "favourites first; the results refilled in place, the directory's groups as they were";
  EXPECT_EQ(Broken(), "");

  // Rows are found again with what starting them needs; other rows and groups are not top rows.
  const TopStation* found = top.Find(list_.GetHandleAt(3));
  ASSERT_NE(found, nullptr);
  EXPECT_EQ(found->station.id, "201");
  ASSERT_TRUE(top.Set(TopSlot::SearchResults, {{{"社区台", "uuid-1"}, StationSource::Community, "http://a/s"}}));
  found = top.Find(list_.GetHandleAt(3));
  ASSERT_NE(found, nullptr);
  EXPECT_EQ(found->source, StationSource::Community);
  EXPECT_EQ(found->listingAddress, "http://a/s");
  for (int directoryEntry : {0, 2, 4, 6}) EXPECT_EQ(top.Find(list_.GetHandleAt(directoryEntry)), nullptr);

  // Grown beyond the rows it ever held (the new row's handle follows the favourites' rows), the group keeps its
  // place and every row is found.
  const ItemHandle results = top.Group(TopSlot::SearchResults);
  ASSERT_TRUE(top.Set(TopSlot::SearchResults, {{{"社区台", "uuid-1"}, StationSource::Community, "http://a/s"},
                                               {{"经济之声", "102"}, StationSource::Builtin, ""},
                                               {{"文艺之声", "301"}, StationSource::Builtin, ""}}));
  EXPECT_EQ(top.Group(TopSlot::SearchResults), results);
  EXPECT_EQ(top.Row(TopSlot::SearchResults, 2), list_.GetHandleAt(5));
  for (int entry : {3, 4, 5}) {
    found = top.Find(list_.GetHandleAt(entry));
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(found->station.id, (std::vector<std::string>{"uuid-1", "102", "301"}[entry - 3]));
  }
  ASSERT_TRUE(top.Set(TopSlot::SearchResults, {{{"社区台", "uuid-1"}, StationSource::Community, "http://a/s"}}));
  EXPECT_EQ(top.Find(top.Row(TopSlot::SearchResults, 0))->station.id, "uuid-1");
  EXPECT_EQ(top.Row(TopSlot::SearchResults, 1), 0);
  EXPECT_EQ(Broken(), "");

  // A new fill empties the list; the set slots come back on top with their stations.
  list_.RemoveGroup();
  Fill();
  top.Restore();
  EXPECT_EQ(Shown(), (Lines{"[我的收藏]", "中国之声/101", "[搜索结果]", "社区台/uuid-1", "[新闻]", "[音乐]"}));
  top.Restore();
  EXPECT_EQ(Shown().size(), 6u) << "groups still in the list are left alone";
  EXPECT_EQ(top.Group(TopSlot::Favourites), list_.GetHandleAt(0));

  top.Clear(TopSlot::Favourites);
  EXPECT_FALSE(top.IsSet(TopSlot::Favourites));
  EXPECT_EQ(Shown(), (Lines{"[搜索结果]", "社区台/uuid-1", "[新闻]", "[音乐]"}));
  top.Clear(TopSlot::SearchResults);
  top.Clear(TopSlot::SearchResults);
  EXPECT_EQ(Shown(), (Lines{"[新闻]", "[音乐]"}));
  EXPECT_EQ(Broken(), "");

  // At most kMaxTopGroupRows rows; a list without a window takes nothing.
  std::vector<TopStation> many(kMaxTopGroupRows + 5, TopStation{{"台", "1"}, StationSource::Builtin, ""});
  ASSERT_TRUE(top.Set(TopSlot::SearchResults, many));
  EXPECT_EQ(top.Stations(TopSlot::SearchResults).size(), kMaxTopGroupRows);
  EXPECT_EQ(Shown().size(), kMaxTopGroupRows + 3);
  GroupList orphan;
  TopGroups nowhere(orphan, picture_);
  EXPECT_FALSE(nowhere.Set(TopSlot::Favourites, many));
  EXPECT_FALSE(nowhere.IsSet(TopSlot::Favourites));
}

}  // namespace
}  // namespace trr
