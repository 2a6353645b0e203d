// Flashing avatars: a flashing row's avatar moves one pixel back and forth every 300 ms.
#pragma once
#include "listctrl/group_list.h"

namespace trr {

struct ControlState;

// Adds a row to the flash list (once) and starts the control's timer when needed.
void StartFlash(ControlState& state, ItemHandle row);
// Marks the row to stop; the next tick resets its offset, repaints it and drops it from the list.
void StopFlash(ControlState& state, ItemHandle row);
// Drops every flash entry of a removed row or of a whole control.
void ForgetFlash(HWND listWindow, ItemHandle row);
void ForgetAllFlashes();
// Number of entries in the flash list (for tests).
int FlashListSize();

}  // namespace trr
