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
  int32_t listIndex = -1;  // 项目索引: the row's entry, -1 while it has none
};

// Creates the element "Item" + handle with a new row's attributes in their fixed order, registers it in the
// index and appends it to `group`. Null, with the index unchanged, when the DOM refuses.
ElementPtr MakeRowElement(ItemDocument& document, IXMLDOMElement* group, const NewRow& row);
// Writes a new row's attributes onto `element` in their fixed order, as MakeRowElement writes them; the
// element of a row that is reused for another (a refill) reads exactly as a new one afterwards.
void WriteNewRowAttributes(IXMLDOMElement* element, const NewRow& row);

}  // namespace trr
