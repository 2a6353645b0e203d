#include "player/shell/main_window.h"

#include "assets/resource_ids.h"
#include "player/shell/about_window.h"
#include "player/shell/load_steps.h"
#include "player/shell/notify_icon_slot.h"
#include "player/shell/program_end.h"
#include "player/shell/program_state.h"
#include "player/shell/player_controls.h"
#include "player/shell/window_layouts.h"
#include "ui/layout_window.h"
#include "ui/picture_resource.h"

namespace trr {
namespace {

HMODULE g_resources = nullptr;

void SetMainHeight(HWND window, int height) {
  RECT rect;
  GetWindowRect(window, &rect);
  SetWindowPos(window, nullptr, 0, 0, rect.right - rect.left, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace

HWND CreateMainWindow(HMODULE resources) {
  g_resources = resources;
  return ui::CreateLayoutWindow(kMainWindowLayout, resources);
}

HMODULE PlayerResources() { return g_resources; }

std::string StationPictureBytes() { return ui::LoadResourceBytes(g_resources, IDG_LOGO, "GIF"); }

void OnMainWindowCreated(const ui::Event& event) {
  State().mainWindow = event.window;
  RunLoadSteps(event.window);
}

void OnMainWindowDestroyed(const ui::Event& event) {
  // Closed by the system or another program: the icon goes with the window.
  RemoveProgramIcon(event.window);
  if (State().mainWindow == event.window) State().mainWindow = nullptr;
}

void OnCloseClicked(const ui::Event& event) {
  RemoveProgramIcon(event.window);
  EndProgram(0);
}

void OnMinimiseClicked(const ui::Event& event) { ShowWindow(event.window, SW_MINIMIZE); }

void OnPinClicked(const ui::Event& event) {
  ProgramState& state = State();
  state.pinned = !state.pinned;
  SetWindowPos(event.window, state.pinned ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void OnFoldClicked(const ui::Event& event) {
  ProgramState& state = State();
  if (state.folded) {
    SetMainHeight(event.window, kUnfoldedHeight);
    state.folded = false;
  } else {
    state.folded = true;
    SetMainHeight(event.window, kFoldedHeight);
  }
}

void OnPanelRightPress(const ui::Event&) { OpenAboutWindow(g_resources); }

void OnClockTick(const ui::Event& event) {
  if (State().sources) State().sources->OnClockTick();
  RefreshOnlineCount(event.window);
}

void OnStopClicked(const ui::Event& event) { StopPlayback(event.window); }

void OnVolumeMoved(const ui::Event& event) { ApplyVolume(event.window, event.value); }

}  // namespace trr
