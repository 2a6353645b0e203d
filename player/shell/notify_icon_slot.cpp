#include "player/shell/notify_icon_slot.h"

#include "assets/resource_ids.h"
#include "player/shell/program_state.h"
#include "ui/notify_icon.h"

namespace trr {
namespace {

constexpr UINT kIconId = 1;

}  // namespace

bool InstallProgramIcon(HWND window, HMODULE resources) {
  int size = GetSystemMetrics(SM_CXSMICON);
  // Shared: the system keeps the icon for the life of the module.
  HICON icon = static_cast<HICON>(
      LoadImageA(resources, MAKEINTRESOURCEA(IDI_PROGRAM), IMAGE_ICON, size, size, LR_SHARED));
  State().iconInstalled = ui::AddNotifyIcon(window, kIconId, icon, "TiroRadio");
  return State().iconInstalled;
}

bool RemoveProgramIcon(HWND window) {
  if (!State().iconInstalled) return false;
  State().iconInstalled = false;
  return ui::RemoveNotifyIcon(window, kIconId);
}

}  // namespace trr
