// The player's one notification-area icon: the program icon with the tooltip "TiroRadio".
#pragma once
#include <windows.h>

namespace trr {

// Installs the icon for `window`; false when the shell refused it.
bool InstallProgramIcon(HWND window, HMODULE resources);

// Removes the icon when it is installed; false when there was none to remove.
bool RemoveProgramIcon(HWND window);

}  // namespace trr
