// Row operations: adding and removing rows, reading and changing their data, finding them by an attribute,
// switching them online (with an optional blink) or offline, selecting, and the position-to-handle lookup.
#include "listctrl/entry_tracking.h"
#include "listctrl/group_rows.h"
#include "listctrl/list_box.h"
#include "listctrl/pictures.h"
#include "listctrl/row_element.h"

namespace trr {
namespace {

HBITMAP BitmapOf(IXMLDOMElement* element, const char* name) {
  return AvatarHandleBitmap(GetAttributeInt(element, name));
}

// The row element of a handle, or null for a group, a missing element or one whose 项目句柄 reads 0.
ElementPtr FindRowElement(ControlState& state, ItemHandle handle) {
  ElementPtr element = state.document.Find(handle);
  if (!element || GetAttributeInt(element.Get(), attr::kHandle) == 0) return nullptr;
  if (GetAttributeText(element.Get(), attr::kKind) == kKindGroup) return nullptr;
  return element;
}

// An offline row needs its grey avatar; it is made the first time the row goes offline.
void EnsureGreyAvatar(IXMLDOMElement* row) {
  if (GetAttributeInt(row, attr::kGreyAvatar) != 0) return;
  HBITMAP grey = AcquireGreyAvatar(BitmapOf(row, attr::kAvatar));
  if (grey) SetAttributeInt(row, attr::kGreyAvatar, AvatarHandleValue(grey));
}

// Runs the thread's messages until `milliseconds` have passed; a WM_QUIT is put back and ends the wait.
void PumpMessagesFor(DWORD milliseconds) {
  const DWORD start = ::GetTickCount();
  for (;;) {
    MSG message;
    while (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == WM_QUIT) {
        ::PostQuitMessage(static_cast<int>(message.wParam));
        return;
      }
      ::TranslateMessage(&message);
      ::DispatchMessageA(&message);
    }
    const DWORD elapsed = ::GetTickCount() - start;
    if (elapsed >= milliseconds) return;
    ::MsgWaitForMultipleObjects(0, nullptr, FALSE, milliseconds - elapsed, QS_ALLINPUT);
  }
}

}  // namespace

bool GroupList::AddItem(RowData& row, const std::vector<int32_t>* icons) {
  ControlState* state = State();
  if (!state) return false;
  if (row.groupHandle == -1 || row.groupHandle == 0) return false;
  ElementPtr group = state->document.Find(row.groupHandle);
  if (!group || GetAttributeText(group.Get(), attr::kKind) != kKindGroup) return false;
  if (row.avatarPicture.empty()) return false;

  int width = 0, height = 0;
  HBITMAP avatar = AcquireAvatar(row.avatarPicture, &width, &height);
  if (!avatar) return false;
  HBITMAP grey = row.online ? nullptr : AcquireGreyAvatar(avatar);

  const ItemHandle handle = NewItemHandle();
  NewRow made;
  made.handle = handle;
  made.groupHandle = row.groupHandle;
  made.name = row.name;
  made.number = row.number;
  made.signature = row.signature;
  made.remark = row.remark;
  made.nameColour = row.nameColour;
  made.icons = icons;
  made.avatar = avatar;
  made.greyAvatar = grey;
  made.avatarWidth = width;
  made.avatarHeight = height;
  made.online = row.online;
  ElementPtr element = MakeRowElement(state->document, group.Get(), made);
  if (!element) {
    ReleaseAvatarBitmap(grey);
    ReleaseAvatarBitmap(avatar);
    return false;
  }
  IXMLDOMElement* e = element.Get();
  row.handle = handle;

  if (GetAttributeFlag(group.Get(), attr::kExpanded)) {
    ListBox listBox{state->listWindow};
    ScopedBatchUpdate batch(state->listWindow);
    // The new entry goes right after the group's other rows: after its previous row, else after the header.
    int p = GetAttributeInt(group.Get(), attr::kListIndex) + 1;
    ComPtr<IXMLDOMNode> previous;
    if (e->get_previousSibling(previous.Receive()) == S_OK && previous) {
      ElementPtr previousRow = previous.As<IXMLDOMElement>(IID_IXMLDOMElement);
      p = GetAttributeInt(previousRow.Get(), attr::kListIndex) + 1;
    }
    const bool inserted = p < listBox.count();
    const int i = inserted ? listBox.insert(p, row.name.c_str()) : listBox.add(row.name.c_str());
    NoteEntriesInserted(*state, i, 1);
    listBox.setItemHeight(i, state->rowHeight);
    listBox.setItemData(i, handle);
    SetAttributeInt(e, attr::kListIndex, i);
    if (inserted) RenumberRows(*state, i);
  }
  return true;
}

bool GroupList::RemoveItem(ItemHandle handle) {
  ControlState* state = State();
  if (!state) return false;
  // Groups are removed with RemoveGroup, which also takes their rows' entries away.
  ElementPtr element = FindRowElement(*state, handle);
  if (!element) return false;
  ComPtr<IXMLDOMNode> parentNode;
  element->get_parentNode(parentNode.Receive());
  ElementPtr parent = parentNode.As<IXMLDOMElement>(IID_IXMLDOMElement);
  const int r = GetAttributeInt(element.Get(), attr::kListIndex);
  ReleaseRowResources(*state, element.Get());
  state->document.Remove(parent.Get(), element.Get());
  state->document.Forget(handle);
  if (r > -1) {
    NoteEntriesRemoved(*state, r, 1);
    ListBox{state->listWindow}.remove(r);
    RenumberRows(*state, r - 1);
  }
  return true;
}

