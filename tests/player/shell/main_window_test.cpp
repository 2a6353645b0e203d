// The main window and the About window run in this process: layout, folding, pinning, minimising, the About
// window, and the end through 关闭.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "common/file_util.h"
#include "player/shell/about_window.h"
#include "player/shell/main_window.h"
#include "player/shell/notify_icon_slot.h"
#include "player/shell/player_main.h"
#include "player/shell/program_end.h"
#include "player/shell/program_state.h"
#include "player/shell/load_steps.h"
#include "player/shell/window_layouts.h"
#include "tests/harness/demo_server_client.h"
#include "tests/harness/message_pump.h"
#include "tests/harness/temp_dir.h"
#include "tests/harness/window_probe.h"
#include "ui/layout_window.h"
#include "ui/notify_icon.h"
#include "ui/picture_resource.h"

namespace trr::test {
namespace {

int g_endCalls = 0;
int g_endCode = -1;
bool g_stateClearedAtEnd = false;

void RecordEnd(int code) {
  ++g_endCalls;
  g_endCode = code;
  g_stateClearedAtEnd = State().cachePath.empty();
}

RECT RegionBox(HWND window) {
  RECT box = {-1, -1, -1, -1};
  HRGN region = CreateRectRgn(0, 0, 0, 0);
  if (GetWindowRgn(window, region) != ERROR) GetRgnBox(region, &box);
  DeleteObject(region);
  return box;
}

struct ClassCount {
  const char* name;
  int count;
};

BOOL CALLBACK CountClass(HWND window, LPARAM param) {
  auto* s = reinterpret_cast<ClassCount*>(param);
  char name[64] = "";
  GetClassNameA(window, name, sizeof(name));
  if (std::string(name) == s->name) ++s->count;
  return TRUE;
}

int CountWindowsOfClass(const char* className) {
  ClassCount search = {className, 0};
  EnumWindows(CountClass, reinterpret_cast<LPARAM>(&search));
  return search.count;
}

std::string ScreenshotPath(const std::string& name) { return BinDirectory() + "\\..\\" + name; }

class MainWindowTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    cachePath_ = ModuleDirectory() + "\\GB.Dat";
    hadCache_ = FileExists(cachePath_);
  }
  static void TearDownTestSuite() {
    // The load handler writes the cache beside this test program; leave the build tree as it was.
    if (!hadCache_) DeleteFileIfPresent(cachePath_);
  }
  void SetUp() override {
    g_endCalls = 0;
    g_endCode = -1;
    SetProcessEnd(RecordEnd);
    ResetState();
    RegisterExitCleanup(RunExitCleanup);
    main_ = CreateMainWindow(GetModuleHandleA(nullptr));
    ASSERT_NE(main_, nullptr);
    PumpMessages(100);
  }
  void TearDown() override {
    if (HWND about = AboutWindow()) DestroyWindow(about);
    if (IsWindow(main_)) DestroyWindow(main_);
    PumpMessages(20);
    SetProcessEnd(nullptr);
  }
  HWND Control(const char* name) { return ui::FindControl(main_, name); }
  void Click(const char* name) {
    HWND control = Control(name);
    ASSERT_NE(control, nullptr) << name;
    RECT r = RectInParent(control);
    LeftClick(control, (r.right - r.left) / 2, (r.bottom - r.top) / 2);
    PumpMessages(30);
  }
  int WindowHeight() {
    RECT r;
    GetWindowRect(main_, &r);
    return r.bottom - r.top;
  }

  static std::string cachePath_;
  static bool hadCache_;
  HWND main_ = nullptr;
};

std::string MainWindowTest::cachePath_;
bool MainWindowTest::hadCache_ = false;

struct Expected {
  const char* name;
  const char* parent;  // nullptr: the main window
  int left, top, width, height;
  const char* text;
  bool visible;
};

