// Painting what lies behind a control: the picture or colour of the surface (window or picture box) that
// carries it, so that labels, keyed pictures and slider strips can be drawn over it without a background.
#pragma once
#include <windows.h>

#include "common/scoped_win.h"

namespace trr::ui {

// Draws the part of `surface`'s own content (picture, colour, or what lies behind it when it has neither) whose
// top-left is (x, y) in the surface's client area and that is `width` x `height`, at 0,0 of `dc`.
void DrawSurface(HWND surface, HDC dc, int x, int y, int width, int height);

// Draws what `child`'s parent shows under the child, at 0,0 of `dc`.
void DrawBehind(HWND child, HDC dc);

// BeginPaint / EndPaint around an off-screen bitmap of the client size, copied to the window in one piece at the
// end so that a control never flickers through its background.
class BufferedPaint {
 public:
  explicit BufferedPaint(HWND window);
  ~BufferedPaint();
  BufferedPaint(const BufferedPaint&) = delete;
  BufferedPaint& operator=(const BufferedPaint&) = delete;
  HDC dc() const { return memory_ ? memory_.get() : paint_.hdc; }
  int width() const { return client_.right; }
  int height() const { return client_.bottom; }

 private:
  HWND window_;
  PAINTSTRUCT paint_ = {};
  RECT client_ = {};
  ScopedMemoryDc memory_;
  ScopedBitmap bitmap_;
  HGDIOBJ previous_ = nullptr;
};

}  // namespace trr::ui
