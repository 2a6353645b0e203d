// A window built from a static table of standard controls: labels with a text colour, push buttons, group
// boxes and progress bars. Kept free of the updater's logic so that the table can move to a shared window layer.
#pragma once
#include <windows.h>

namespace trr {

enum class ControlKind { Label, Button, GroupBox, ProgressBar };

struct ControlSpec {
  int id;             // control id, also its index in the table + 1
  const char* name;   // the layout's name, for reading the table
  ControlKind kind;
  int parentId;       // 0: the window itself; otherwise the id of an earlier group box
  int left, top, width, height;  // in the parent's client coordinates
  const char* text;
  bool visible;
  COLORREF textColour;  // labels only
};

// Creates the table's controls inside `window` with the default GUI font. False when one cannot be created.
bool CreateControls(HWND window, const ControlSpec* specs, int count);

// The control with `id` anywhere below `window`; nullptr when absent.
HWND ControlById(HWND window, int id);

// The text colour of the label `control` from the table; false when it is not a label of the table.
bool LabelColour(const ControlSpec* specs, int count, HWND control, COLORREF& colour);

}  // namespace trr
