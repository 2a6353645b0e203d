// Picture box: shows its GIF picture (or what lies behind it), carries child controls, reports right presses on
// its bare surface and moves the top-level window when dragged with the left button.
#include "common/exception_boundary.h"
#include "ui/control_record.h"
#include "ui/surface_paint.h"

namespace trr::ui {

const char kPictureBoxClass[] = "TrrPictureBox";

bool HandleChildNotification(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

LRESULT PictureBoxProcMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  ControlRecord* record = RecordOf(hwnd);
  LRESULT result = 0;
  if (record && HandleChildNotification(hwnd, message, wParam, lParam, result)) return result;
  switch (message) {
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT: {
      BufferedPaint paint(hwnd);
      DrawSurface(hwnd, paint.dc(), 0, 0, paint.width(), paint.height());
      return 0;
    }
    case WM_RBUTTONDOWN:
      if (record) Dispatch(record->owner, record->layoutRow->name, EventKind::RightPress, 0);
      return 0;
    case WM_LBUTTONDOWN:
    case WM_MOUSEMOVE:
    case WM_LBUTTONUP:
    case WM_CAPTURECHANGED:
      if (record && HandleDragMessage(record->drag, hwnd, message, lParam)) return 0;
      break;
  }
  return DefWindowProcA(hwnd, message, wParam, lParam);
}

// A message whose handling failed is answered 0: nothing happened.
LRESULT CALLBACK PictureBoxProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  return CatchAll([&] { return PictureBoxProcMessage(hwnd, message, wParam, lParam); },
                  static_cast<LRESULT>(0));
}

}  // namespace trr::ui
