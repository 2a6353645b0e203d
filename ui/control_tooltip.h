// A tooltip over one control of a layout window: the text shows when the mouse rests on the control.
#pragma once
#include <windows.h>

#include <string>

namespace trr::ui {

// Sets the tooltip of the control `name` of `window` to `text` (GBK); an empty text removes it. The tooltip
// window is made at the first call and goes with `window`. False for an unknown control or when no tooltip
// window could be made.
bool SetControlTooltip(HWND window, const char* name, const std::string& text);

// The control's tooltip text; empty when it has none.
std::string ControlTooltip(HWND window, const char* name);

}  // namespace trr::ui
