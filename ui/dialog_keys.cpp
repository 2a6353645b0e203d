// The keys of a dialog, handled in its edit boxes and push buttons themselves, so that they work whatever loop
// dispatches the messages (the program's, a test's). Push buttons get a procedure of their own here; edit boxes
// already have one (ui/edit_box.cpp), which asks HandleDialogKey first.
#include <windows.h>

#include "common/exception_boundary.h"
#include "ui/control_record.h"

namespace trr::ui {
namespace {

// The window's default push button; nullptr when it has none or the button is disabled.
ControlRecord* DefaultButton(LayoutWindow& window) {
  for (auto& record : window.controls) {
    const ControlSpec& row = *record->layoutRow;
    if (row.kind == ControlKind::PushButton && (row.flags & kDefaultButton) && record->hwnd &&
        IsWindowEnabled(record->hwnd))
      return record.get();
  }
  return nullptr;
}

// Handles a key of a dialog on `record`'s control; true when it was one.
bool HandleKey(ControlRecord& record, WPARAM key) {
  LayoutWindow& window = *record.owner;
  switch (key) {
    case VK_TAB: {
      const bool back = GetKeyState(VK_SHIFT) < 0;
      HWND next = GetNextDlgTabItem(window.hwnd, record.hwnd, back);
      if (next && next != record.hwnd) {
        SetFocus(next);
        if (ControlRecord* nextRecord = RecordOf(next); nextRecord && nextRecord->layoutRow->kind == ControlKind::EditBox)
          SendMessageW(next, EM_SETSEL, 0, -1);
      }
      return true;
    }
    case VK_RETURN: {
      ControlRecord* button = record.layoutRow->kind == ControlKind::PushButton ? &record : DefaultButton(window);
      if (button) Dispatch(&window, button->layoutRow->name, EventKind::Click, 0);
      return true;
    }
    case VK_ESCAPE:
      if (window.layout->escapeCloses) PostMessageW(window.hwnd, WM_CLOSE, 0, 0);
      return true;
  }
  return false;
}

LRESULT DialogKeysProcMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  ControlRecord* record = RecordOf(hwnd);
  WNDPROC previous = record ? record->previousProc : nullptr;
  if (!previous) return DefWindowProcW(hwnd, message, wParam, lParam);
  if (HandleDialogKey(*record, message, wParam)) return 0;
  return CallWindowProcW(previous, hwnd, message, wParam, lParam);
}

// A key whose handling failed is answered 0: nothing happened.
LRESULT CALLBACK DialogKeysProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  return CatchAll([&] { return DialogKeysProcMessage(hwnd, message, wParam, lParam); }, static_cast<LRESULT>(0));
}

}  // namespace

bool HandleDialogKey(ControlRecord& record, UINT message, WPARAM wParam) {
  if (!record.owner || !record.owner->dialogKeys) return false;
  if (message == WM_KEYDOWN) return HandleKey(record, wParam);
  // The characters of those keys would only make an edit box beep.
  return message == WM_CHAR && (wParam == '\t' || wParam == '\r' || wParam == '\n' || wParam == 0x1B);
}

void AttachDialogKeys(ControlRecord& record) {
  record.previousProc = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(record.hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(DialogKeysProc)));
}

bool KeepFocusOnActivate(LayoutWindow& window, WPARAM wParam) {
  if (!window.dialogKeys) return false;
  if (LOWORD(wParam) == WA_INACTIVE) {
    HWND focus = GetFocus();
    if (focus && IsChild(window.hwnd, focus)) window.lastFocus = focus;
    return false;
  }
  if (HIWORD(wParam) || !window.lastFocus || !IsWindow(window.lastFocus)) return false;  // minimised, or none kept
  SetFocus(window.lastFocus);
  return true;
}

}  // namespace trr::ui
