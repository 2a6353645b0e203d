// The community source's jobs and list when memory runs out for real (the address space reserved whole): a job
// that could not start is not taken for started, so a later call starts it; and a list that could not be made
// leaves the list that was shown, with its addresses.
#include "player/community/community_source.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "player/list/channel_list.h"
#include "player/list/station_groups.h"
#include "tests/harness/address_space.h"
#include "tests/harness/message_pump.h"
#include "tests/harness/temp_dir.h"

namespace trr::test {
namespace {

constexpr CommunitySource::Messages kMessages = {WM_APP + 1, WM_APP + 2, WM_APP + 3, WM_APP + 4};

int32_t __stdcall IgnoreDoubleClick(int32_t, int32_t, int32_t) { return 0; }

// A directory of one group named `name` with `rows` stations.
CommunityDirectory DirectoryOf(const std::string& name, size_t rows) {
  CommunityDirectory directory;
  directory.server = "https://" + name + ".example";
  directory.groups = {{name, {}}};
  for (size_t i = 0; i < rows; ++i) {
    const std::string uuid = "uuid-" + std::to_string(i);
    directory.groups[0].rows.push_back({uuid, "http://radio.example/" + uuid, "电台 " + std::to_string(i)});
  }
  return directory;
}

TEST(CommunitySourceWithoutMemory, AJobThatCouldNotStartIsStartedByALaterCall) {
  if (!ScopedAddressSpaceExhaustion::kPossible) GTEST_SKIP() << "a 64-bit address space cannot be filled under Wine";
  ScopedTempDir dir;
  HWND window = CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
  ASSERT_NE(window, nullptr);
  CommunitySource source(window, kMessages, dir.File("Community.Dat"));
  size_t reserved = 0;
  bool started = true, kept = true;
  {
    ScopedAddressSpaceExhaustion full;
    reserved = full.Reserved();
    started = source.StartCacheRead();
    kept = source.CacheReadStarted();
  }
  ASSERT_GT(reserved, 0u);
  EXPECT_FALSE(started) << "no thread can start without address space for its stack";
  EXPECT_FALSE(kept);
  ASSERT_TRUE(source.StartCacheRead());
  std::optional<CommunityListResult> read;
  EXPECT_TRUE(PumpUntil([&] { return (read = source.TakeCacheRead()).has_value(); }, 10000));
  EXPECT_FALSE(read && read->listed) << "there is no cache file";

  {
    ScopedAddressSpaceExhaustion full;
    started = source.StartFetch();
    kept = source.FetchStarted();
  }
  EXPECT_FALSE(started);
  EXPECT_FALSE(kept);
  EXPECT_TRUE(source.StartFetch());
  EXPECT_TRUE(source.FetchStarted());
  DestroyWindow(window);
}

TEST(CommunitySourceWithoutMemory, AListThatCannotBeMadeLeavesTheListShown) {
  if (!ScopedAddressSpaceExhaustion::kPossible) GTEST_SKIP() << "a 64-bit address space cannot be filled under Wine";
  ScopedTempDir dir;
  HWND container = CreateWindowExA(0, "STATIC", "", WS_POPUP | WS_CLIPCHILDREN, 0, 0, 267, 310, nullptr, nullptr,
                                   GetModuleHandleA(nullptr), nullptr);
  ASSERT_NE(container, nullptr);
  GroupList list;
  ASSERT_TRUE(CreateChannelList(list, container, &IgnoreDoubleClick));
  CommunitySource source(container, kMessages, dir.File("Community.Dat"));
  CommunityDirectory shown = DirectoryOf("shown", 3);
  const std::string picture = "rows are drawn only once their group opens";
  ASSERT_EQ(source.Show(list, shown, picture), 3u);
  const ItemHandle group = static_cast<ItemHandle>(SendMessageA(list.listWindow(), LB_GETITEMDATA, 0, 0));
  ASSERT_EQ(list.GetGroupName(group), "shown");

  // One group of as many stations as the list takes: its rows alone need more than any heap has spare.
  CommunityDirectory huge = DirectoryOf("huge", kMaxChannelRows);
  size_t listed = 1;
  std::vector<ChannelGroup> stations = {{"kept", {}}};
  {
    ScopedAddressSpaceExhaustion full;
    listed = source.Show(list, huge, picture, &stations);
  }
  EXPECT_EQ(listed, 0u);
  ASSERT_EQ(stations.size(), 1u);
  EXPECT_EQ(stations[0].name, "kept") << "the search is handed nothing when nothing was listed";
  EXPECT_EQ(source.Rows(), 3u);
  EXPECT_EQ(SendMessageA(list.listWindow(), LB_GETCOUNT, 0, 0), 1);
  EXPECT_EQ(list.GetGroupName(static_cast<ItemHandle>(SendMessageA(list.listWindow(), LB_GETITEMDATA, 0, 0))),
            "shown");

  // With memory again, the same list replaces it.
  huge = DirectoryOf("huge", kMaxChannelRows);
  EXPECT_EQ(source.Show(list, huge, picture, &stations), kMaxChannelRows);
  ASSERT_EQ(stations.size(), 1u);
  EXPECT_EQ(stations[0].stations.size(), kMaxChannelRows);
  EXPECT_EQ(stations[0].stations.back().id, "uuid-" + std::to_string(kMaxChannelRows - 1))
      << "the listed stations, for the search";
  EXPECT_EQ(list.GetGroupName(static_cast<ItemHandle>(SendMessageA(list.listWindow(), LB_GETITEMDATA, 0, 0))),
            "huge");
  DestroyWindow(container);
}

}  // namespace
}  // namespace trr::test
