// The window procedures that the control puts on its ListBox and on the container window, and the teardown
// that undoes Create when the ListBox goes away.
#pragma once
#include <windows.h>

#include "listctrl/control_state.h"

namespace trr {

// Hover tracking, selection, enlarged selected rows, click dispatch and the control's repaint message.
LRESULT CALLBACK ListWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Owner drawing of the ListBox, keeping the ListBox as large as the container, and its background brush.
LRESULT CALLBACK ParentWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Calls the handler of `slot` when one is set; its result is ignored.
void RaiseEvent(const ControlState& state, EventSlot slot, int32_t handle, int32_t x, int32_t y);

// Releases everything the control holds besides its registry record: row bitmaps, flash entries, the flash
// timer, the brush, the font, the icon strip and the document; puts the old window procedures back where ours
// are still installed. The record then matches no window. Safe on a half-built record.
void TearDownControl(ControlState& state);

}  // namespace trr
