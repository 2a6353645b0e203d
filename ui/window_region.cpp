#include "ui/window_region.h"

#include "common/scoped_win.h"

namespace trr::ui {

HRGN ApplyRoundedRegion(HWND window, int ellipse) {
  RECT rect;
  if (!GetWindowRect(window, &rect)) return nullptr;
  ScopedRegion region(CreateRoundRectRgn(0, 0, rect.right - rect.left + 1, rect.bottom - rect.top + 1, ellipse, ellipse));
  if (!region || !SetWindowRgn(window, region.get(), TRUE)) return nullptr;
  // The system owns the region now.
  return region.release();
}

}  // namespace trr::ui
