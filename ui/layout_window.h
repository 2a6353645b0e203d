// Building windows from layouts (ui/layout.h) and reaching their controls by name. All functions run on the
// thread that created the window unless a comment says otherwise.
#pragma once
#include <windows.h>

#include <string>

#include "ui/layout.h"

namespace trr::ui {

// Creates the window and every control of `layout`, centred on the screen's work area, with pictures taken from
// `resources` (the module that carries the GIF, BMPA and ICON resources). Fires the Created event, then shows
// the window unless `show` is false. Returns the window, or nullptr when the window could not be created (a
// control that cannot be created is left out; its name then finds nothing).
HWND CreateLayoutWindow(const WindowLayout& layout, HMODULE resources, bool show = true);

// True when `window` was built by CreateLayoutWindow and still exists.
bool IsLayoutWindow(HWND window);
// True when `window` is a layout window whose layout closes it on Esc.
bool EscapeClosesLayoutWindow(HWND window);

// The control's window; nullptr for an unknown name or a timer.
HWND FindControl(HWND window, const char* name);

// Sets the text of a label, button, group box or picture button (tag text); false for an unknown control.
bool SetControlText(HWND window, const char* name, const std::string& text);

// The control's current text; empty for an unknown control.
std::string ControlText(HWND window, const char* name);

// Asks the control's own thread to set its text, without waiting: usable from any thread while the window
// exists. False when the request could not be posted.
bool PostControlText(HWND control, const std::string& text);

// Shows or hides a control; false for an unknown control.
bool SetControlVisible(HWND window, const char* name, bool visible);
bool IsControlVisible(HWND window, const char* name);

// Moves a control's top-left corner to (left, top) of the window's client area, keeping its size; false for an
// unknown control.
bool MoveControl(HWND window, const char* name, int left, int top);

// Slider and progress bar position, clamped to the control's range; false / -1 for an unknown control.
bool SetControlPosition(HWND window, const char* name, int position);
int ControlPosition(HWND window, const char* name);

// Restarts a timer with `intervalMs` (0 stops it); false for an unknown timer.
bool SetTimerInterval(HWND window, const char* name, unsigned intervalMs);

// Adds one more handler for `kind` events of `control` ("" for window events); false for an unknown window.
bool BindEvent(HWND window, const char* control, EventKind kind, EventHandler handler);

// Handles `message` sent or posted to the window itself with `handler` (for example a worker's "done" message);
// false for an unknown window.
using MessageHandler = LRESULT (*)(HWND window, WPARAM wParam, LPARAM lParam);
bool BindWindowMessage(HWND window, UINT message, MessageHandler handler);

// Asks the window to close once the current message has been handled (posts WM_CLOSE), so that a handler of
// one of its own controls can close it safely.
void CloseLayoutWindow(HWND window);

}  // namespace trr::ui
