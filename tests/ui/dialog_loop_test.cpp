// Message boxes, the message loop's Esc routing and window messages bound to handlers.
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

}  // namespace
}  // namespace trr::test
