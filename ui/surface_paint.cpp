#include "ui/surface_paint.h"

#include "ui/control_record.h"

namespace trr::ui {

void DrawSurface(HWND surface, HDC dc, int x, int y, int width, int height) {
  if (width <= 0 || height <= 0) return;
  RECT area = {0, 0, width, height};
  if (LayoutWindow* window = LayoutOf(surface)) {
    ScopedBrush brush(CreateSolidBrush(WindowBackgroundColour(*window)));
    FillRect(dc, &area, brush.get());
    if (const Picture& picture = window->picture.get()) {
      ScopedMemoryDc source(CreateCompatibleDC(dc));
      ScopedSelect select(source.get(), picture.bitmap.get());
      BitBlt(dc, 0, 0, width, height, source.get(), x, y, SRCCOPY);
    }
    return;
  }
  ControlRecord* record = RecordOf(surface);
  if (record && record->layoutRow->kind == ControlKind::PictureBox && record->pictures[0]) {
    const Picture& picture = record->pictures[0].get();
    ScopedBrush brush(CreateSolidBrush(WindowBackgroundColour(*record->owner)));
    FillRect(dc, &area, brush.get());
    ScopedMemoryDc source(CreateCompatibleDC(dc));
    ScopedSelect select(source.get(), picture.bitmap.get());
    // Only the part inside the picture; the rest keeps the window colour.
    int w = picture.width - x, h = picture.height - y;
    if (w > width) w = width;
    if (h > height) h = height;
    if (w > 0 && h > 0) BitBlt(dc, 0, 0, w, h, source.get(), x, y, SRCCOPY);
    return;
  }
  HWND parent = (GetWindowLongA(surface, GWL_STYLE) & WS_CHILD) ? GetParent(surface) : nullptr;
  if (!parent) {
    FillRect(dc, &area, GetSysColorBrush(COLOR_BTNFACE));
    return;
  }
  // A surface without content of its own shows its parent through itself.
  POINT origin = {0, 0};
  MapWindowPoints(surface, parent, &origin, 1);
  DrawSurface(parent, dc, origin.x + x, origin.y + y, width, height);
}

void DrawBehind(HWND child, HDC dc) {
  RECT client;
  GetClientRect(child, &client);
  HWND parent = GetParent(child);
  if (!parent) return;
  POINT origin = {0, 0};
  MapWindowPoints(child, parent, &origin, 1);
  DrawSurface(parent, dc, origin.x, origin.y, client.right, client.bottom);
}

BufferedPaint::BufferedPaint(HWND window) : window_(window) {
  BeginPaint(window, &paint_);
  GetClientRect(window, &client_);
  if (client_.right <= 0 || client_.bottom <= 0) return;
  memory_.reset(CreateCompatibleDC(paint_.hdc));
  bitmap_.reset(CreateCompatibleBitmap(paint_.hdc, client_.right, client_.bottom));
  if (!memory_ || !bitmap_) {
    memory_.reset();
    return;
  }
  previous_ = SelectObject(memory_.get(), bitmap_.get());
}

BufferedPaint::~BufferedPaint() {
  if (memory_) {
    BitBlt(paint_.hdc, 0, 0, client_.right, client_.bottom, memory_.get(), 0, 0, SRCCOPY);
    SelectObject(memory_.get(), previous_);
  }
  EndPaint(window_, &paint_);
}

}  // namespace trr::ui
