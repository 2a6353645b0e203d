#include "tests/player/player_process.h"

#include "tests/harness/message_pump.h"
#include "tests/harness/window_probe.h"

namespace trr::test {
namespace {

struct WindowSearch {
  DWORD id;
  HWND found;
};

BOOL CALLBACK MatchPlayerWindow(HWND window, LPARAM param) {
  auto* s = reinterpret_cast<WindowSearch*>(param);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  char name[64] = "";
  GetClassNameA(window, name, sizeof(name));
  if (owner == s->id && std::string(name) == "TrRadioMainWindow" && IsWindowVisible(window)) {
    s->found = window;
    return FALSE;
  }
  return TRUE;
}

HWND FindPlayerWindow(DWORD processId) {
  WindowSearch search = {processId, nullptr};
  EnumWindows(MatchPlayerWindow, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

}  // namespace

Player StartPlayer(const std::string& dir) {
  Player player;
  std::string exe = dir + "\\trRadio.exe";
  STARTUPINFOA startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION info = {};
  std::string command = "\"" + exe + "\"";
  if (!CreateProcessA(exe.c_str(), &command[0], nullptr, nullptr, FALSE, 0, nullptr, dir.c_str(), &startup, &info))
    return player;
  CloseHandle(info.hThread);
  player.process.reset(info.hProcess);
  player.id = info.dwProcessId;
  PumpUntil([&] { return (player.window = FindPlayerWindow(player.id)) != nullptr; }, 20000);
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
