#include "ui/message_loop.h"

#include <windows.h>

#include "ui/layout_window.h"

namespace trr::ui {

int RunMessageLoop() {
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    // Esc closes a window that Esc closes wherever the focus is in it; elsewhere it stays the focused
    // control's key (an edit box clears itself with it, say).
    if (msg.message == WM_KEYDOWN && msg.wParam == VK_ESCAPE) {
      HWND root = GetAncestor(msg.hwnd, GA_ROOT);
      if (root && root != msg.hwnd && EscapeClosesLayoutWindow(root)) msg.hwnd = root;
    }
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return static_cast<int>(msg.wParam);
}

}  // namespace trr::ui
