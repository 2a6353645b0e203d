// The container's window procedure: it paints the control's entries (WM_DRAWITEM), keeps the ListBox as large
// as the container and answers the ListBox's background brush.
#include "common/exception_boundary.h"
#include "listctrl/paint_entry.h"
#include "listctrl/window_procs.h"

namespace trr {

LRESULT ParentWindowProcMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  ControlState* state = FindControlByParent(window);
  const WNDPROC oldProc = state ? state->oldParentProc : nullptr;
  auto passOn = [&] {
    return oldProc ? ::CallWindowProcA(oldProc, window, message, wParam, lParam)
                   : ::DefWindowProcA(window, message, wParam, lParam);
  };
  if (!state) return passOn();

  switch (message) {
    case WM_DRAWITEM: {
      const DRAWITEMSTRUCT* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
      // Only our own ListBoxes are drawn here; other owner-drawn children of the container keep their owner.
      if (!item || item->CtlType != ODT_LISTBOX || !FindControlByList(item->hwndItem)) return passOn();
      DRAWITEMSTRUCT copy = *item;
      PaintEntry(copy.hwndItem, static_cast<int>(copy.itemID), &copy.rcItem, copy.hDC);
      return TRUE;
    }
    case WM_SIZE: {
      LRESULT result = passOn();
      RECT rect;
      if (state->listWindow && ::GetWindowRect(window, &rect))
        ::MoveWindow(state->listWindow, 0, 0, rect.right - rect.left, rect.bottom - rect.top, TRUE);
      return result;
    }
    case WM_CTLCOLORLISTBOX:
      if (state->backgroundBrush) return reinterpret_cast<LRESULT>(state->backgroundBrush);
      return passOn();
    default:
      return passOn();
  }
}

// A message whose handling failed is answered TRUE: an entry that could not be painted stays unpainted.
LRESULT CALLBACK ParentWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return CatchAll([&] { return ParentWindowProcMessage(window, message, wParam, lParam); },
                  static_cast<LRESULT>(TRUE));
}

}  // namespace trr
