#include "tests/ui/test_layouts.h"

#include "common/scoped_win.h"

namespace trr::test {

std::vector<Recorded>& RecordedEvents() {
  static std::vector<Recorded> events;
  return events;
}

void RecordEvent(const ui::Event& event) {
  RecordedEvents().push_back({event.kind, event.control, event.value, IsWindowVisible(event.window) != FALSE});
}

COLORREF PicturePixel(const ui::Picture& picture, int x, int y) {
  ScopedWindowDc screen(nullptr);
  ScopedMemoryDc memory(CreateCompatibleDC(screen.get()));
  ScopedSelect select(memory.get(), picture.bitmap.get());
  return GetPixel(memory.get(), x, y);
}

}  // namespace trr::test
