// The player's process from start to end.
#pragma once
#include <windows.h>

namespace trr {

// Initialises the program state, registers the exit clean-up, creates the main window (pictures from
// `resources`) and runs the message loop; when the loop ends, ends the program with exit code 0. Returns
// only when the process end is replaced (tests): 0, or 1 when the main window could not be created.
int RunPlayer(HMODULE resources);

// Releases what the program state holds: the media player objects, the texts, the list control's state.
void RunExitCleanup();

}  // namespace trr
