// trRadio.exe: the internet-radio player.
#include <windows.h>
#include <ole2.h>

#include "player/shell/player_main.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  // The media player control and OLE pictures need an apartment on the window thread.
  OleInitialize(nullptr);
  return trr::RunPlayer(instance);
}
