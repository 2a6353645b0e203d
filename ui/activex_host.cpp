// Host window for an ActiveX control: an empty child that shows what lies behind it until a control fills it.
// Showing or hiding the host shows or hides the control inside.
#include "common/exception_boundary.h"
#include "ui/control_record.h"
#include "ui/surface_paint.h"

namespace trr::ui {

const char kActiveXHostClass[] = "TrrActiveXHost";

LRESULT ActiveXHostProcMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT: {
      BufferedPaint paint(hwnd);
      DrawBehind(hwnd, paint.dc());
      return 0;
    }
  }
  return DefWindowProcA(hwnd, message, wParam, lParam);
}

// A message whose handling failed is answered 0: nothing happened.
LRESULT CALLBACK ActiveXHostProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  return CatchAll([&] { return ActiveXHostProcMessage(hwnd, message, wParam, lParam); },
                  static_cast<LRESULT>(0));
}

}  // namespace trr::ui
