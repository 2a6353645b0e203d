// Pixel questions that the painting tests ask of a captured list.
#pragma once
#include <windows.h>

#include <cstdlib>

#include "tests/harness/window_probe.h"

namespace trr::test {

inline bool Near(COLORREF a, COLORREF b, int tolerance = 3) {
  return std::abs(GetRValue(a) - GetRValue(b)) <= tolerance && std::abs(GetGValue(a) - GetGValue(b)) <= tolerance &&
         std::abs(GetBValue(a) - GetBValue(b)) <= tolerance;
}

// Pixels of `rect` (list client coordinates) within `tolerance` of `colour`.
inline int CountNear(const Capture& capture, RECT rect, COLORREF colour, int tolerance = 40) {
  int n = 0;
  for (int y = rect.top; y < rect.bottom && y < capture.height; ++y) {
    for (int x = rect.left; x < rect.right && x < capture.width; ++x) n += Near(capture.At(x, y), colour, tolerance);
  }
  return n;
}

// GDI objects that can still be made: this falls by one for every object alive. Used because GetGuiResources
// reports nothing under Wine; creating brushes up to the handle limit and deleting them takes a few ms.
int FreeGdiCapacity();

}  // namespace trr::test
