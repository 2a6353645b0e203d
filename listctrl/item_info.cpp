#include "listctrl/item_info.h"

#include "common/gbk_text.h"
#include "listctrl/list_box.h"

namespace trr {

bool FindItem(ControlState& state, ItemHandle handle, ItemInfo& info, ElementPtr* element) {
  if (handle == 0) return false;
  ElementPtr found = state.document.Find(handle);
  if (!found) return false;
  info = ItemInfo{};
  if (GetAttributeInt(found.Get(), attr::kHandle) == 0) return false;
  info.kind = GetAttributeText(found.Get(), attr::kKind);
  if (info.kind == kKindGroup) {
    info.handle = GetAttributeInt(found.Get(), attr::kHandle);
    info.listIndex = GetAttributeInt(found.Get(), attr::kListIndex);
    info.name = GetAttributeText(found.Get(), attr::kGroupName);
    info.expanded = GetAttributeFlag(found.Get(), attr::kExpanded);
    info.nameColour = GetAttributeInt(found.Get(), attr::kNameColour);
    info.groupHandle = -1;
  } else if (!ReadRowAttributes(found.Get(), info)) {
    return false;
  }
  if (element) *element = found;
  return true;
}

bool FindItem(HWND listWindow, ItemHandle handle, ItemInfo& info, ElementPtr* element) {
  ControlState* state = FindControlByList(listWindow);
  return state && FindItem(*state, handle, info, element);
}

bool ReadRowAttributes(IXMLDOMElement* element, ItemInfo& info) {
  info.handle = GetAttributeInt(element, attr::kHandle);
  if (info.handle == 0) return false;
  info.kind = GetAttributeText(element, attr::kKind);
  info.listIndex = GetAttributeInt(element, attr::kListIndex);
  info.name = GetAttributeText(element, attr::kName);
  info.number = GetAttributeText(element, attr::kNumber);
  info.signature = GetAttributeText(element, attr::kSignature);
  info.nameColour = GetAttributeInt(element, attr::kNameColour);
  info.iconCount = GetAttributeInt(element, attr::kIconCount);
  info.icons.clear();
  if (info.iconCount > 0) info.icons = ParseIconList(GetAttributeText(element, attr::kIconList));
  info.groupHandle = GetAttributeInt(element, attr::kGroupHandle);
  info.avatar = GetAttributeInt(element, attr::kAvatar);
  info.greyAvatar = GetAttributeInt(element, attr::kGreyAvatar);
  info.online = GetAttributeFlag(element, attr::kOnline);
  info.remark = GetAttributeText(element, attr::kRemark);
  info.flashing = GetAttributeFlag(element, attr::kFlashing);
  info.avatarOffset = GetAttributeInt(element, attr::kAvatarOffset);
  info.avatarWidth = GetAttributeInt(element, attr::kAvatarWidth);
  info.avatarHeight = GetAttributeInt(element, attr::kAvatarHeight);
  return true;
}

void WriteRowAttributes(IXMLDOMElement* element, const ItemInfo& info) {
  SetAttributeInt(element, attr::kHandle, info.handle);
  SetAttributeText(element, attr::kKind, info.kind);
  SetAttributeInt(element, attr::kGroupHandle, info.groupHandle);
  SetAttributeText(element, attr::kName, info.name);
  SetAttributeText(element, attr::kNumber, info.number);
  SetAttributeText(element, attr::kSignature, info.signature);
  SetAttributeInt(element, attr::kNameColour, info.nameColour);
  SetAttributeInt(element, attr::kIconCount, info.iconCount);
  if (info.iconCount > 0) SetAttributeText(element, attr::kIconList, JoinIconList(info.icons));
  SetAttributeText(element, attr::kRemark, info.remark);
  SetAttributeInt(element, attr::kAvatar, info.avatar);
  SetAttributeInt(element, attr::kGreyAvatar, info.greyAvatar);
  SetAttributeInt(element, attr::kAvatarWidth, info.avatarWidth);
  SetAttributeInt(element, attr::kAvatarHeight, info.avatarHeight);
  SetAttributeInt(element, attr::kAvatarOffset, info.avatarOffset);
  SetAttributeInt(element, attr::kOnline, info.online ? 1 : 0);
  SetAttributeInt(element, attr::kListIndex, info.listIndex);
  SetAttributeInt(element, attr::kFlashing, info.flashing ? 1 : 0);
}

std::vector<int32_t> ParseIconList(const std::string& text) {
  std::vector<int32_t> icons;
  for (const std::string& part : SplitText(text, ",")) icons.push_back(TextToInt(part));
  return icons;
}

std::string JoinIconList(const std::vector<int32_t>& icons) {
  std::string text;
  for (size_t i = 0; i < icons.size(); ++i) {
    if (i > 0) text += ',';
    text += std::to_string(icons[i]);
  }
  return text;
}

void RenumberRows(ControlState& state, int start) {
  ListBox listBox{state.listWindow};
  int count = listBox.count();
  for (int i = start + 1; i < count; ++i) {
    if (i < 0) continue;
    ElementPtr element = state.document.Find(listBox.itemData(i));
    if (element) SetAttributeInt(element.Get(), attr::kListIndex, i);
  }
}

bool IsGroup(ControlState& state, ItemHandle handle) {
  ElementPtr element = state.document.Find(handle);
  return element && GetAttributeText(element.Get(), attr::kKind) == kKindGroup;
}

}  // namespace trr
