// The real trRadio.exe as a process with Favorites.Dat beside it: 我的收藏 shows at the start, and a right click on
// a station and the menu's first item chosen with the keyboard (posted to the menu window, which another process
// cannot read) keep one more, shown at once.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/file_util.h"
#include "common/http_fetch.h"
#include "player/directory/channel_cache.h"
#include "player/directory/channel_document.h"
#include "player/favorites/favorites_file.h"
#include "tests/harness/demo_server_client.h"
#include "tests/harness/message_pump.h"
#include "tests/harness/temp_dir.h"
#include "tests/harness/window_probe.h"
#include "tests/player/process/player_process.h"

namespace trr::test {
namespace {

// The channel list's ListBox, known by its title.
HWND ListBoxOf(HWND main) { return FindChildByText(main, "分组列表框"); }

int Entries(HWND listBox) { return static_cast<int>(SendMessageA(listBox, LB_GETCOUNT, 0, 0)); }

TEST(FavoritesProcess, TheFileShowsAtTheStartAndARightClickKeepsOneMore) {
  ServerReset();
  const std::vector<ChannelGroup> groups =
      ParseChannelDocument(HttpGet(TestServerUrl() + "/Data.asp?GGwl=LIstGB", kChannelDirectoryLimits)).groups;
  ASSERT_FALSE(groups.empty());
  ASSERT_FALSE(groups[0].stations.empty());
  ScopedTempDir dir;
  ASSERT_TRUE(CopyFileTo(BinDirectory() + "\\trRadio.exe", dir.File("trRadio.exe")));
  const std::vector<FavoriteStation> two = {{StationKind::Builtin, "77", "", "收藏一"},
                                            {StationKind::Address, "", "http://10.0.0.3/x", "收藏二"}};
  ASSERT_TRUE(WriteWholeFile(dir.File("Favorites.Dat"), FormatFavoritesFile(two)));
  const int directory = static_cast<int>(groups.size());

  Player player = StartPlayer(dir.path());
  ASSERT_NE(player.window, nullptr);
  HWND list = ListBoxOf(player.window);
  ASSERT_NE(list, nullptr);
  ASSERT_TRUE(PumpUntil([&] { return Entries(list) == 3 + directory; }, 20000)) << Entries(list);

  // 我的收藏's header (24 pixels) and its two rows (30 each) stand above the first group of the directory.
  PostMessageA(list, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(40, 96));
  PostMessageA(list, WM_LBUTTONUP, 0, MAKELPARAM(40, 96));
  ASSERT_TRUE(PumpUntil([&] { return Entries(list) > 3 + directory; }, 5000)) << "the first group opened";
  PostMessageA(list, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(40, 123));
  PostMessageA(list, WM_RBUTTONUP, 0, MAKELPARAM(40, 123));
  HWND menu = nullptr;
  ASSERT_TRUE(PumpUntil([&] { return (menu = FindProcessWindow(player.id, "#32768")) != nullptr; }, 5000));
  for (UINT key : {VK_DOWN, VK_RETURN}) PostMessageA(menu, WM_KEYDOWN, key, 0);
  const Station& first = groups[0].stations[0];
  std::vector<FavoriteStation> three = two;
  three.push_back({StationKind::Builtin, first.id, "", first.name});
  const std::string expected = FormatFavoritesFile(three);
  std::string kept;
  EXPECT_TRUE(PumpUntil([&] { return ReadWholeFile(dir.File("Favorites.Dat"), kept) && kept == expected; }, 5000));
  const int opened = static_cast<int>(groups[0].stations.size());
  EXPECT_TRUE(PumpUntil([&] { return Entries(list) == 1 + 3 + directory + opened; }, 5000)) << Entries(list);
  EXPECT_EQ(ClosePlayer(player), 0);
}

}  // namespace
}  // namespace trr::test
