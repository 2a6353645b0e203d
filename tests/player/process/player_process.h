// Running a copy of trRadio.exe as its own process and ending it the way a user does.
#pragma once
#include <windows.h>

#include <string>

#include "common/scoped_win.h"

namespace trr::test {

struct Player {
  ScopedHandle process;
  DWORD id = 0;
  HWND window = nullptr;
};

// Runs `commandLine` and returns its exit code; -1 when it cannot start or does not end within two minutes.
int RunAndWait(std::string commandLine);

// Starts `dir`\trRadio.exe with `dir` as its current directory and waits up to `waitMs` until its main window
// is visible; `window` stays nullptr when it does not come up.
Player StartPlayer(const std::string& dir, unsigned waitMs = 20000);

// Clicks 关闭 the way the mouse does and waits for the process to end; returns its exit code (-1: still alive).
int ClosePlayer(Player& player);

}  // namespace trr::test
