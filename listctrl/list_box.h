// Typed calls of the ListBox messages the control uses, so call sites read listBox.setItemHeight(i, 24)
// rather than a raw SendMessage with casts. Results are passed through as the ListBox gives them.
#pragma once
#include <windows.h>

#include "listctrl/group_list.h"

namespace trr {

struct ListBox {
  HWND window = nullptr;

  int count() const { return static_cast<int>(Send(LB_GETCOUNT, 0, 0)); }
  // Appends an entry; its position, or LB_ERR.
  int add(const void* value) const { return static_cast<int>(Send(LB_ADDSTRING, 0, Value(value))); }
  // Inserts an entry at `position`; its position, or LB_ERR.
  int insert(int position, const void* value) const {
    return static_cast<int>(Send(LB_INSERTSTRING, position, Value(value)));
  }
  void remove(int position) const { Send(LB_DELETESTRING, position, 0); }
  // The entry's item handle; LB_ERR (-1) for a position that does not exist.
  ItemHandle itemData(int position) const { return static_cast<ItemHandle>(Send(LB_GETITEMDATA, position, 0)); }
  void setItemData(int position, ItemHandle handle) const { Send(LB_SETITEMDATA, position, handle); }
  int itemHeight(int position) const { return static_cast<int>(Send(LB_GETITEMHEIGHT, position, 0)); }
  void setItemHeight(int position, int height) const { Send(LB_SETITEMHEIGHT, position, MAKELPARAM(height, 0)); }
  // False for a position that does not exist (the rectangle is then left empty).
  bool itemRect(int position, RECT& rect) const {
    rect = RECT{};
    return Send(LB_GETITEMRECT, position, reinterpret_cast<LPARAM>(&rect)) != LB_ERR;
  }
  // LB_ITEMFROMPOINT's whole result: the nearest position, with the high word set when the point is outside.
  LRESULT itemFromPoint(LPARAM point) const { return Send(LB_ITEMFROMPOINT, 1, point); }

 private:
  LRESULT Send(UINT message, WPARAM wParam, LPARAM lParam) const {
    return ::SendMessageA(window, message, wParam, lParam);
  }
  static LPARAM Value(const void* value) { return reinterpret_cast<LPARAM>(value); }
};

// Turns the ListBox's redrawing off for a batch of entry changes and back on (with one full repaint) at the end
// of the outermost batch: with redrawing on, every inserted or deleted entry makes the ListBox update its
// scroll bar and repaint, which costs milliseconds per entry under Wine.
class ScopedBatchUpdate {
 public:
  explicit ScopedBatchUpdate(HWND window) : window_(window) {
    if (Depth()++ == 0) ::SendMessageA(window_, WM_SETREDRAW, FALSE, 0);
  }
  ~ScopedBatchUpdate() {
    if (--Depth() != 0) return;
    ::SendMessageA(window_, WM_SETREDRAW, TRUE, 0);
    ::InvalidateRect(window_, nullptr, TRUE);
  }
  ScopedBatchUpdate(const ScopedBatchUpdate&) = delete;
  ScopedBatchUpdate& operator=(const ScopedBatchUpdate&) = delete;

 private:
  // All controls live on one thread, and batches never interleave between two controls.
  static int& Depth() {
    static int depth = 0;
    return depth;
  }
  HWND window_;
};

}  // namespace trr
