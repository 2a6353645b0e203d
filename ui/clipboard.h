// Putting text on the clipboard.
#pragma once
#include <windows.h>

#include <string>

namespace trr::ui {

// Replaces the clipboard's contents with `gbkText` (as Unicode text, which every program reads, and as the
// ANSI text Windows makes from it). False when the clipboard could not be opened or the memory not had.
bool CopyTextToClipboard(HWND owner, const std::string& gbkText);

}  // namespace trr::ui
