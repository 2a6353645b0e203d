// The built-in directory filling a real grouped list control, and a double-click on a station row reaching the
// real media player control.
#include "player/directory/builtin_list.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "common/http_fetch.h"
#include "common/server_address.h"
#include "player/directory/channel_cache.h"
#include "player/directory/channel_document.h"
#include "player/playback/media_player_host.h"
#include "tests/harness/message_pump.h"
#include "tests/harness/window_probe.h"

namespace trr {
namespace {

using test::LeftClick;
using test::LeftDoubleClick;
using test::PumpMessages;

// A 100 x 99 24-bit BMP standing in for the station picture.
std::string StationPicture() {
  const int width = 100, height = 99, stride = (width * 3 + 3) & ~3;
  const uint32_t pixelBytes = static_cast<uint32_t>(stride * height);
  std::string bytes;
  auto put32 = [&](uint32_t v) { bytes.append(reinterpret_cast<const char*>(&v), 4); };
  auto put16 = [&](uint16_t v) { bytes.append(reinterpret_cast<const char*>(&v), 2); };
  bytes += "BM";
  put32(54 + pixelBytes);
  put32(0);
  put32(54);
  put32(40);
  put32(width);
  put32(height);
  put16(1);
  put16(24);
  put32(0);
  put32(pixelBytes);
  put32(2835);
  put32(2835);
  put32(0);
  put32(0);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) bytes += std::string{char(200), char(x * 2), char(y * 2)};
    bytes.append(stride - width * 3, '\0');
  }
  return bytes;
}

// The handlers are plain functions; the test routes the double-click through this state as the player does.
struct DoubleClickTarget {
  GroupList* list = nullptr;
  MediaPlayerHost* player = nullptr;
  std::string currentStationName;
  int calls = 0;
  ItemHandle lastRow = 0;
};
DoubleClickTarget g_target;

int32_t __stdcall OnRowDoubleClick(int32_t handle, int32_t, int32_t) {
  ++g_target.calls;
  g_target.lastRow = handle;
  StartStationFromRow(*g_target.list, handle, *g_target.player, g_target.currentStationName);
  return 0;
}

// The lower panel's 图片框 at its layout size, in a top-level test window.
class Container {
 public:
  Container() {
    frame = CreateWindowExA(0, "STATIC", "", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 50, 50, 286, 545, nullptr,
                            nullptr, GetModuleHandleA(nullptr), nullptr);
    pictureBox = CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | SS_NOTIFY, 9, 226, 267,
                                 310, frame, nullptr, GetModuleHandleA(nullptr), nullptr);
    playerHost = CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_CLIPCHILDREN, 8, 54, 122, 45, frame, nullptr,
                                 GetModuleHandleA(nullptr), nullptr);
  }
  ~Container() { DestroyWindow(frame); }
  HWND frame = nullptr;
  HWND pictureBox = nullptr;
  HWND playerHost = nullptr;
};

int EntryCount(HWND listBox) { return static_cast<int>(SendMessageA(listBox, LB_GETCOUNT, 0, 0)); }

RECT EntryRect(HWND listBox, int position) {
  RECT rect = {};
  SendMessageA(listBox, LB_GETITEMRECT, position, reinterpret_cast<LPARAM>(&rect));
  return rect;
}

ItemHandle EntryHandle(HWND listBox, int position) {
  return static_cast<ItemHandle>(SendMessageA(listBox, LB_GETITEMDATA, position, 0));
}

const char kDocument[] =
    "<html><TYPE>新闻;音乐;空组;新闻</TYPE>\r\n"
    "<tvdata>中国之声|101|新闻\r\n音乐之声|201|音乐\r\n经济之声|102|新闻\r\n短行|9\r\n特别 台|中文 ID|音乐\r\n"
    "</tvdata></html>";

