#include "player/shell/about_window.h"

#include "player/shell/program_state.h"
#include "player/shell/window_layouts.h"
#include "ui/layout_window.h"
#include "ui/window_region.h"

namespace trr {
namespace {

HWND g_about = nullptr;

}  // namespace

HWND OpenAboutWindow(HMODULE resources) {
  if (g_about && IsWindow(g_about)) {
    SetForegroundWindow(g_about);
    return g_about;
  }
  g_about = ui::CreateLayoutWindow(kAboutWindowLayout, resources);
  return g_about;
}

HWND AboutWindow() { return g_about && IsWindow(g_about) ? g_about : nullptr; }

void OnAboutWindowCreated(const ui::Event& event) {
  g_about = event.window;
  ProgramState& state = State();
  state.windowHandle = event.window;
  state.windowRegion = ui::ApplyRoundedRegion(event.window, 9);
}

void OnAboutWindowDestroyed(const ui::Event& event) {
  if (g_about == event.window) g_about = nullptr;
}

void OnAboutCloseClicked(const ui::Event& event) { ui::CloseLayoutWindow(event.window); }

}  // namespace trr
