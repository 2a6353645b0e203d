// What the main window does once it has been created, before it takes input.
#pragma once
#include <windows.h>

#include <string>

namespace trr {

// Runs the load steps in order on the window thread: cache path, the station sources started on their workers
// (player/sources/source_choice.h), the channel list (filled when a directory arrives), media player objects,
// rounded shape, notification icon, update check.
void RunLoadSteps(HWND mainWindow);

// Load step 7: compare the announced version with our own; may hand over to the updater, remove the
// notification-area icon and end the program. The updater is looked for in `programDirectory`.
void RunUpdateCheck(HWND mainWindow, const std::string& programDirectory);

}  // namespace trr
