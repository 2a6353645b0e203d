// What the main window does once it has been created, before it takes input.
#pragma once
#include <windows.h>

namespace trr {

// Runs the load steps in order on the window thread: cache path, channel cache, channel list, media player
// objects, rounded shape, notification icon, update check.
void RunLoadHandler(HWND mainWindow);

}  // namespace trr
