// A full consistency check of one control's ListBox against its document, for tests and debugging.
#pragma once
#include <string>

#include "listctrl/control_state.h"

namespace trr {

// Walks the document and the ListBox and returns the first broken rule as text, empty when all hold:
// every visible element has exactly one entry whose item data is its handle and whose position is its
// 项目索引; hidden rows hold -1; groups are always shown; a group's rows are shown exactly when its 已扩展
// is 1; ListBox order is document order; the handle index names exactly the elements in the tree; entry
// heights are 24 for groups, the view's row height for rows and 54 for an enlarged selected row; the
// selected and hovered positions exist.
std::string CheckListInvariants(ControlState& state);

}  // namespace trr
