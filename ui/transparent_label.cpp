// Transparent label: only its text, in its colour and font, drawn over what lies behind it.
#include <windowsx.h>

#include "common/exception_boundary.h"
#include "ui/control_record.h"
#include "ui/surface_paint.h"

#include <string>

namespace trr::ui {

const char kTransparentLabelClass[] = "TrrTransparentLabel";

namespace {

void Paint(HWND hwnd, const ControlRecord& record) {
  BufferedPaint paint(hwnd);
  HDC dc = paint.dc();
  DrawBehind(hwnd, dc);
  int length = GetWindowTextLengthA(hwnd);
  std::string text(static_cast<size_t>(length) + 1, '\0');
  length = GetWindowTextA(hwnd, &text[0], length + 1);
  if (length <= 0) return;
  ScopedSelect font(dc, ControlFont(record));
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, record.layoutRow->textColour == kNoColour ? RGB(0, 0, 0) : record.layoutRow->textColour);
  RECT area = {0, 0, paint.width(), paint.height()};
  UINT format = DT_LEFT | DT_TOP | DT_NOPREFIX;
  format |= (record.layoutRow->flags & kMultiLine) ? DT_WORDBREAK : (DT_SINGLELINE | DT_END_ELLIPSIS);
  DrawTextA(dc, text.data(), length, &area, format);
}

}  // namespace

LRESULT TransparentLabelProcMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  ControlRecord* record = RecordOf(hwnd);
  if (!record) return DefWindowProcA(hwnd, message, wParam, lParam);
  switch (message) {
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT:
      Paint(hwnd, *record);
      return 0;
    case WM_LBUTTONDOWN:
      if (!(record->layoutRow->flags & kClickable)) break;
      record->pressed = true;
      SetCapture(hwnd);
      return 0;
    case WM_LBUTTONUP: {
      if (!record->pressed) break;
      record->pressed = false;
      if (GetCapture() == hwnd) ReleaseCapture();
      RECT client;
      GetClientRect(hwnd, &client);
      const POINT at = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
      // The handler may destroy the window; nothing touches the record after it.
      if (PtInRect(&client, at)) Dispatch(record->owner, record->layoutRow->name, EventKind::Click, 0);
      return 0;
    }
    case WM_CAPTURECHANGED:
      record->pressed = false;
      break;
    case WM_SETTEXT: {
      LRESULT result = DefWindowProcA(hwnd, message, wParam, lParam);
      InvalidateRect(hwnd, nullptr, FALSE);
      return result;
    }
  }
  return DefWindowProcA(hwnd, message, wParam, lParam);
}

// A message whose handling failed is answered 0: nothing happened.
LRESULT CALLBACK TransparentLabelProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  return CatchAll([&] { return TransparentLabelProcMessage(hwnd, message, wParam, lParam); },
                  static_cast<LRESULT>(0));
}

}  // namespace trr::ui
