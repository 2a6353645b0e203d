// Volume slider drawn from four alpha strips: [0] the rail, [1] the filled part left of the thumb, [2] the filled
// part while the mouse is over the slider, [3] the thumb. The rail and the filled part keep their 3-pixel ends
// and stretch their middles to the length they cover.
#include "common/exception_boundary.h"
#include "ui/control_record.h"
#include "ui/surface_paint.h"

namespace trr::ui {

const char kVolumeSliderClass[] = "TrrVolumeSlider";

namespace {

constexpr int kEndWidth = 3;

SIZE ClientSizeOf(HWND hwnd) {
  RECT client;
  GetClientRect(hwnd, &client);
  return {client.right, client.bottom};
}

int ThumbWidth(const ControlRecord& record) { return record.pictures[3] ? record.pictures[3].get().width : 8; }

// Draws `strip` horizontally over [left, right) at height `top`, its ends unstretched.
void DrawStrip(HDC dc, const Picture& strip, int left, int right, int top) {
  if (!strip || right <= left) return;
  int h = strip.height, w = strip.width;
  int end = kEndWidth * 2 < right - left && kEndWidth * 2 < w ? kEndWidth : 0;
  if (end) {
    BlendPicturePart(dc, strip, {left, top, left + end, top + h}, {0, 0, end, h});
    BlendPicturePart(dc, strip, {right - end, top, right, top + h}, {w - end, 0, w, h});
  }
  BlendPicturePart(dc, strip, {left + end, top, right - end, top + h}, {end, 0, w - end, h});
}

void Paint(HWND hwnd, const ControlRecord& record) {
  BufferedPaint paint(hwnd);
  HDC dc = paint.dc();
  DrawBehind(hwnd, dc);
  const Picture& rail = record.pictures[0].get();
  int railHeight = rail ? rail.height : 6;
  int railTop = (paint.height() - railHeight) / 2;
  DrawStrip(dc, rail, 0, paint.width(), railTop);
  RECT thumb = SliderThumbRect(record);
  const Picture& filled = record.hot && record.pictures[2] ? record.pictures[2].get() : record.pictures[1].get();
  DrawStrip(dc, filled, 0, (thumb.left + thumb.right) / 2, railTop);
  DrawPicture(dc, record.pictures[3].get(), thumb.left, thumb.top, CLR_INVALID, thumb.right - thumb.left,
              thumb.bottom - thumb.top);
}

void MoveTo(HWND hwnd, ControlRecord& record, int x) {
  int position = SliderPositionAt(record, x);
  if (position == record.position) return;
  record.position = position;
  InvalidateRect(hwnd, nullptr, FALSE);
  UpdateWindow(hwnd);
  Dispatch(record.owner, record.layoutRow->name, EventKind::SliderChanged, position);
}

}  // namespace

int SliderPositionAt(const ControlRecord& record, int x) {
  const ControlSpec& layoutRow = *record.layoutRow;
  int travel = ClientSizeOf(record.hwnd).cx - ThumbWidth(record);
  int span = layoutRow.rangeMax - layoutRow.rangeMin;
  if (travel <= 0 || span <= 0) return layoutRow.rangeMin;
  int offset = x - ThumbWidth(record) / 2;
  if (offset <= 0) return layoutRow.rangeMin;
  if (offset >= travel) return layoutRow.rangeMax;
  return layoutRow.rangeMin + (offset * span + travel / 2) / travel;
}

RECT SliderThumbRect(const ControlRecord& record) {
  const ControlSpec& layoutRow = *record.layoutRow;
  SIZE size = ClientSizeOf(record.hwnd);
  int width = ThumbWidth(record);
  int height = record.pictures[3] ? record.pictures[3].get().height : 10;
  int travel = size.cx - width;
  int span = layoutRow.rangeMax - layoutRow.rangeMin;
  int left = span > 0 && travel > 0 ? (record.position - layoutRow.rangeMin) * travel / span : 0;
  int top = (size.cy - height) / 2;
  return {left, top, left + width, top + height};
}

LRESULT VolumeSliderProcMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  ControlRecord* record = RecordOf(hwnd);
  if (!record) return DefWindowProcA(hwnd, message, wParam, lParam);
  int x = static_cast<short>(LOWORD(lParam));
  switch (message) {
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT:
      Paint(hwnd, *record);
      return 0;
    case WM_SETCURSOR:
      SetCursor(LoadCursor(nullptr, (record->layoutRow->flags & kHandCursor) ? IDC_HAND : IDC_ARROW));
      return TRUE;
    case WM_LBUTTONDOWN:
      record->dragging = true;
      SetCapture(hwnd);
      MoveTo(hwnd, *record, x);
      return 0;
    case WM_MOUSEMOVE:
      if (!record->hot) {
        record->hot = true;
        TRACKMOUSEEVENT track = {sizeof(track), TME_LEAVE, hwnd, 0};
        TrackMouseEvent(&track);
        InvalidateRect(hwnd, nullptr, FALSE);
      }
      if (record->dragging) MoveTo(hwnd, *record, x);
      return 0;
    case WM_MOUSELEAVE:
      if (!record->dragging) {
        record->hot = false;
        InvalidateRect(hwnd, nullptr, FALSE);
      }
      return 0;
    case WM_LBUTTONUP:
      if (record->dragging) {
        MoveTo(hwnd, *record, x);
        record->dragging = false;
        if (GetCapture() == hwnd) ReleaseCapture();
      }
      return 0;
    case WM_CAPTURECHANGED:
      record->dragging = false;
      return 0;
  }
  return DefWindowProcA(hwnd, message, wParam, lParam);
}

// A message whose handling failed is answered 0: nothing happened.
LRESULT CALLBACK VolumeSliderProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  return CatchAll([&] { return VolumeSliderProcMessage(hwnd, message, wParam, lParam); },
                  static_cast<LRESULT>(0));
}

}  // namespace trr::ui