bool GroupList::GetItemInfo(ItemHandle handle, RowData& row, std::vector<int32_t>* icons) {
  ControlState* state = State();
  ItemInfo info;
  if (!state || !FindItem(*state, handle, info)) return false;
  row.handle = info.handle;
  row.groupHandle = info.groupHandle;
  row.name = info.name;
  row.number = info.number;
  row.nameColour = info.nameColour;
  row.online = info.online;
  row.remark = info.remark;
  row.signature = info.signature;
  if (icons) *icons = info.iconCount > 0 ? info.icons : std::vector<int32_t>();
  return true;
}

void GroupList::SetItemInfo(const RowData& row) {
  ControlState* state = State();
  if (!state) return;
  ElementPtr element = FindRowElement(*state, row.handle);
  ItemInfo info;
  if (!element || !ReadRowAttributes(element.Get(), info)) return;
  info.name = row.name;
  info.number = row.number;
  info.nameColour = row.nameColour;
  info.online = row.online;
  info.remark = row.remark;
  info.signature = row.signature;
  WriteRowAttributes(element.Get(), info);
  // An offline row is drawn with its grey avatar, so make it now if the row never had one.
  if (!info.online) EnsureGreyAvatar(element.Get());
  if (info.listIndex > -1) RepaintEntry(*state, info.listIndex);
}

bool GroupList::GetSelectedItemInfo(RowData& row, std::vector<int32_t>* icons) {
  ControlState* state = State();
  if (!state) return false;
  const ItemHandle handle = ListBox{state->listWindow}.itemData(state->selectedIndex);
  return handle > 0 && GetItemInfo(handle, row, icons);
}

ItemHandle GroupList::FindItemByNumber(const std::string& value) { return FindItemByAttribute(attr::kNumber, value); }
ItemHandle GroupList::FindItemByName(const std::string& value) { return FindItemByAttribute(attr::kName, value); }
ItemHandle GroupList::FindItemByRemark(const std::string& value) { return FindItemByAttribute(attr::kRemark, value); }

ItemHandle GroupList::FindItemByAttribute(const std::string& attribute, const std::string& value) {
  ControlState* state = State();
  if (!state || attribute.empty()) return 0;
  for (const ElementPtr& group : state->document.Children(state->document.Root().Get()))
    for (const ElementPtr& row : state->document.Children(group.Get()))
      if (GetAttributeText(row.Get(), attribute.c_str()) == value) return GetAttributeInt(row.Get(), attr::kHandle);
  return 0;
}

bool GroupList::SetOnline(ItemHandle handle, Optional<int> blinkIntervalMs) {
  ControlState* state = State();
  if (!state) return false;
  ElementPtr element = FindRowElement(*state, handle);
  if (!element) return false;
  if (GetAttributeFlag(element.Get(), attr::kOnline)) return true;
  SetAttributeInt(element.Get(), attr::kOnline, 1);
  EnsureGreyAvatar(element.Get());
  int index = GetAttributeInt(element.Get(), attr::kListIndex);
  if (index == -1) return true;
  RepaintEntry(*state, index);
  if (blinkIntervalMs.value <= 0) return true;
  const HWND list = state->listWindow;
  for (int step = 0; step < 4; ++step) {
    PumpMessagesFor(static_cast<DWORD>(blinkIntervalMs.value));
    // Handlers ran while waiting: the row may be gone, or sit at another position now.
    state = FindControlByList(list);
    if (!state || state->document.Find(handle).Get() != element.Get()) return false;
    SetAttributeInt(element.Get(), attr::kOnline, step % 2 == 0 ? 0 : 1);
    index = GetAttributeInt(element.Get(), attr::kListIndex);
    RepaintEntry(*state, index);
  }
  return true;
}

bool GroupList::SetOffline(ItemHandle handle) {
  ControlState* state = State();
  if (!state) return false;
  ElementPtr element = FindRowElement(*state, handle);
  if (!element) return false;
  SetAttributeInt(element.Get(), attr::kOnline, 0);
  EnsureGreyAvatar(element.Get());
  RepaintEntry(*state, GetAttributeInt(element.Get(), attr::kListIndex));
  return true;
}

void GroupList::SelectItem(ItemHandle handle) {
  ControlState* state = State();
  ItemInfo info;
  if (!state || !FindItem(*state, handle, info)) return;
  const int i = info.listIndex;
  if (i == -1 || i == state->selectedIndex) return;
  const int old = state->selectedIndex;
  state->selectedIndex = i;
  if (state->enlargeSelected && (state->viewMode == 1 || state->viewMode == 2)) {
    ListBox listBox{state->listWindow};
    if (old != -1 && !IsGroup(*state, listBox.itemData(old))) listBox.setItemHeight(old, state->rowHeight);
    if (info.kind != kKindGroup) listBox.setItemHeight(i, kLargeRowHeight);
    ::InvalidateRect(state->listWindow, nullptr, FALSE);
  } else {
    RepaintEntry(*state, old);
    RepaintEntry(*state, i);
  }
}

}  // namespace trr
