#include "tests/player/process/player_process.h"

#include <utility>

#include "tests/harness/message_pump.h"
#include "tests/harness/window_probe.h"

namespace trr::test {
namespace {

// Starts `commandLine` in `dir` (nullptr: ours); the process id is 0 when it could not start.
ScopedHandle StartProcess(std::string commandLine, const char* dir, DWORD& id) {
  STARTUPINFOA startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION info = {};
  id = 0;
  if (!CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, dir, &startup, &info))
    return ScopedHandle();
  CloseHandle(info.hThread);
  id = info.dwProcessId;
  return ScopedHandle(info.hProcess);
}

}  // namespace

int RunAndWait(std::string commandLine) {
  DWORD id = 0;
  ScopedHandle process = StartProcess(std::move(commandLine), nullptr, id);
  if (!process) return -1;
  if (WaitForSingleObject(process.get(), 120000) != WAIT_OBJECT_0) {
    TerminateProcess(process.get(), 99);
    return -1;
  }
  DWORD code = 0;
  GetExitCodeProcess(process.get(), &code);
  return static_cast<int>(code);
}

Player StartPlayer(const std::string& dir, unsigned waitMs) {
  Player player;
  player.process = StartProcess("\"" + dir + "\\trRadio.exe\"", dir.c_str(), player.id);
  if (!player.process) return player;
  PumpUntil([&] { return (player.window = FindProcessWindow(player.id, "TrRadioMainWindow")) != nullptr; }, waitMs);
  return player;
}

int ClosePlayer(Player& player) {
  HWND close = FindChildByText(player.window, "关闭");
  if (!close) return -1;
  SendMessageA(close, WM_MOUSEMOVE, 0, MAKELPARAM(20, 9));
  SendMessageA(close, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, 9));
  PostMessageA(close, WM_LBUTTONUP, 0, MAKELPARAM(20, 9));
  if (WaitForSingleObject(player.process.get(), 15000) != WAIT_OBJECT_0) {
    TerminateProcess(player.process.get(), 99);
    return -1;
  }
  DWORD code = 99;
  GetExitCodeProcess(player.process.get(), &code);
  return static_cast<int>(code);
}

}  // namespace trr::test
