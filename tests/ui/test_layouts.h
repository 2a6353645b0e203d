// Layouts and event recording shared by the window layer's tests.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "ui/layout.h"
#include "ui/picture_resource.h"

namespace trr::test {

// One recorded event: kind, control name and value.
struct Recorded {
  ui::EventKind kind;
  std::string control;
  int value;
  bool windowVisible;  // was the window visible when the event came
};

// Every event of the test layouts lands here, in order.
std::vector<Recorded>& RecordedEvents();
void RecordEvent(const ui::Event& event);

// The pixel of a decoded picture at x, y.
COLORREF PicturePixel(const ui::Picture& picture, int x, int y);

}  // namespace trr::test
