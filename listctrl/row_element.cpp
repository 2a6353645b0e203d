#include "listctrl/row_element.h"

#include "listctrl/item_info.h"
#include "listctrl/pictures.h"

namespace trr {

ElementPtr MakeRowElement(ItemDocument& document, IXMLDOMElement* group, const NewRow& row) {
  ElementPtr element = document.CreateItemElement(row.handle);
  if (!element) return nullptr;
  WriteNewRowAttributes(element.Get(), row);
  if (!document.Append(group, element.Get())) {
    document.Forget(row.handle);
    return nullptr;
  }
  return element;
}

void WriteNewRowAttributes(IXMLDOMElement* e, const NewRow& row) {
  const int iconCount = row.icons ? static_cast<int>(row.icons->size()) : 0;
  SetAttributeInt(e, attr::kHandle, row.handle);
  SetAttributeText(e, attr::kKind, kKindRow);
  SetAttributeInt(e, attr::kGroupHandle, row.groupHandle);
  SetAttributeText(e, attr::kName, row.name);
  SetAttributeText(e, attr::kNumber, row.number);
  SetAttributeText(e, attr::kSignature, row.signature);
  SetAttributeInt(e, attr::kNameColour, row.nameColour);
  SetAttributeInt(e, attr::kIconCount, iconCount);
  if (iconCount > 0) SetAttributeText(e, attr::kIconList, JoinIconList(*row.icons));
  SetAttributeText(e, attr::kRemark, row.remark);
  SetAttributeInt(e, attr::kAvatar, AvatarHandleValue(row.avatar));
  SetAttributeInt(e, attr::kGreyAvatar, AvatarHandleValue(row.greyAvatar));
  SetAttributeInt(e, attr::kAvatarWidth, row.avatarWidth);
  SetAttributeInt(e, attr::kAvatarHeight, row.avatarHeight);
  SetAttributeInt(e, attr::kOnline, row.online ? 1 : 0);
  SetAttributeInt(e, attr::kListIndex, row.listIndex);
}

}  // namespace trr