TEST_F(MainWindowTest, EveryControlStandsWhereTheLayoutPutsIt) {
  EXPECT_EQ(ClientSize(main_).cx, 286);
  EXPECT_EQ(ClientSize(main_).cy, 545);
  EXPECT_EQ(WindowText(main_), "TiroRadio");
  LONG style = GetWindowLongA(main_, GWL_STYLE);
  EXPECT_EQ(style & (WS_CAPTION | WS_THICKFRAME), 0) << "no title bar, no frame";
  EXPECT_NE(GetWindowLongA(main_, GWL_EXSTYLE) & WS_EX_APPWINDOW, 0) << "on the taskbar";
  RECT window, work;
  GetWindowRect(main_, &window);
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
  EXPECT_NEAR((window.left + window.right) / 2, (work.left + work.right) / 2, 1) << "centred";
  EXPECT_NEAR((window.top + window.bottom) / 2, (work.top + work.bottom) / 2, 1) << "centred";
  RECT box = RegionBox(main_);
  EXPECT_EQ(box.right, 286);
  EXPECT_EQ(box.bottom, 545);

  const Expected expected[] = {
      {"图片框1", nullptr, 0, 0, 286, 180, "", true},
      {"最小化", "图片框1", 184, 0, 26, 18, "", true},
      {"置顶", "图片框1", 208, 0, 26, 18, "", true},
      {"关闭", "图片框1", 232, 0, 43, 18, "关闭", true},
      {"状态标签", "图片框1", 8, 32, 128, 15, "TiroRadio", true},
      {"透明标签2", "图片框1", 144, 32, 120, 15, "人数统计服务器故障.", true},
      {"电视播放器", "图片框1", 8, 54, 122, 45, "", false},
      {"时间标签1", "图片框1", 144, 57, 32, 18, "状态:", true},
      {"时间标签", "图片框1", 179, 57, 55, 18, "准备就绪", true},
      {"声音开关", "图片框1", 144, 85, 20, 17, "", true},
      {"音量大小", "图片框1", 176, 80, 88, 24, "", true},
      {"播放暂停", "图片框1", 124, 125, 46, 43, "", true},
      {"列表开关", "图片框1", 32, 133, 34, 27, "", true},
      {"列表开关1", "图片框1", 224, 133, 34, 27, "", true},
      {"图片框2", nullptr, 0, 176, 286, 369, "", true},
      {"图片框", "图片框2", 9, 50, 267, 310, "", true},
      {"列表标题", "图片框2", 16, 12, 124, 18, "频道列表", true},
      {"搜索框", "图片框2", 146, 11, 128, 20, "", true},
  };
  for (const Expected& e : expected) {
    SCOPED_TRACE(e.name);
    HWND control = Control(e.name);
    ASSERT_NE(control, nullptr);
    EXPECT_EQ(GetParent(control), e.parent ? Control(e.parent) : main_);
    RECT r = RectInParent(control);
    EXPECT_EQ(r.left, e.left);
    EXPECT_EQ(r.top, e.top);
    EXPECT_EQ(r.right - r.left, e.width);
    EXPECT_EQ(r.bottom - r.top, e.height);
    EXPECT_EQ(WindowText(control), e.text);
    EXPECT_EQ(IsWindowVisible(control) != FALSE, e.visible);
  }
  // 图片框 lies at 9, 226 in the window.
  POINT origin = {0, 0};
  MapWindowPoints(Control("图片框"), main_, &origin, 1);
  EXPECT_EQ(origin.x, 9);
  EXPECT_EQ(origin.y, 226);
  EXPECT_EQ(ui::ControlPosition(main_, "音量大小"), 30);
  // The lower panel lies over the top panel's last four rows.
  EXPECT_EQ(ChildWindowFromPointEx(main_, POINT{100, 177}, CWP_SKIPINVISIBLE), Control("图片框2"));
  EXPECT_EQ(ChildWindowFromPointEx(main_, POINT{100, 175}, CWP_SKIPINVISIBLE), Control("图片框1"));
  EXPECT_TRUE(State().iconInstalled);
  // The program icon in both sizes, for the taskbar and the window switcher.
  EXPECT_NE(GetClassLongPtrA(main_, GCLP_HICON), 0);
  EXPECT_NE(GetClassLongPtrA(main_, GCLP_HICONSM), 0);
}

