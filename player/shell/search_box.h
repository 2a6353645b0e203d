// The search box 搜索框 and the keys of the search: the box's text drives the station search, and the box and
// the list's ListBox each get a window procedure above their own (set with the W functions, so that Chinese
// text arrives whole, and passing every message on) for these keys:
//   in the box:   Down moves the focus to the list and selects the first result; Enter asks the community
//                 directory at once; Esc empties the box;
//   in the list:  Enter plays the selected station as a double-click would; Esc returns to the box;
//   anywhere in the main window: Ctrl+F puts the focus in the box.
#pragma once
#include <windows.h>

#include "ui/layout.h"

namespace trr {

// Most bytes the box keeps; longer text is cut on a character boundary as it arrives.
constexpr int kSearchBoxMaxBytes = 64;

// Puts the procedures above the box's and the ListBox's (the list must have its window) and binds Ctrl+F.
void SetUpSearchBox(HWND mainWindow);

void OnSearchTextChanged(const ui::Event& event);  // 搜索框's text changed
void OnSearchDelay(const ui::Event& event);        // 搜索时钟: time to ask the community directory

}  // namespace trr
