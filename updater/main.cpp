// TrRadioDl.exe: the online updater of the TiroRadio player.
#include <windows.h>

#include "updater/updater_flow.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) { return trr::RunUpdater(); }
