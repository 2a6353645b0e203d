// A list control in a visible top-level container, with helpers to fill it and read back its entries.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "listctrl/control_state.h"
#include "listctrl/group_list.h"
#include "tests/harness/window_probe.h"

namespace trr::test {

class ListFixture {
 public:
  // A container of the given client size at (0, 0); the control is created in it with `mode`.
  explicit ListFixture(int width = 260, int height = 420, int mode = 0);
  ~ListFixture();

  GroupList& list() { return list_; }
  HWND listWindow() const { return list_.listWindow(); }
  ControlState& state() const;

  ItemHandle Group(const std::string& title, bool expanded, COLORREF colour = RGB(0, 0, 0));
  ItemHandle Row(ItemHandle group, const std::string& name, const std::string& avatar, bool online,
                 const std::string& signature = "", COLORREF nameColour = RGB(0, 0, 160),
                 const std::vector<int32_t>& icons = {});

  // The list index of an item (its 项目索引), -1 when hidden.
  int IndexOf(ItemHandle item) const;
  RECT EntryRect(int index) const;
  // Moves the mouse over entry `index` at (x, y) relative to the entry; -1 moves below the last entry.
  void Hover(int index, int x = 150, int y = 3);
  void Select(int index);
  int32_t Attribute(ItemHandle item, const char* name) const;
  void SetAttribute(ItemHandle item, const char* name, int value);
  // Repaints everything and reads the list's pixels.
  Capture Snapshot();

 private:
  HWND container_ = nullptr;
  GroupList list_;
};

}  // namespace trr::test
