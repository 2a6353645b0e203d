// The window thread's message loop.
#pragma once

namespace trr::ui {

// Runs until WM_QUIT and returns its exit code. Esc pressed on a control of a layout window goes to the window
// itself, so Esc closes a window whatever control has the keyboard focus.
int RunMessageLoop();

}  // namespace trr::ui
