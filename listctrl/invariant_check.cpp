#include "listctrl/invariant_check.h"

#include <set>

#include "common/gbk_convert.h"
#include "listctrl/item_info.h"
#include "listctrl/list_box.h"

namespace trr {
namespace {

// The DOM hands out a new wrapper object for every node access, so element identity is checked through the
// element's own handle and its parent's.
bool IndexNames(ControlState& state, ItemHandle handle, ItemHandle parentHandle) {
  ElementPtr element = state.document.Find(handle);
  if (!element || GetAttributeInt(element.Get(), attr::kHandle) != handle) return false;
  ComPtr<IXMLDOMNode> parent;
  if (element->get_parentNode(parent.Receive()) != S_OK || !parent) return false;
  ElementPtr parentElement = parent.As<IXMLDOMElement>(IID_IXMLDOMElement);
  if (parentHandle == 0) {
    BSTR name = nullptr;
    bool isRoot = parent->get_nodeName(&name) == S_OK && name && GbkToWide("分组列表") == name;
    ::SysFreeString(name);
    return isRoot;
  }
  return parentElement && GetAttributeInt(parentElement.Get(), attr::kHandle) == parentHandle;
}

std::string Describe(const char* what, ItemHandle handle, long expected, long actual) {
  return std::string(what) + " (item " + std::to_string(handle) + "): expected " + std::to_string(expected) +
         ", found " + std::to_string(actual);
}

}  // namespace

std::string CheckListInvariants(ControlState& state) {
  ListBox listBox{state.listWindow};
  const int count = listBox.count();
  const bool enlarge = state.enlargeSelected && state.viewMode != 0;
  size_t elements = 0;
  int position = 0;
  std::set<ItemHandle> seen;

  auto checkShown = [&](IXMLDOMElement* element, ItemHandle handle, int height) -> std::string {
    if (position >= count) return Describe("entry missing", handle, position, count);
    if (listBox.itemData(position) != handle) return Describe("entry item data", handle, handle, listBox.itemData(position));
    const int index = GetAttributeInt(element, attr::kListIndex);
    if (index != position) return Describe("项目索引", handle, position, index);
    if (listBox.itemHeight(position) != height) return Describe("entry height", handle, height, listBox.itemHeight(position));
    ++position;
    return {};
  };

  for (const ElementPtr& group : state.document.Children(state.document.Root().Get())) {
    const ItemHandle handle = GetAttributeInt(group.Get(), attr::kHandle);
    ++elements;
    if (handle == 0 || !seen.insert(handle).second) return Describe("group handle unique", handle, 1, 0);
    if (!IndexNames(state, handle, 0)) return Describe("index names group", handle, 1, 0);
    if (GetAttributeText(group.Get(), attr::kKind) != kKindGroup) return Describe("root child is group", handle, 1, 0);
    if (std::string error = checkShown(group.Get(), handle, kGroupEntryHeight); !error.empty()) return error;
    const bool expanded = GetAttributeFlag(group.Get(), attr::kExpanded);
    for (const ElementPtr& row : state.document.Children(group.Get())) {
      const ItemHandle rowHandle = GetAttributeInt(row.Get(), attr::kHandle);
      ++elements;
      if (rowHandle == 0 || !seen.insert(rowHandle).second) return Describe("row handle unique", rowHandle, 1, 0);
      if (!IndexNames(state, rowHandle, handle)) return Describe("index names row", rowHandle, 1, 0);
      if (GetAttributeInt(row.Get(), attr::kGroupHandle) != handle)
        return Describe("分组句柄", rowHandle, handle, GetAttributeInt(row.Get(), attr::kGroupHandle));
      if (!expanded) {
        const int index = GetAttributeInt(row.Get(), attr::kListIndex);
        if (index != -1) return Describe("hidden row 项目索引", rowHandle, -1, index);
        continue;
      }
      const int height = enlarge && position == state.selectedIndex ? kLargeRowHeight : state.rowHeight;
      if (std::string error = checkShown(row.Get(), rowHandle, height); !error.empty()) return error;
    }
  }
  if (position != count) return Describe("entry count", 0, position, count);
  if (elements != state.document.IndexSize())
    return Describe("handle index size", 0, static_cast<long>(elements), static_cast<long>(state.document.IndexSize()));
  if (state.selectedIndex < -1 || state.selectedIndex >= count)
    return Describe("selectedIndex in range", 0, count, state.selectedIndex);
  if (state.hoverIndex < -1 || state.hoverIndex >= count) return Describe("hoverIndex in range", 0, count, state.hoverIndex);
  return {};
}

}  // namespace trr
