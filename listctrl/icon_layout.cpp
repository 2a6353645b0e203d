// Where a row's service icons sit: one 16 x 16 cell after another with 2 pixels between, starting at x 50 and
// 19 pixels above the row's bottom. Painting and the mouse hit tests share this layout.
#include "listctrl/paint_entry.h"

namespace trr {

IconLayout LayoutIcons(int iconCount, int count, const std::vector<int32_t>& numbers, const RECT& entry) {
  IconLayout layout;
  if (count <= 0 || static_cast<int>(numbers.size()) < count) return layout;
  RECT cell;
  cell.left = 50;
  cell.right = 66;
  cell.top = (entry.bottom - entry.top) - 19;
  cell.bottom = cell.top + 16;
  for (int k = 0; k < count; ++k) {
    const int32_t number = numbers[k];
    // Numbers that name no icon of the strip take no place.
    if (number <= 0 || number > iconCount) continue;
    layout.rects.push_back(cell);
    layout.numbers.push_back(number);
    cell.left = cell.right + 2;
    cell.right = cell.left + 16;
  }
  return layout;
}

int HitTestIcons(const IconLayout& layout, int x, int y) {
  for (size_t i = 0; i < layout.rects.size(); ++i) {
    const RECT& r = layout.rects[i];
    if (r.left < x && x < r.right && r.top < y && y < r.bottom) return static_cast<int>(i) + 1;
  }
  return 0;
}

}  // namespace trr
