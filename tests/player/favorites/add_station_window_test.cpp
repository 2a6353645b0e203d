// The 添加电台 window in this process: its controls in order, typed Chinese arriving whole, the keys of a dialog,
// refusals said inside the window (which stays open), and 确定, 取消 and Esc closing it.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "player/favorites/add_station_window.h"
#include "tests/harness/message_pump.h"
#include "tests/harness/temp_dir.h"
#include "tests/harness/window_probe.h"
#include "ui/layout_window.h"

namespace trr::test {
namespace {

std::vector<FavoriteStation> g_kept;
std::string g_answer;  // what keeping a station says

HWND Open() {
  return OpenAddStationWindow(
      GetModuleHandleA(nullptr),
      [](const FavoriteStation& s) {
        g_kept.push_back(s);
        return g_answer;
      },
      false);
}

// Posted as a keyboard posts them, through the message loop.
void Key(HWND box, UINT key) {
  PostMessageA(box, WM_KEYDOWN, key, 1);
  PostMessageA(box, WM_KEYUP, key, 0xC0000001);
  PumpMessages(30);
}

TEST(AddStationWindow, TakesTypedChineseAndRefusesBadEntriesInPlace) {
  HWND window = Open();
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(WindowText(window), "添加电台");
  std::vector<std::string> children;
  for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    char name[32] = "";
    GetClassNameA(child, name, sizeof(name));
    children.push_back(std::string(name) + ":" + WindowText(child));
  }
  children.resize(4);
  EXPECT_EQ(children, (std::vector<std::string>{"Edit:", "Edit:", "Button:确定", "Button:取消"}));
  HWND name = ui::FindControl(window, kNameBox), address = ui::FindControl(window, kAddressBox);
  EXPECT_EQ(GetFocus(), name) << "typing goes to the name at once";

  // Refused entries: the label says why, the field at fault takes the keyboard, nothing is kept.
  struct Case {
    const char* address;
    const char* answer;
    const char* refusal;
  };
  const Case cases[] = {
      {"radio.cn/live", "", "地址须以 http://、https://、mms://、mmsh:// 或 rtsp:// 开头。"},
      {"http://h/", "收藏已满，最多 1000 个电台（文件最大 256 KB）。", "收藏已满，最多 1000 个电台（文件最大 256 KB）。"},
  };
  for (const Case& c : cases) {
    SetWindowTextA(address, c.address);
    g_answer = c.answer;
    SendMessageA(FindChildByText(window, "确定"), BM_CLICK, 0, 0);
    PumpMessages(30);
    ASSERT_TRUE(IsWindow(window));
    EXPECT_EQ(ui::ControlText(window, kRefusalLabel), c.refusal);
    EXPECT_EQ(GetFocus(), address);
  }
  SavePng(CaptureClient(window), BinDirectory() + "\\..\\add_station_window.png");
  EXPECT_EQ(g_kept.size(), 1u) << "checked before it is kept";
  SetWindowTextA(name, "");
  for (wchar_t c : std::wstring(L"zg中国之声Ａ")) SendMessageW(name, WM_CHAR, c, 1);
  EXPECT_EQ(WindowText(name), "zg中国之声Ａ");
  SetFocus(name);
  Key(name, VK_TAB);
  EXPECT_EQ(GetFocus(), address);
  SetWindowTextA(address, "http://10.1.2.3:8000/直播");
  g_answer.clear();
  Key(address, VK_RETURN);  // Enter is 确定
  EXPECT_FALSE(IsWindow(window));
  ASSERT_EQ(g_kept.size(), 2u);
  EXPECT_EQ(g_kept[1].name + "|" + g_kept[1].address, "zg中国之声Ａ|http://10.1.2.3:8000/%D6%B1%B2%A5");

  // 取消, and Esc in either box, close it without keeping anything; a second opening brings the open one forward.
  for (UINT key : {0u, static_cast<UINT>(VK_ESCAPE)}) {
    window = Open();
    EXPECT_EQ(Open(), window);
    SetWindowTextA(ui::FindControl(window, kAddressBox), "http://h/");
    if (key)
      Key(ui::FindControl(window, kAddressBox), key);
    else
      SendMessageA(FindChildByText(window, "取消"), BM_CLICK, 0, 0);
    PumpMessages(30);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(AddStationWindow(), nullptr);
  }
  EXPECT_EQ(g_kept.size(), 2u);
}

}  // namespace
}  // namespace trr::test
