// Dressing windows with skin colours: the title bar and frame of captioned windows, client backgrounds, the
// colours of static texts and buttons, and progress bars. Works on windows of the calling thread.
#pragma once
#include <windows.h>

#include "skin/skin_file.h"

namespace trskin {

// Takes the colours to paint with; creates the background brush. False when the brush cannot be made.
bool SetSkinColours(const SkinColours& colours);

// Subclasses `window` once (later calls do nothing). False when the window is gone or the table is full.
bool DressWindow(HWND window);

// Puts every dressed window's own procedure back and frees the brush.
void UndressAll();

}  // namespace trskin
