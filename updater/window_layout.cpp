#include "updater/window_layout.h"

#include <commctrl.h>

namespace trr {

bool CreateControls(HWND window, const ControlSpec* specs, int count) {
  HFONT font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  HINSTANCE instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(window, GWLP_HINSTANCE));
  for (int i = 0; i < count; ++i) {
    const ControlSpec& spec = specs[i];
    HWND parent = spec.parentId ? ControlById(window, spec.parentId) : window;
    if (!parent) return false;
    const char* className = "STATIC";
    DWORD style = WS_CHILD | (spec.visible ? WS_VISIBLE : 0);
    switch (spec.kind) {
      case ControlKind::Label:
        style |= SS_LEFT | SS_NOPREFIX;
        break;
      case ControlKind::Button:
        className = "BUTTON";
        style |= BS_PUSHBUTTON | WS_TABSTOP;
        break;
      case ControlKind::GroupBox:
        className = "BUTTON";
        style |= BS_GROUPBOX;
        break;
      case ControlKind::ProgressBar:
        className = PROGRESS_CLASSA;
        break;
    }
    HWND control = CreateWindowExA(0, className, spec.text, style, spec.left, spec.top, spec.width, spec.height,
                                   parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(spec.id)), instance,
                                   nullptr);
    if (!control) return false;
    SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    if (spec.kind == ControlKind::ProgressBar) SendMessageA(control, PBM_SETRANGE32, 0, 100);
  }
  return true;
}

HWND ControlById(HWND window, int id) {
  HWND direct = GetDlgItem(window, id);
  if (direct) return direct;
  for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    HWND inner = ControlById(child, id);
    if (inner) return inner;
  }
  return nullptr;
}

bool LabelColour(const ControlSpec* specs, int count, HWND control, COLORREF& colour) {
  int id = GetDlgCtrlID(control);
  for (int i = 0; i < count; ++i) {
    if (specs[i].id == id && specs[i].kind == ControlKind::Label) {
      colour = specs[i].textColour;
      return true;
    }
  }
  return false;
}

}  // namespace trr
