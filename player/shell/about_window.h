// The About window: opened by a right press on a panel of the main window, closed by its 关闭 or Esc.
#pragma once
#include <windows.h>

#include "ui/layout.h"

namespace trr {

// Opens the About window (no owner, not modal); when it is already open, brings it to the front. Returns it,
// or nullptr when it could not be created.
HWND OpenAboutWindow(HMODULE resources);

// The open About window, or nullptr.
HWND AboutWindow();

void OnAboutWindowCreated(const ui::Event& event);    // gives it its 9 x 9 rounded shape
void OnAboutWindowDestroyed(const ui::Event& event);
void OnAboutCloseClicked(const ui::Event& event);

}  // namespace trr
