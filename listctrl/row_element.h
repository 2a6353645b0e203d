// The element of a new row, made the one way AddItem makes it; rows whose elements are made later (a bulk
// fill's deferred rows) use the same step, so both give the same document.
#pragma once
#include <windows.h>

#include <string_view>
#include <vector>

#include "listctrl/item_document.h"

namespace trr {

// Everything the element of a new row carries.
struct NewRow {
  ItemHandle handle = 0;
  ItemHandle groupHandle = 0;
  std::string_view name;
  std::string_view number;
  std::string_view signature;
  std::string_view remark;
  int32_t nameColour = 0;
  const std::vector<int32_t>* icons = nullptr;  // null or empty: no service icons
  HBITMAP avatar = nullptr;
  HBITMAP greyAvatar = nullptr;
  int avatarWidth = 0;
  int avatarHeight = 0;
  bool online = false;
};

// Creates the element "Item" + handle with a new row's attributes in their fixed order (项目索引 -1),
// registers it in the index and appends it to `group`. Null, with the index unchanged, when the DOM refuses.
ElementPtr MakeRowElement(ItemDocument& document, IXMLDOMElement* group, const NewRow& row);

}  // namespace trr
