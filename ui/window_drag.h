// Moving a borderless top-level window by dragging one of its surfaces with the left mouse button. The drag is
// tracked with mouse capture, without the system's modal move loop, so it also follows synthesised messages.
#pragma once
#include <windows.h>

namespace trr::ui {

struct DragState {
  bool active = false;
  POINT pressScreen = {};  // mouse position at the press, screen coordinates
  POINT windowStart = {};  // top-left of the top-level window at the press
};

// Handles WM_LBUTTONDOWN / WM_MOUSEMOVE / WM_LBUTTONUP / WM_CAPTURECHANGED for `surface`; returns true when the
// message belonged to a drag.
bool HandleDragMessage(DragState& state, HWND surface, UINT message, LPARAM lParam);

}  // namespace trr::ui
