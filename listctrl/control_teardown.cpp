// Undoing Create: when the ListBox is destroyed (or at program end) the control gives back every bitmap,
// brush, font and timer it made and drops its document, so a destroyed control leaks nothing and a later
// window that happens to get the same handle is never mistaken for it.
#include "listctrl/avatar_flash.h"
#include "listctrl/group_rows.h"
#include "listctrl/window_procs.h"

namespace trr {
namespace {

// Puts `previous` back as the window's procedure when ours is still the installed one; false otherwise.
bool RestoreProc(HWND window, WNDPROC ours, WNDPROC previous) {
  if (!window || !previous || !::IsWindow(window)) return false;
  if (reinterpret_cast<WNDPROC>(::GetWindowLongPtrA(window, GWLP_WNDPROC)) != ours) return false;
  ::SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous));
  return true;
}

}  // namespace

void TearDownControl(ControlState& state) {
  if (state.document.IsValid()) {
    // Rows never made give back their bitmaps without being made now.
    state.document.DropAllDeferred();
    for (const ElementPtr& group : state.document.Children(state.document.Root().Get()))
      for (const ElementPtr& row : state.document.Children(group.Get())) ReleaseRowResources(state, row.Get());
  }
  if (state.flashTimer && state.listWindow) ::KillTimer(state.listWindow, state.flashTimer);
  state.flashTimer = 0;
  if (state.listWindow) ForgetFlash(state.listWindow, 0);
  RestoreProc(state.listWindow, ListWindowProc, state.oldListProc);
  // The container keeps passing its messages through this record while another procedure sits above ours.
  if (RestoreProc(state.parentWindow, ParentWindowProc, state.oldParentProc)) state.parentWindow = nullptr;
  if (state.backgroundBrush) ::DeleteObject(state.backgroundBrush);
  state.backgroundBrush = nullptr;
  if (state.listFont) ::DeleteObject(state.listFont);
  state.listFont = nullptr;
  if (state.iconStrip) ::DeleteObject(state.iconStrip);
  state.iconStrip = nullptr;
  state.iconCount = 0;
  state.iconKeyColours.clear();
  state.document.Release();
  state.listWindow = nullptr;
  state.hoverIndex = state.selectedIndex = -1;
  state.hotIcon = 0;
}

}  // namespace trr
