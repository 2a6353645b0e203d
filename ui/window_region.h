// Rounded window shapes.
#pragma once
#include <windows.h>

namespace trr::ui {

// Gives `window` a rounded-rectangle region from (0, 0) to (width + 1, height + 1) of its current outer size,
// with corner ellipses `ellipse` x `ellipse`, redrawn at once. The window owns the region afterwards. Returns the
// region handle, or nullptr when it could not be made or set.
HRGN ApplyRoundedRegion(HWND window, int ellipse);

}  // namespace trr::ui
