#include "updater/updater_window.h"

#include <commctrl.h>

#include "updater/window_layout.h"

namespace trr {
namespace {

const COLORREF kBlack = RGB(0, 0, 0);

// The layout. The client area is 258 × about 80 pixels, so the buttons and the notes group lie below it.
const ControlSpec kLayout[] = {
    {k标签进度, "标签进度", ControlKind::Label, 0, 16, 8, 112, 20, kInitialReceivedText, true, kProgressLabelColour},
    {k标签大小, "标签大小", ControlKind::Label, 0, 136, 8, 112, 20, kInitialSizeText, true, kProgressLabelColour},
    {k标签时间, "标签时间", ControlKind::Label, 0, 16, 32, 104, 20, kInitialPercentText, true, kProgressLabelColour},
    {k标签速度, "标签速度", ControlKind::Label, 0, 136, 32, 112, 20, kInitialSpeedText, true, kProgressLabelColour},
    {k进度条1, "进度条1", ControlKind::ProgressBar, 0, 16, 56, 224, 22, "", true, 0},
    {k按钮1, "按钮1", ControlKind::Button, 0, 208, 224, 64, 24, "升级", true, 0},
    {k按钮2, "按钮2", ControlKind::Button, 0, 208, 224, 64, 24, "取消", false, 0},
    {k分组框1, "分组框1", ControlKind::GroupBox, 0, 72, 376, 264, 112, "升级内容", true, 0},
    {k标签1, "标签1", ControlKind::Label, k分组框1, 8, 16, 248, 88, "标签", true, kBlack},
};
constexpr int kLayoutCount = sizeof(kLayout) / sizeof(kLayout[0]);

UpdaterWindowHandlers& Handlers() {
  static UpdaterWindowHandlers handlers;
  return handlers;
}

LRESULT CALLBACK UpdaterProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  const UpdaterWindowHandlers& handlers = Handlers();
  switch (message) {
    case WM_CREATE:
      if (!CreateControls(window, kLayout, kLayoutCount)) return -1;
      if (handlers.created) handlers.created(window);
      return 0;
    case WM_CTLCOLORSTATIC: {
      COLORREF colour;
      if (!LabelColour(kLayout, kLayoutCount, reinterpret_cast<HWND>(lParam), colour)) break;
      HDC dc = reinterpret_cast<HDC>(wParam);
      SetTextColor(dc, colour);
      SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
      return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
    }
    case WM_COMMAND:
      if (HIWORD(wParam) == BN_CLICKED) {
        if (LOWORD(wParam) == k按钮1 && handlers.upgradeClicked) handlers.upgradeClicked(window);
        if (LOWORD(wParam) == k按钮2 && handlers.cancelClicked) handlers.cancelClicked(window);
        return 0;
      }
      break;
    case WM_TIMER:
      if (wParam == k时钟 && handlers.tick) handlers.tick(window);
      return 0;
    case kDownloadEventMessage:
      if (handlers.downloadEvent)
        handlers.downloadEvent(window, static_cast<int32_t>(wParam), static_cast<int32_t>(lParam));
      return 0;
    case WM_KEYDOWN:
      if (wParam == VK_ESCAPE) {
        PostMessageA(window, WM_CLOSE, 0, 0);
        return 0;
      }
      break;
    case WM_DESTROY:
      KillTimer(window, k时钟);
      if (handlers.destroyed) handlers.destroyed(window);
      return 0;
    default:
      break;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

HWND CreateUpdaterWindow(HINSTANCE instance, const UpdaterWindowHandlers& handlers) {
  Handlers() = handlers;
  WNDCLASSEXA windowClass = {};
  windowClass.cbSize = sizeof(windowClass);
  windowClass.lpfnWndProc = UpdaterProc;
  windowClass.hInstance = instance;
  windowClass.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
  windowClass.hIcon = LoadIconA(nullptr, reinterpret_cast<LPCSTR>(IDI_APPLICATION));
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  windowClass.lpszClassName = kUpdaterClass;
  if (!RegisterClassExA(&windowClass) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return nullptr;
  int left = (GetSystemMetrics(SM_CXSCREEN) - kUpdaterWidth) / 2;
  int top = (GetSystemMetrics(SM_CYSCREEN) - kUpdaterHeight) / 2;
  // A fixed single border with title bar and close box: no sizing frame, no minimise or maximise box.
  HWND window = CreateWindowExA(0, kUpdaterClass, kUpdaterCaption, WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU, left,
                                top, kUpdaterWidth, kUpdaterHeight, nullptr, nullptr, instance, nullptr);
  if (!window) return nullptr;
  ShowWindow(window, SW_SHOWNORMAL);
  UpdateWindow(window);
  return window;
}

void ShowProgress(HWND window, const ProgressTexts& texts) {
  auto set = [&](int id, const std::string& text) {
    HWND control = ControlById(window, id);
    char current[128];
    // Rewriting an unchanged text would only make the label flicker.
    if (control && (GetWindowTextA(control, current, sizeof(current)) < 0 || text != current))
      SetWindowTextA(control, text.c_str());
  };
  set(k标签大小, texts.size);
  set(k标签进度, texts.received);
  set(k标签速度, texts.speed);
  set(k标签时间, texts.percent);
  if (HWND bar = ControlById(window, k进度条1)) SendMessageA(bar, PBM_SETPOS, texts.position, 0);
}

bool HandleUpdaterKey(HWND window, const MSG& message) {
  if (message.message != WM_KEYDOWN || message.wParam != VK_ESCAPE) return false;
  if (message.hwnd != window && !IsChild(window, message.hwnd)) return false;
  PostMessageA(window, WM_CLOSE, 0, 0);
  return true;
}

}  // namespace trr
