#include "tests/listctrl/paint_probe.h"

#include <vector>

namespace trr::test {

int FreeGdiCapacity() {
  std::vector<HBRUSH> brushes;
  brushes.reserve(70000);
  while (brushes.size() < 200000) {
    HBRUSH brush = CreateSolidBrush(RGB(1, 2, 3));
    if (!brush) break;
    brushes.push_back(brush);
  }
  for (HBRUSH brush : brushes) DeleteObject(brush);
  return static_cast<int>(brushes.size());
}

}  // namespace trr::test
