// A real list control in a real container window, with helpers that read back its ListBox and document.
#pragma once
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "listctrl/control_state.h"
#include "listctrl/group_list.h"
#include "listctrl/invariant_check.h"
#include "listctrl/item_info.h"

namespace trr::test {

// Bytes of a w x h 24-bit Windows BMP filled with one colour (a picture OleLoadPicture accepts).
std::string SolidBmp(int width, int height, COLORREF colour);

// A top-most borderless container at (0, 0) holding one GroupList.
class CoreListFixture : public ::testing::Test {
 protected:
  // Creates the container and the control with the given mode and enlarge flag.
  void CreateList(int mode, int enlarge, int width = 300, int height = 500);
  void TearDown() override;

  ControlState& State() const { return *FindControlByList(list.listWindow()); }
  // Adds a row; returns its handle (0 when AddItem refused).
  ItemHandle AddRow(ItemHandle group, const std::string& name, bool online = true,
                    const std::vector<int32_t>* icons = nullptr, const std::string& picture = {});
  // Item data of every ListBox entry, in order.
  std::vector<ItemHandle> Entries() const;
  // Entry heights, in order.
  std::vector<int> Heights() const;
  int ListIndex(ItemHandle handle) const;
  std::string Attribute(ItemHandle handle, const char* name) const;
  // The invariant check of the control, as a gtest assertion result.
  ::testing::AssertionResult Consistent() const;

  HWND container = nullptr;
  GroupList list;
  std::string pictureA = SolidBmp(8, 8, RGB(200, 30, 30));
  std::string pictureB = SolidBmp(6, 4, RGB(30, 30, 200));
};

}  // namespace trr::test
