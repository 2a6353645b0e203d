// Flashing avatars. Every flashing row has one entry in a process-wide list; each control's 300 ms timer walks
// the list backwards (so entries can leave during the walk), toggles the avatar offset of its own rows between 0
// and 1 and repaints the rows that are shown. A row told to stop is reset to offset 0 and dropped at the next
// tick; the timer stops when none of its control's rows is left in the list.
#include "listctrl/avatar_flash.h"

#include <cmath>

#include "common/exception_boundary.h"
#include "common/gbk_text.h"
#include "listctrl/control_state.h"
#include "listctrl/item_info.h"

namespace trr {

namespace {

constexpr UINT_PTR kFlashTimerId = 1;
constexpr UINT kFlashIntervalMs = 300;

struct FlashEntry {
  HWND listWindow;
  ItemHandle handle;
  ElementPtr element;
};

std::vector<FlashEntry>& FlashList() {
  static std::vector<FlashEntry> list;
  return list;
}

bool HasEntries(HWND listWindow) {
  for (const FlashEntry& entry : FlashList()) {
    if (entry.listWindow == listWindow) return true;
  }
  return false;
}

void StopTimerWhenIdle(HWND listWindow) {
  if (HasEntries(listWindow)) return;
  ControlState* state = FindControlByList(listWindow);
  if (state && state->flashTimer) {
    KillTimer(listWindow, kFlashTimerId);
    state->flashTimer = 0;
  }
}

void FlashAvatars(HWND listWindow) {
  std::vector<FlashEntry>& list = FlashList();
  for (size_t i = list.size(); i-- > 0;) {
    // A repaint cannot change the list, but stay safe against anything that does.
    if (i >= list.size() || list[i].listWindow != listWindow) continue;
    const ElementPtr element = list[i].element;
    const int index = GetAttributeInt(element.Get(), attr::kListIndex);
    const double flashing = TextToDouble(GetAttributeText(element.Get(), attr::kFlashing));
    if (std::fabs(flashing) < 1e-7) {
      SetAttributeInt(element.Get(), attr::kAvatarOffset, 0);
      list.erase(list.begin() + static_cast<std::ptrdiff_t>(i));
    } else {
      const int offset = GetAttributeInt(element.Get(), attr::kAvatarOffset) == 0 ? 1 : 0;
      SetAttributeInt(element.Get(), attr::kAvatarOffset, offset);
    }
    // Rows of closed groups (index -1) keep toggling without being painted.
    if (index > -1) SendMessageA(listWindow, kRepaintEntryMessage, static_cast<WPARAM>(index), 0);
  }
  StopTimerWhenIdle(listWindow);
}

// A tick that fails (an attribute text without memory) leaves the avatars as they are until the next one.
void CALLBACK FlashTick(HWND listWindow, UINT, UINT_PTR, DWORD) {
  CatchAll([&] { FlashAvatars(listWindow); });
}

}  // namespace

void StartFlash(ControlState& state, ItemHandle row) {
  ItemInfo info;
  ElementPtr element;
  if (!FindItem(state, row, info, &element) || info.kind == kKindGroup || info.flashing) return;
  SetAttributeInt(element.Get(), attr::kFlashing, 1);
  // A row that was told to stop but has not been dropped yet keeps its entry: one entry per row, always.
  bool listed = false;
  for (const FlashEntry& entry : FlashList()) {
    listed = listed || (entry.listWindow == state.listWindow && entry.handle == row);
  }
  if (!listed) FlashList().push_back(FlashEntry{state.listWindow, row, element});
  if (!state.flashTimer) state.flashTimer = SetTimer(state.listWindow, kFlashTimerId, kFlashIntervalMs, FlashTick);
}

void StopFlash(ControlState& state, ItemHandle row) {
  ItemInfo info;
  ElementPtr element;
  if (!FindItem(state, row, info, &element) || !info.flashing) return;
  SetAttributeInt(element.Get(), attr::kFlashing, 0);
}

void ForgetFlash(HWND listWindow, ItemHandle row) {
  std::vector<FlashEntry>& list = FlashList();
  for (size_t i = list.size(); i-- > 0;) {
    if (list[i].listWindow == listWindow && (row == 0 || list[i].handle == row)) {
      list.erase(list.begin() + static_cast<std::ptrdiff_t>(i));
    }
  }
  StopTimerWhenIdle(listWindow);
}

void ForgetAllFlashes() {
  std::vector<FlashEntry>& list = FlashList();
  while (!list.empty()) ForgetFlash(list.back().listWindow, 0);
}

int FlashListSize() { return static_cast<int>(FlashList().size()); }

void GroupList::StartAvatarFlash(ItemHandle row) {
  if (ControlState* state = State()) StartFlash(*state, row);
}

void GroupList::StopAvatarFlash(ItemHandle row) {
  if (ControlState* state = State()) StopFlash(*state, row);
}

}  // namespace trr
