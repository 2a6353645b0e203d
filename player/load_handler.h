// What the main window does once it has been created, before it takes input.
#pragma once
#include <windows.h>

namespace trr {

// Runs the load steps in order on the window thread: cache path, the channel directory started on its worker,
// the channel list (filled when the directory arrives), media player objects, rounded shape, notification
// icon, update check.
void RunLoadHandler(HWND mainWindow);

}  // namespace trr
