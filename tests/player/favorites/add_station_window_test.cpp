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

std::string ClassOf(HWND window) {
  char name[32] = "";
  GetClassNameA(window, name, sizeof(name));
  return name;
}

class AddStationWindowTest : public ::testing::Test {
 protected:
  void SetUp() override { Open(); }
  void TearDown() override {
    if (HWND window = AddStationWindow()) DestroyWindow(window);
    PumpMessages(20);
  }
  void Open() {
    window_ = OpenAddStationWindow(
        GetModuleHandleA(nullptr),
        [this](const FavoriteStation& station) {
          kept_.push_back(station);
          return answer_;
        },
        false);
    ASSERT_NE(window_, nullptr);
  }
  HWND Name() { return ui::FindControl(window_, kNameBox); }
  HWND Address() { return ui::FindControl(window_, kAddressBox); }
  std::string Refusal() { return ui::ControlText(window_, kRefusalLabel); }
  void Type(HWND box, const std::wstring& text) {
    for (wchar_t c : text) SendMessageW(box, WM_CHAR, c, 1);
  }
  // Posted as a keyboard posts them, through the message loop.
  void Key(HWND box, UINT key) {
    PostMessageA(box, WM_KEYDOWN, key, 1);
    PostMessageA(box, WM_KEYUP, key, 0xC0000001);
    PumpMessages(30);
  }
  void Click(const char* button) {
    SendMessageA(FindChildByText(window_, button), BM_CLICK, 0, 0);
    PumpMessages(30);
  }

  HWND window_ = nullptr;
  std::string answer_;
  std::vector<FavoriteStation> kept_;
};

TEST_F(AddStationWindowTest, ChildrenInOrderAndTypedChineseArrivesWhole) {
  EXPECT_EQ(WindowText(window_), "添加电台");
  std::vector<std::string> children;
  for (HWND child = GetWindow(window_, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
    children.push_back(ClassOf(child) + ":" + WindowText(child));
  ASSERT_GE(children.size(), 4u);
  EXPECT_EQ(std::vector<std::string>(children.begin(), children.begin() + 4),
            (std::vector<std::string>{"Edit:", "Edit:", "Button:确定", "Button:取消"}));
  EXPECT_EQ(GetFocus(), Name()) << "typing goes to the name at once";

  Type(Name(), L"zg中国之声Ａ");
  EXPECT_EQ(WindowText(Name()), "zg中国之声Ａ");
  Key(Name(), VK_TAB);
  EXPECT_EQ(GetFocus(), Address());
  Type(Address(), L"http://10.1.2.3:8000/直播");
  Key(Address(), VK_RETURN);  // Enter is 确定
  EXPECT_FALSE(IsWindow(window_));
  ASSERT_EQ(kept_.size(), 1u);
  EXPECT_EQ(kept_[0].kind, StationKind::Address);
  EXPECT_EQ(kept_[0].name, "zg中国之声Ａ");
  EXPECT_EQ(kept_[0].address, "http://10.1.2.3:8000/%D6%B1%B2%A5");
}

TEST_F(AddStationWindowTest, RefusalsAreSaidInsideTheWindowWhichStaysOpen) {
  struct Case {
    const char* name;
    const char* address;
    const char* answer;   // what keeping the station says
    const char* refusal;
    bool nameAtFault;  // the name box takes the focus, else the address box
  };
  const Case cases[] = {
      {"电台", "", "", "请填写电台的地址。", false},
      {"电台", "radio.cn/live", "", "地址须以 http://、https://、mms://、mmsh:// 或 rtsp:// 开头。", false},
      {"一二三四五六七八九十一二三四五六七八九十一二三四五六七八九十一二三", "http://h/", "",
       "名称太长，最多 64 个字节（32 个汉字）。", true},
      {"电台", "http://h/", "收藏已满，最多 1000 个电台（文件最大 256 KB）。",
       "收藏已满，最多 1000 个电台（文件最大 256 KB）。", false},
  };
  for (const Case& c : cases) {
    SetWindowTextA(Name(), c.name);
    SetWindowTextA(Address(), c.address);
    answer_ = c.answer;
    kept_.clear();
    Click("确定");
    ASSERT_TRUE(IsWindow(window_)) << c.refusal;
    if (&c == &cases[1]) SavePng(CaptureClient(window_), BinDirectory() + "\\..\\add_station_window.png");
    EXPECT_EQ(Refusal(), c.refusal);
    EXPECT_EQ(GetFocus(), c.nameAtFault ? Name() : Address()) << c.refusal;
    EXPECT_EQ(kept_.size(), *c.answer ? 1u : 0u) << "checked before it is kept";
  }
  Click("取消");
  EXPECT_FALSE(IsWindow(window_));
  EXPECT_EQ(AddStationWindow(), nullptr);

  // Esc, in either box, closes it as 取消 does; a second opening brings the open window forward.
  kept_.clear();
  Open();
  const HWND first = window_;
  Open();
  EXPECT_EQ(window_, first);
  SetWindowTextA(Address(), "http://h/");
  Key(Address(), VK_ESCAPE);
  EXPECT_FALSE(IsWindow(window_));
  EXPECT_EQ(kept_.size(), 0u);
}

}  // namespace
}  // namespace trr::test