TEST_F(MainWindowTest, FoldingChangesOnlyTheHeightAndKeepsTheRegion) {
  Click("列表开关");
  EXPECT_EQ(WindowHeight(), 177);
  EXPECT_EQ(ClientSize(main_).cx, 286);
  RECT box = RegionBox(main_);
  EXPECT_EQ(box.bottom, 545) << "the region stays the unfolded one";
  Click("列表开关");
  EXPECT_EQ(WindowHeight(), 545);
  EXPECT_EQ(RegionBox(main_).bottom, 545);
  Click("列表开关");
  EXPECT_EQ(WindowHeight(), 177);
}

TEST_F(MainWindowTest, PinTogglesAlwaysOnTopAndDecorationsDoNothing) {
  auto topmost = [&] { return (GetWindowLongA(main_, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; };
  EXPECT_FALSE(topmost());
  Click("置顶");
  EXPECT_TRUE(topmost());
  Click("置顶");
  EXPECT_FALSE(topmost());

  RECT before;
  GetWindowRect(main_, &before);
  Click("声音开关");
  Click("列表开关1");
  RECT after;
  GetWindowRect(main_, &after);
  EXPECT_EQ(after.bottom - after.top, before.bottom - before.top);
  EXPECT_FALSE(topmost());
  EXPECT_EQ(AboutWindow(), nullptr);
  EXPECT_EQ(g_endCalls, 0);

  Click("最小化");
  EXPECT_TRUE(IsIconic(main_));
  ShowWindow(main_, SW_RESTORE);
}

TEST_F(MainWindowTest, RightPressOnABarePanelOpensTheAboutWindow) {
  // Controls inside the panels are not bare surface.
  for (const char* name : {"关闭", "状态标签", "播放暂停", "音量大小", "图片框"}) {
    RightPress(Control(name), 3, 3);
    PumpMessages(20);
    EXPECT_EQ(AboutWindow(), nullptr) << name;
  }
  RightPress(Control("图片框1"), 150, 115);
  PumpMessages(50);
  HWND about = AboutWindow();
  ASSERT_NE(about, nullptr);
  EXPECT_EQ(GetWindow(about, GW_OWNER), nullptr) << "no owner";
  EXPECT_TRUE(IsWindowEnabled(main_)) << "not modal";
  EXPECT_EQ(ClientSize(about).cx, 286);
  EXPECT_EQ(ClientSize(about).cy, 180);
  EXPECT_EQ(GetWindowLongA(about, GWL_STYLE) & WS_CAPTION, 0);
  RECT box = RegionBox(about);
  EXPECT_EQ(box.right, 286);
  EXPECT_EQ(box.bottom, 180);
  HRGN region = CreateRectRgn(0, 0, 0, 0);
  GetWindowRgn(about, region);
  EXPECT_FALSE(PtInRegion(region, 0, 0)) << "9 x 9 corner cut";
  EXPECT_TRUE(PtInRegion(region, 4, 4));
  DeleteObject(region);

  const Expected expected[] = {
      {"图形按钮3", nullptr, 24, 48, 112, 104, "", true},
      {"透明标签1", nullptr, 128, 48, 120, 16, "TiroRadio(1.0.1)", true},
      {"透明标签2", nullptr, 128, 72, 120, 16, nullptr, true},
      {"透明标签3", nullptr, 128, 96, 120, 56, nullptr, true},
      {"关闭", nullptr, 235, 0, 43, 18, "关闭", true},
  };
  for (const Expected& e : expected) {
    SCOPED_TRACE(e.name);
    HWND control = ui::FindControl(about, e.name);
    ASSERT_NE(control, nullptr);
    EXPECT_EQ(GetParent(control), about);
    RECT r = RectInParent(control);
    EXPECT_EQ(r.left, e.left);
    EXPECT_EQ(r.top, e.top);
    EXPECT_EQ(r.right - r.left, e.width);
    EXPECT_EQ(r.bottom - r.top, e.height);
    if (e.text) EXPECT_EQ(WindowText(control), e.text);
    else EXPECT_FALSE(WindowText(control).empty());
  }
  // The logo does nothing; a second right press does not open a second window.
  LeftClick(ui::FindControl(about, "图形按钮3"), 50, 50);
  RightPress(Control("图片框2"), 250, 20);
  PumpMessages(50);
  EXPECT_EQ(AboutWindow(), about);
  EXPECT_EQ(CountWindowsOfClass(kAboutWindowClass), 1);

  // Its 关闭 closes it and only it.
  HWND close = ui::FindControl(about, "关闭");
  LeftClick(close, 20, 9);
  EXPECT_TRUE(PumpUntil([&] { return !IsWindow(about); }, 5000));
  EXPECT_TRUE(IsWindow(main_));
  EXPECT_EQ(g_endCalls, 0);

  // Esc closes it too.
  RightPress(Control("图片框2"), 250, 20);
  PumpMessages(50);
  about = AboutWindow();
  ASSERT_NE(about, nullptr);
  PressKey(about, VK_ESCAPE);
  EXPECT_TRUE(PumpUntil([&] { return !IsWindow(about); }, 5000));
}

TEST_F(MainWindowTest, CloseRemovesTheIconAndEndsWithExitCodeZero) {
  ASSERT_TRUE(State().iconInstalled);
  State().currentStationName = "电台";
  Click("关闭");
  EXPECT_EQ(g_endCalls, 1);
  EXPECT_EQ(g_endCode, 0);
  EXPECT_TRUE(g_stateClearedAtEnd) << "the exit clean-up ran before the end";
  EXPECT_TRUE(State().currentStationName.empty());
  EXPECT_FALSE(State().iconInstalled);
  EXPECT_FALSE(ui::RemoveNotifyIcon(main_, 1)) << "the shell no longer has the icon";
}

TEST_F(MainWindowTest, HandingOverToTheUpdaterRemovesTheIconBeforeTheEnd) {
  ASSERT_TRUE(State().iconInstalled);
  ScopedTempDir program;
  ASSERT_TRUE(CopyFileTo(BinDirectory() + "\\updater_stand_in.exe", program.File("TrRadioDl.exe")));
  ServerControl("/__control/version?text=1.01");
  RunUpdateCheck(main_, program.path());
  ServerReset();
  EXPECT_EQ(g_endCalls, 1);
  EXPECT_EQ(g_endCode, 0);
  EXPECT_FALSE(State().iconInstalled);
  EXPECT_FALSE(ui::RemoveNotifyIcon(main_, 1)) << "the shell no longer has the icon";
  // The updater was started; it ends before its directory goes.
  EXPECT_TRUE(PumpUntil([&] { return FileExists(program.File("started.marker")); }, 15000));
  PumpMessages(300);
}

TEST_F(MainWindowTest, TheStationPictureIsTheLogoOf3098Bytes) {
  std::string bytes = StationPictureBytes();
  EXPECT_EQ(bytes.size(), 3098u);
  EXPECT_EQ(bytes.substr(0, 6), "GIF89a");
  ui::Picture picture = ui::DecodeGif(bytes.data(), bytes.size());
  EXPECT_EQ(picture.width, 100);
  EXPECT_EQ(picture.height, 99);
}

TEST_F(MainWindowTest, Screenshots) {
  PumpMessages(200);
  EXPECT_TRUE(SavePng(CaptureClient(main_), ScreenshotPath("screenshot-main.png")));
  MoveMouse(Control("关闭"), 20, 9);
  EXPECT_TRUE(SavePng(CaptureClient(main_), ScreenshotPath("screenshot-main-hot-close.png")));
  SendMessageA(Control("关闭"), WM_MOUSELEAVE, 0, 0);
  HWND about = OpenAboutWindow(GetModuleHandleA(nullptr));
  ASSERT_NE(about, nullptr);
  PumpMessages(200);
  EXPECT_TRUE(SavePng(CaptureClient(about), ScreenshotPath("screenshot-about.png")));
}

}  // namespace
}  // namespace trr::test