TEST(ChannelLoader, FillsTheListAndADoubleClickStartsTheStation) {
  Container container;
  GroupList list;
  MediaPlayerHost player;
  ASSERT_TRUE(player.Create(container.playerHost));
  g_target = DoubleClickTarget{};
  g_target.list = &list;
  g_target.player = &player;
  const std::string serverUrl = DirectoryServerUrl();
  SetEnvironmentVariableA("TRRADIO_DIRECTORY_URL", "http://127.0.0.1:9");

  const std::string picture = StationPicture();
  ASSERT_EQ(LoadChannelList(list, container.pictureBox, kDocument, picture, &OnRowDoubleClick), 4);
  HWND listBox = list.listWindow();
  ASSERT_NE(listBox, nullptr);
  EXPECT_EQ(GetParent(listBox), container.pictureBox);

  // Four collapsed groups in document order; the repeated group has the same rows as the first.
  ASSERT_EQ(EntryCount(listBox), 4);
  const char* titles[] = {"新闻", "音乐", "空组", "新闻"};
  for (int i = 0; i < 4; ++i) EXPECT_EQ(list.GetGroupName(EntryHandle(listBox, i)), titles[i]);

  // A click on the second group's header expands it.
  const ItemHandle music = EntryHandle(listBox, 1);
  RECT header = EntryRect(listBox, 1);
  LeftClick(listBox, header.left + 20, (header.top + header.bottom) / 2);
  PumpMessages(100);
  ASSERT_EQ(EntryCount(listBox), 6);
  EXPECT_EQ(EntryHandle(listBox, 1), music);

  // Its rows carry the station data, in line order.
  const char* names[] = {"音乐之声", "特别 台"};
  const char* numbers[] = {"201", "中文 ID"};
  for (int i = 0; i < 2; ++i) {
    RowData row;
    ASSERT_TRUE(list.GetItemInfo(EntryHandle(listBox, 2 + i), row));
    EXPECT_EQ(row.groupHandle, music);
    EXPECT_EQ(row.name, names[i]);
    EXPECT_EQ(row.number, numbers[i]);
    EXPECT_EQ(row.nameColour, 0xFF8800);
    EXPECT_TRUE(row.online);
    EXPECT_EQ(row.signature, "双击收听");
    EXPECT_EQ(row.remark, "");
    EXPECT_EQ(EntryRect(listBox, 2 + i).bottom - EntryRect(listBox, 2 + i).top, 30);
  }

  // A double-click on the second row hands the look-up address to the player. The control reports its first
  // states from inside put_URL, and by then the station's name is already current.
  std::vector<std::string> namesSeen;
  player.SetPlayStateHandler([&](long) { namesSeen.push_back(g_target.currentStationName); });
  g_target.currentStationName = "之前的台";
  RECT second = EntryRect(listBox, 3);
  LeftDoubleClick(listBox, second.left + 60, (second.top + second.bottom) / 2);
  PumpMessages(100);
  ASSERT_FALSE(namesSeen.empty());
  EXPECT_EQ(namesSeen.front(), "特别 台");
  player.SetPlayStateHandler(nullptr);
  EXPECT_EQ(g_target.calls, 1);
  EXPECT_EQ(g_target.lastRow, EntryHandle(listBox, 3));
  EXPECT_EQ(player.Url(), "http://127.0.0.1:9/Url.Asp?ID=中文 ID");
  EXPECT_EQ(g_target.currentStationName, "特别 台");

  // The first group (expanded now) has both news rows; the repeated group has them as well.
  RECT news = EntryRect(listBox, 0);
  LeftClick(listBox, news.left + 20, (news.top + news.bottom) / 2);
  PumpMessages(100);
  ASSERT_EQ(EntryCount(listBox), 8);
  RowData first;
  ASSERT_TRUE(list.GetItemInfo(EntryHandle(listBox, 1), first));
  EXPECT_EQ(first.name, "中国之声");
  ASSERT_TRUE(list.GetItemInfo(EntryHandle(listBox, 2), first));
  EXPECT_EQ(first.name, "经济之声");
  const int last = EntryCount(listBox) - 1;
  RECT repeated = EntryRect(listBox, last);
  LeftClick(listBox, repeated.left + 20, (repeated.top + repeated.bottom) / 2);
  PumpMessages(100);
  EXPECT_EQ(EntryCount(listBox), 10);

  SetEnvironmentVariableA("TRRADIO_DIRECTORY_URL", serverUrl.c_str());
  g_target = DoubleClickTarget{};
}

TEST(ChannelLoader, DoubleClicksWithoutAPlayerChangeNothing) {
  Container container;
  GroupList list;
  MediaPlayerHost noPlayer;  // the control could not be created
  ASSERT_EQ(LoadChannelList(list, container.pictureBox, kDocument, StationPicture(), &OnRowDoubleClick), 4);
  ASSERT_TRUE(list.ExpandGroup(EntryHandle(list.listWindow(), 0)));
  std::string current = "之前的台";
  EXPECT_FALSE(StartStationFromRow(list, EntryHandle(list.listWindow(), 1), noPlayer, current));
  EXPECT_EQ(current, "之前的台");
  // A handle that names no row.
  Container other;
  MediaPlayerHost player;
  ASSERT_TRUE(player.Create(other.playerHost));
  EXPECT_FALSE(StartStationFromRow(list, EntryHandle(list.listWindow(), 0), player, current));
  EXPECT_FALSE(StartStationFromRow(list, 0, player, current));
  EXPECT_EQ(current, "之前的台");
  EXPECT_EQ(player.Url(), "");
}

TEST(ChannelLoader, TheDemoDirectoryLoadsWhole) {
  std::string document = HttpGet(DirectoryServerUrl() + "/Data.asp?GGwl=LIstGB", kChannelDirectoryLimits);
  ASSERT_FALSE(document.empty());
  std::vector<ChannelGroup> groups = ParseChannelDocument(document).groups;
  ASSERT_FALSE(groups.empty());

  Container container;
  GroupList list;
  ASSERT_EQ(LoadChannelList(list, container.pictureBox, document, StationPicture(), &OnRowDoubleClick),
            static_cast<int>(groups.size()));
  list.ExpandAllGroups();
  size_t entries = groups.size();
  for (const ChannelGroup& g : groups) entries += g.stations.size();
  EXPECT_EQ(EntryCount(list.listWindow()), static_cast<int>(entries));

  // Nothing is added to a list whose window cannot be made.
  GroupList orphan;
  EXPECT_EQ(LoadChannelList(orphan, nullptr, document, StationPicture(), &OnRowDoubleClick), 0);
  EXPECT_EQ(orphan.listWindow(), nullptr);
}

}  // namespace
}  // namespace trr
