// Drawing of one entry (group header or row), composed off-screen and copied to the ListBox in one BitBlt.
#pragma once
#include <windows.h>

#include <vector>

#include "listctrl/group_list.h"

namespace trr {

struct ControlState;

// Draws entry `index` of `listWindow`. Without a rectangle or DC it uses LB_GETITEMRECT and GetDC. A given hot
// icon is stored in the control's hotIcon first. An entry whose item cannot be read is not drawn.
void PaintEntry(HWND listWindow, int index, const RECT* rect = nullptr, HDC dc = nullptr,
                Optional<int> hotIcon = {});

// The font of the list (宋体, height 12); the caller owns it.
HFONT CreateListFont(bool bold = false);

// Service icons laid out in a row: rectangles relative to the entry's top-left corner, with their numbers.
struct IconLayout {
  std::vector<RECT> rects;
  std::vector<int32_t> numbers;
};
IconLayout LayoutIcons(int iconCount, int count, const std::vector<int32_t>& numbers, const RECT& entry);

// 1-based position of the first laid-out icon that strictly contains (x, y) (entry-relative), 0 for none.
int HitTestIcons(const IconLayout& layout, int x, int y);

// Stores the colour defaults: group and row sets, avatar frame, ninth colour, icon highlight.
void ApplyDefaultColours(ControlState& state);

}  // namespace trr
