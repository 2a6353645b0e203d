#include "listctrl/group_rows.h"

#include "listctrl/avatar_flash.h"
#include "listctrl/entry_tracking.h"
#include "listctrl/list_box.h"
#include "listctrl/pictures.h"

namespace trr {

int ShowGroupRows(ControlState& state, ItemHandle group, bool renumber) {
  ScopedBatchUpdate batch(state.listWindow);
  ElementPtr header = state.document.Find(group);
  if (!header) return -1;
  ListBox listBox{state.listWindow};
  const int headerIndex = GetAttributeInt(header.Get(), attr::kListIndex);
  int p = headerIndex;
  SetAttributeInt(header.Get(), attr::kExpanded, 1);
  std::vector<ElementPtr> rows = state.document.Children(header.Get());
  NoteEntriesInserted(state, headerIndex + 1, static_cast<int>(rows.size()));
  for (const ElementPtr& row : rows) {
    ItemHandle handle = GetAttributeInt(row.Get(), attr::kHandle);
    std::string name = GetAttributeText(row.Get(), attr::kName);
    p = listBox.insert(p + 1, name.c_str());
    listBox.setItemData(p, handle);
    SetAttributeInt(row.Get(), attr::kListIndex, p);
    const bool enlarged = p == state.selectedIndex && state.enlargeSelected && state.viewMode != 0;
    listBox.setItemHeight(p, enlarged ? kLargeRowHeight : state.rowHeight);
  }
  if (renumber) RenumberRows(state, p);
  return p;
}

int HideGroupRows(ControlState& state, ItemHandle group, bool renumber) {
  ScopedBatchUpdate batch(state.listWindow);
  ElementPtr header = state.document.Find(group);
  if (!header) return -1;
  ListBox listBox{state.listWindow};
  const int headerIndex = GetAttributeInt(header.Get(), attr::kListIndex);
  SetAttributeInt(header.Get(), attr::kExpanded, 0);
  std::vector<ElementPtr> rows = state.document.Children(header.Get());
  int removed = 0;
  for (auto it = rows.rbegin(); it != rows.rend(); ++it) {
    int r = GetAttributeInt(it->Get(), attr::kListIndex);
    SetAttributeInt(it->Get(), attr::kListIndex, -1);
    if (r > -1) {
      listBox.remove(r);
      ++removed;
    }
  }
  NoteEntriesRemoved(state, headerIndex + 1, removed);
  if (renumber) RenumberRows(state, headerIndex);
  return headerIndex;
}

bool ToggleGroup(ControlState& state, ItemHandle group) {
  ElementPtr header = state.document.Find(group);
  if (!header || GetAttributeText(header.Get(), attr::kKind) != kKindGroup) return false;
  if (GetAttributeFlag(header.Get(), attr::kExpanded))
    HideGroupRows(state, group);
  else
    ShowGroupRows(state, group);
  return true;
}

void ReleaseRowResources(ControlState& state, IXMLDOMElement* row) {
  ReleaseAvatarBitmap(AvatarHandleBitmap(GetAttributeInt(row, attr::kAvatar)));
  ReleaseAvatarBitmap(AvatarHandleBitmap(GetAttributeInt(row, attr::kGreyAvatar)));
  // The attributes no longer name live bitmaps; clearing them keeps a second release from ever happening.
  SetAttributeInt(row, attr::kAvatar, 0);
  SetAttributeInt(row, attr::kGreyAvatar, 0);
  ForgetFlash(state.listWindow, GetAttributeInt(row, attr::kHandle));
}

bool RemoveRowsOfGroup(ControlState& state, ItemHandle group) {
  ScopedBatchUpdate batch(state.listWindow);
  ElementPtr header = state.document.Find(group);
  if (!header) return false;
  // Rows never made have no entries (their group is collapsed) and need no elements to be removed.
  state.document.DropDeferred(group);
  ListBox listBox{state.listWindow};
  std::vector<ElementPtr> rows = state.document.Children(header.Get());
  for (auto it = rows.rbegin(); it != rows.rend(); ++it) {
    IXMLDOMElement* row = it->Get();
    int r = GetAttributeInt(row, attr::kListIndex);
    if (r > -1) {
      NoteEntriesRemoved(state, r, 1);
      listBox.remove(r);
    }
    ReleaseRowResources(state, row);
    state.document.Forget(GetAttributeInt(row, attr::kHandle));
    state.document.Remove(header.Get(), row);
  }
  return true;
}

void RepaintEntry(ControlState& state, int index) {
  if (index < 0) return;
  ::SendMessageA(state.listWindow, kRepaintEntryMessage, index, 0);
}

void RepaintEntryIfVisible(ControlState& state, int index) {
  RECT entry, client, overlap;
  if (!ListBox{state.listWindow}.itemRect(index, entry) || !::GetClientRect(state.listWindow, &client)) return;
  if (::IntersectRect(&overlap, &entry, &client)) RepaintEntry(state, index);
}

}  // namespace trr
