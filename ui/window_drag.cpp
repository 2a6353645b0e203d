#include "ui/window_drag.h"

namespace trr::ui {
namespace {

POINT ScreenPoint(HWND surface, LPARAM lParam) {
  POINT p = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
  ClientToScreen(surface, &p);
  return p;
}

}  // namespace

bool HandleDragMessage(DragState& state, HWND surface, UINT message, LPARAM lParam) {
  HWND top = GetAncestor(surface, GA_ROOT);
  switch (message) {
    case WM_LBUTTONDOWN: {
      RECT rect;
      if (!top || !GetWindowRect(top, &rect)) return false;
      state.active = true;
      state.pressScreen = ScreenPoint(surface, lParam);
      state.windowStart = {rect.left, rect.top};
      SetCapture(surface);
      return true;
    }
    case WM_MOUSEMOVE: {
      if (!state.active) return false;
      POINT now = ScreenPoint(surface, lParam);
      int x = state.windowStart.x + now.x - state.pressScreen.x;
      int y = state.windowStart.y + now.y - state.pressScreen.y;
      SetWindowPos(top, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
      return true;
    }
    case WM_LBUTTONUP:
      if (!state.active) return false;
      state.active = false;
      if (GetCapture() == surface) ReleaseCapture();
      return true;
    case WM_CAPTURECHANGED:
      state.active = false;
      return false;
  }
  return false;
}

}  // namespace trr::ui
