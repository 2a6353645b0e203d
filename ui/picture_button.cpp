// Picture button: normal, hot and pressed pictures over whatever lies behind it, with a key colour as
// transparency. A click is a press and release of the left button on it.
#include "common/exception_boundary.h"
#include "ui/control_record.h"
#include "ui/surface_paint.h"

namespace trr::ui {

const char kPictureButtonClass[] = "TrrPictureButton";

namespace {

// The hot and pressed pictures are decoded only when the button first shows them.
const Picture& CurrentPicture(const ControlRecord& record) {
  if (record.pressed && record.hot && record.pictures[2]) return record.pictures[2].get();
  if (record.hot && record.pictures[1]) return record.pictures[1].get();
  return record.pictures[0].get();
}

COLORREF KeyColour(const ControlRecord& record) {
  if (record.layoutRow->flags & kMagentaKey) return RGB(255, 0, 255);
  if (record.layoutRow->flags & kWhiteKey) return RGB(255, 255, 255);
  return CLR_INVALID;
}

void Paint(HWND hwnd, const ControlRecord& record) {
  BufferedPaint paint(hwnd);
  DrawBehind(hwnd, paint.dc());
  const Picture& picture = CurrentPicture(record);
  // A picture smaller than the button in both directions sits in its middle; a larger one is clipped.
  int x = 0, y = 0;
  if (picture.width < paint.width() && picture.height < paint.height()) {
    x = (paint.width() - picture.width) / 2;
    y = (paint.height() - picture.height) / 2;
  }
  DrawPicture(paint.dc(), picture, x, y, KeyColour(record), paint.width() - x, paint.height() - y);
}

void SetLook(HWND hwnd, ControlRecord& record, bool hot, bool pressed) {
  if (record.hot == hot && record.pressed == pressed) return;
  record.hot = hot;
  record.pressed = pressed;
  InvalidateRect(hwnd, nullptr, FALSE);
  UpdateWindow(hwnd);
}

bool Inside(HWND hwnd, LPARAM lParam) {
  RECT client;
  GetClientRect(hwnd, &client);
  POINT p = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
  return PtInRect(&client, p) != FALSE;
}

}  // namespace

LRESULT PictureButtonProcMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  ControlRecord* record = RecordOf(hwnd);
  if (!record) return DefWindowProcA(hwnd, message, wParam, lParam);
  switch (message) {
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT:
      Paint(hwnd, *record);
      return 0;
    case WM_SETCURSOR:
      SetCursor(LoadCursor(nullptr, (record->layoutRow->flags & kHandCursor) ? IDC_HAND : IDC_ARROW));
      return TRUE;
    case WM_MOUSEMOVE: {
      bool inside = Inside(hwnd, lParam);
      if (inside && !record->hot) {
        TRACKMOUSEEVENT track = {sizeof(track), TME_LEAVE, hwnd, 0};
        TrackMouseEvent(&track);
      }
      SetLook(hwnd, *record, inside, record->pressed);
      return 0;
    }
    case WM_MOUSELEAVE:
      if (GetCapture() != hwnd) SetLook(hwnd, *record, false, record->pressed);
      return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      SetCapture(hwnd);
      SetLook(hwnd, *record, true, true);
      return 0;
    case WM_LBUTTONUP: {
      bool clicked = record->pressed && Inside(hwnd, lParam);
      SetLook(hwnd, *record, Inside(hwnd, lParam), false);
      if (GetCapture() == hwnd) ReleaseCapture();
      // The handler may destroy this button's window; nothing touches the record after it.
      if (clicked) Dispatch(record->owner, record->layoutRow->name, EventKind::Click, 0);
      return 0;
    }
    case WM_CAPTURECHANGED:
      if (record->pressed) SetLook(hwnd, *record, false, false);
      return 0;
  }
  return DefWindowProcA(hwnd, message, wParam, lParam);
}

// A message whose handling failed (a click's handler, a picture) is answered 0: nothing happened.
LRESULT CALLBACK PictureButtonProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  return CatchAll([&] { return PictureButtonProcMessage(hwnd, message, wParam, lParam); },
                  static_cast<LRESULT>(0));
}

}  // namespace trr::ui
