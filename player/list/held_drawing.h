// Holding a window's drawing while several changes are made to it, then drawing it once. Under Wine a list
// box that redraws its scroll bar after each change (as it does whenever its own redrawing is turned back on)
// spends milliseconds on each; hidden meanwhile, as the default handling of WM_SETREDRAW hides a window, it
// draws nothing until everything has changed.
#pragma once
#include <windows.h>

namespace trr {

class HeldDrawing {
 public:
  // Nothing happens for a window that is not shown (or held already: the outer hold draws it).
  explicit HeldDrawing(HWND window)
      : window_(window && (GetWindowLongA(window, GWL_STYLE) & WS_VISIBLE) ? window : nullptr) {
    if (window_) DefWindowProcA(window_, WM_SETREDRAW, FALSE, 0);
  }
  ~HeldDrawing() {
    if (!window_) return;
    DefWindowProcA(window_, WM_SETREDRAW, TRUE, 0);
    RedrawWindow(window_, nullptr, nullptr, RDW_ERASE | RDW_FRAME | RDW_INVALIDATE | RDW_ALLCHILDREN);
  }
  HeldDrawing(const HeldDrawing&) = delete;
  HeldDrawing& operator=(const HeldDrawing&) = delete;

 private:
  HWND window_;
};

}  // namespace trr
