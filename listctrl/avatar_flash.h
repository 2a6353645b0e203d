// Flashing avatars: a flashing row's avatar moves one pixel back and forth every 300 ms.
#pragma once
#include "listctrl/group_list.h"

namespace trr {

struct ControlState;

// Adds a row to the flash list (once) and starts the control's timer when needed. Groups and unknown handles
// are ignored.
void StartFlash(ControlState& state, ItemHandle row);
// Marks the row to stop; the next tick resets its offset, repaints it and drops it from the list.
void StopFlash(ControlState& state, ItemHandle row);
// Drops the flash entry of a removed row (row 0: every entry of the control) without touching the row; the
// control's timer stops when it has no entry left. Call it whenever a row leaves the document.
void ForgetFlash(HWND listWindow, ItemHandle row);
// Drops every entry of every control (program end).
void ForgetAllFlashes();
// Number of entries in the flash list (for tests).
int FlashListSize();

}  // namespace trr
