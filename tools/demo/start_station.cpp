// Starts a station in the running player as a user would, for the demo: waits for the player's channel list to
// fill, clicks the group entry at the first argument's position to open it, and double-clicks the station row
// that many rows below it given by the second argument (1: its first station). Exits 0 once the double-click
// went out, 1 when the player or its list did not appear within 30 s.
#include <windows.h>

#include <cstdlib>

#include "tests/harness/message_pump.h"
#include "tests/harness/window_probe.h"

namespace {

// The centre of the list's entry `index`, in the list's client coordinates.
POINT EntryCentre(HWND list, int index) {
  RECT rect = {};
  SendMessageA(list, LB_GETITEMRECT, index, reinterpret_cast<LPARAM>(&rect));
  return {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
}

// The list control's ListBox: the first ListBox below the main window.
BOOL CALLBACK FindListBox(HWND child, LPARAM found) {
  char name[32] = "";
  GetClassNameA(child, name, sizeof(name));
  if (lstrcmpiA(name, "ListBox") != 0) return TRUE;
  *reinterpret_cast<HWND*>(found) = child;
  return FALSE;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) return 2;
  const int group = std::atoi(argv[1]), row = std::atoi(argv[2]);
  HWND list = nullptr;
  const bool filled = trr::test::PumpUntil(
      [&] {
        HWND main = FindWindowA("TrRadioMainWindow", nullptr);
        list = nullptr;
        if (main) EnumChildWindows(main, FindListBox, reinterpret_cast<LPARAM>(&list));
        return list && SendMessageA(list, LB_GETCOUNT, 0, 0) > group;
      },
      30000);
  if (!filled) return 1;
  POINT at = EntryCentre(list, group);
  trr::test::LeftClick(list, at.x, at.y);
  at = EntryCentre(list, group + row);
  trr::test::LeftDoubleClick(list, at.x, at.y);
  return 0;
}
