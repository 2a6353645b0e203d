// Edit box: the standard single-line EDIT control, with a grey hint while it is empty. Its procedure is
// replaced with the W functions: an ANSI edit box subclassed with the A functions receives a Chinese character
// typed through an input method or sent as Unicode as two "?" under Wine, while through the W functions it
// arrives whole (and is stored as its two GBK bytes all the same).
#include <string>

#include "common/exception_boundary.h"
#include "common/gbk_convert.h"
#include "common/scoped_win.h"
#include "ui/control_record.h"

namespace trr::ui {
namespace {

constexpr int kTextMargin = 3;  // pixels between the border and the text, both sides
constexpr COLORREF kHintColour = RGB(128, 128, 128);

bool ShowsHint(HWND hwnd, const ControlRecord& record) {
  const char* hint = record.layoutRow->hint;
  return hint && *hint && GetWindowTextLengthW(hwnd) == 0;
}

// An empty box is drawn here: its background as the box would draw it, and the hint where the text would start.
// The caret stays hidden meanwhile, so that nothing drawn here is inverted by it.
void PaintHint(HWND hwnd, const ControlRecord& record) {
  const std::wstring text = GbkToWide(record.layoutRow->hint);
  HideCaret(hwnd);
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(hwnd, &paint);
  if (dc) {
    auto brush = reinterpret_cast<HBRUSH>(
        SendMessageW(GetParent(hwnd), WM_CTLCOLOREDIT, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(hwnd)));
    RECT area;
    GetClientRect(hwnd, &area);
    FillRect(dc, &area, brush ? brush : GetSysColorBrush(COLOR_WINDOW));
    ScopedSelect font(dc, ControlFont(record));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, kHintColour);
    area.left += kTextMargin;
    DrawTextW(dc, text.data(), static_cast<int>(text.size()), &area,
              DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
  }
  EndPaint(hwnd, &paint);
  ShowCaret(hwnd);
}

LRESULT EditBoxProcMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  ControlRecord* record = RecordOf(hwnd);
  WNDPROC previous = record ? record->previousProc : nullptr;
  if (!previous) return DefWindowProcW(hwnd, message, wParam, lParam);
  if (message == WM_PAINT && ShowsHint(hwnd, *record)) {
    PaintHint(hwnd, *record);
    return 0;
  }
  return CallWindowProcW(previous, hwnd, message, wParam, lParam);
}

// A message whose own handling failed is answered 0; the box's own procedure has run by then.
LRESULT CALLBACK EditBoxProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  return CatchAll([&] { return EditBoxProcMessage(hwnd, message, wParam, lParam); }, static_cast<LRESULT>(0));
}

}  // namespace

void SetUpEditBox(ControlRecord& record) {
  HWND hwnd = record.hwnd;
  SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(ControlFont(record)), FALSE);
  SendMessageW(hwnd, EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, MAKELPARAM(kTextMargin, kTextMargin));
  record.previousProc =
      reinterpret_cast<WNDPROC>(SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(EditBoxProc)));
}

}  // namespace trr::ui
