// Message boxes, the message loop's Esc routing, window messages bound to handlers, and the edit box: its
// changes reported, its hint shown only while it is empty, Esc left to it where the window does not close on Esc.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "tests/harness/message_pump.h"
#include "tests/harness/window_probe.h"
#include "tests/ui/test_layouts.h"
#include "ui/layout_window.h"
#include "ui/message_box.h"
#include "ui/message_loop.h"

namespace trr::test {
namespace {

using ui::ControlKind;
using ui::EventKind;

BOOL CALLBACK FindIcon(HWND child, LPARAM found) {
  char name[16] = "";
  GetClassNameA(child, name, sizeof(name));
  if (lstrcmpiA(name, "Static") == 0 && (GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON &&
      reinterpret_cast<HICON>(SendMessageA(child, STM_GETICON, 0, 0)) == LoadIcon(nullptr, IDI_QUESTION))
    *reinterpret_cast<bool*>(found) = true;
  return TRUE;
}

// True when the dialog shows the system's question icon.
bool HasIcon(HWND box) {
  bool found = false;
  EnumChildWindows(box, FindIcon, reinterpret_cast<LPARAM>(&found));
  return found;
}

// Answers the first message box titled `title` that appears with `button`; records its text and style.
struct BoxAnswerer {
  std::string title;
  int button;
  std::atomic<bool> answered{false};
  std::string text;
  LONG style = 0;
  bool hasQuestionIcon = false;
  std::thread thread;

  void Start() {
    thread = std::thread([this] {
      for (int i = 0; i < 500 && !answered; ++i) {
        HWND box = FindWindowA("#32770", title.c_str());
        if (box) {
          HWND label = GetDlgItem(box, 0xFFFF);  // the message text
          text = label ? WindowText(label) : "";
          hasQuestionIcon = HasIcon(box);
          HWND yes = GetDlgItem(box, IDYES), no = GetDlgItem(box, IDNO), ok = GetDlgItem(box, IDOK);
          style = (yes ? 1 : 0) | (no ? 2 : 0) | (ok ? 4 : 0);
          PostMessageA(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(box, button)));
          answered = true;
          return;
        }
        Sleep(10);
      }
    });
  }
  ~BoxAnswerer() {
    if (thread.joinable()) thread.join();
  }
};

TEST(QuestionBox, AsksYesOrNoWithTheQuestionIcon) {
  struct Case {
    int button;
    bool expected;
  };
  for (Case c : {Case{IDYES, true}, Case{IDNO, false}}) {
    BoxAnswerer answerer;
    answerer.title = "提示";
    answerer.button = c.button;
    answerer.Start();
    bool answer = ui::AskYesNo(nullptr, "提示", "是否升级?");
    answerer.thread.join();
    EXPECT_TRUE(answerer.answered);
    EXPECT_EQ(answer, c.expected);
    EXPECT_EQ(answerer.text, "是否升级?");
    EXPECT_EQ(answerer.style, 3) << "Yes and No, no OK";
    EXPECT_TRUE(answerer.hasQuestionIcon);
  }
}

const ui::ControlSpec kControls[] = {
    {.name = "按钮1", .kind = ControlKind::PushButton, .left = 8, .top = 8, .width = 64, .height = 24,
     .text = "升级"},
};

const ui::EventBinding kBindings[] = {{"", EventKind::Destroyed, RecordEvent}};

const ui::WindowLayout kDialog = {"TrrUiDialogWindow", "对话", ui::FrameStyle::FixedDialog, 264, 113,
                                  ui::kSystemBackground, 0, 0, true, true, kControls, std::size(kControls),
                                  kBindings, std::size(kBindings)};

VOID CALLBACK GiveUp(HWND, UINT, UINT_PTR, DWORD) { PostQuitMessage(7); }

TEST(MessageLoop, EscOnAControlClosesItsWindowAndEndsTheLoop) {
  RecordedEvents().clear();
  HWND window = ui::CreateLayoutWindow(kDialog, GetModuleHandleA(nullptr));
  ASSERT_NE(window, nullptr);
  RECT outer;
  GetWindowRect(window, &outer);
  EXPECT_EQ(outer.right - outer.left, 264) << "outer size";
  EXPECT_EQ(outer.bottom - outer.top, 113);
  EXPECT_NE(GetWindowLongA(window, GWL_STYLE) & WS_CAPTION, 0);
  EXPECT_EQ(GetWindowLongA(window, GWL_STYLE) & WS_THICKFRAME, 0) << "not resizable";
  HWND button = ui::FindControl(window, "按钮1");
  SetFocus(button);
  PostMessageA(button, WM_KEYDOWN, VK_ESCAPE, 1);
  UINT_PTR guard = SetTimer(nullptr, 0, 5000, GiveUp);
  int code = ui::RunMessageLoop();
  KillTimer(nullptr, guard);
  EXPECT_EQ(code, 0) << "ended by the window's destruction, not by the guard";
  EXPECT_FALSE(IsWindow(window));
  ASSERT_FALSE(RecordedEvents().empty());
  EXPECT_EQ(RecordedEvents().back().kind, EventKind::Destroyed);
}

std::atomic<int> g_doneMessages{0};
LRESULT OnDone(HWND, WPARAM wParam, LPARAM) {
  g_doneMessages += static_cast<int>(wParam);
  return 0;
}

TEST(WindowMessages, BoundMessagesReachTheirHandler) {
  ui::WindowLayout layout = kDialog;
  layout.quitOnDestroy = false;
  HWND window = ui::CreateLayoutWindow(layout, GetModuleHandleA(nullptr));
  ASSERT_NE(window, nullptr);
  const UINT kDone = WM_APP + 5;
  EXPECT_TRUE(ui::BindWindowMessage(window, kDone, OnDone));
  EXPECT_FALSE(ui::BindWindowMessage(nullptr, kDone, OnDone));
  std::thread worker([window, kDone] { PostMessageA(window, kDone, 2, 0); });
  worker.join();
  EXPECT_TRUE(PumpUntil([] { return g_doneMessages == 2; }, 2000));
  DestroyWindow(window);
  PumpMessages(20);
}

const ui::ControlSpec kEditControls[] = {
    {.name = "输入", .kind = ControlKind::EditBox, .left = 10, .top = 10, .width = 128, .height = 20,
     .hint = "搜索电台"},
};
const ui::EventBinding kEditBindings[] = {{"输入", EventKind::TextChanged, RecordEvent}};
const ui::WindowLayout kEditWindow = {"TrrUiEditWindow", "输入", ui::FrameStyle::Borderless, 200, 60,
                                      RGB(204, 227, 248), 0, 0, false, false, kEditControls,
                                      std::size(kEditControls), kEditBindings, std::size(kEditBindings)};

constexpr COLORREF kHintGrey = RGB(128, 128, 128);
WNDPROC g_editProcedure = nullptr;
int g_editEscapes = 0;
LRESULT CALLBACK CountEscapes(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_KEYDOWN && wParam == VK_ESCAPE) ++g_editEscapes;
  return CallWindowProcW(g_editProcedure, window, message, wParam, lParam);
}

bool ShowsHint(HWND edit) {
  Capture capture = CaptureClient(edit);
  for (COLORREF pixel : capture.pixels)
    if (pixel == kHintGrey) return true;
  return false;
}

TEST(EditBox, ReportsEveryChangeShowsItsHintWhileEmptyAndKeepsEsc) {
  HWND window = ui::CreateLayoutWindow(kEditWindow, GetModuleHandleA(nullptr));
  ASSERT_NE(window, nullptr);
  HWND edit = ui::FindControl(window, "输入");
  char name[16] = "";
  GetClassNameA(edit, name, sizeof(name));
  EXPECT_EQ(lstrcmpiA(name, "Edit"), 0);
  PumpMessages(50);
  EXPECT_TRUE(ShowsHint(edit));

  RecordedEvents().clear();
  SendMessageW(edit, WM_CHAR, L'台', 1);
  SendMessageW(edit, WM_CHAR, L'a', 1);
  PumpMessages(50);
  EXPECT_EQ(ui::ControlText(window, "输入"), "台a") << "a Chinese character arrives whole";
  EXPECT_FALSE(ShowsHint(edit));
  SetWindowTextA(edit, "");
  PumpMessages(50);
  EXPECT_TRUE(ShowsHint(edit));
  ASSERT_EQ(RecordedEvents().size(), 3u) << "typing twice, then setting the text";
  for (const Recorded& event : RecordedEvents()) EXPECT_EQ(event.kind, EventKind::TextChanged);

  // Esc in the box stays the box's key when the window does not close on Esc.
  g_editProcedure = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(CountEscapes)));
  g_editEscapes = 0;
  SetFocus(edit);
  PostMessageA(edit, WM_KEYDOWN, VK_ESCAPE, 1);
  UINT_PTR guard = SetTimer(nullptr, 0, 300, GiveUp);
  EXPECT_EQ(ui::RunMessageLoop(), 7);
  KillTimer(nullptr, guard);
  EXPECT_EQ(g_editEscapes, 1);
  EXPECT_TRUE(IsWindow(window));
  DestroyWindow(window);
  PumpMessages(20);
}

}  // namespace
}  // namespace trr::test
