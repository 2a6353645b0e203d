#include "listctrl/group_rows.h"

#include <algorithm>

#include "listctrl/avatar_flash.h"
#include "listctrl/entry_tracking.h"
#include "listctrl/list_box.h"
#include "listctrl/pictures.h"

namespace trr {
namespace {

HBITMAP BitmapOf(IXMLDOMElement* row, const char* name) { return AvatarHandleBitmap(GetAttributeInt(row, name)); }

// One more reference to each of the row's bitmaps, for one more row that shows them.
void ShareBitmaps(const NewRow& row) {
  ShareAvatar(row.avatar);
  if (row.greyAvatar) ShareAvatar(row.greyAvatar);
}

// The row at `entry` shows another station after a refill: a selection or hover on it is given up, as it would
// be had the row been removed, and an enlarged selected row gets its usual height back.
void ForgetTrackedEntry(ControlState& state, int entry) {
  if (state.selectedIndex == entry) {
    state.selectedIndex = -1;
    ListBox{state.listWindow}.setItemHeight(entry, state.rowHeight);
  }
  if (state.hoverIndex == entry) {
    state.hoverIndex = -1;
    state.hotIcon = 0;
  }
}

// Rewrites a row's element in place: what it owned outside the document goes, and what a new row of `row`
// would carry comes instead (no service icons, flashing or avatar offset of the station it showed before).
void RewriteRow(ControlState& state, IXMLDOMElement* element, const NewRow& row) {
  if (row.listIndex >= 0 && (row.listIndex == state.selectedIndex || row.listIndex == state.hoverIndex) &&
      (GetAttributeText(element, attr::kName) != row.name || GetAttributeText(element, attr::kNumber) != row.number))
    ForgetTrackedEntry(state, row.listIndex);
  ShareBitmaps(row);
  ReleaseAvatarBitmap(BitmapOf(element, attr::kAvatar));
  ReleaseAvatarBitmap(BitmapOf(element, attr::kGreyAvatar));
  ForgetFlash(state.listWindow, row.handle);
  for (const char* leftover : {attr::kIconList, attr::kFlashing, attr::kAvatarOffset}) RemoveAttribute(element, leftover);
  WriteNewRowAttributes(element, row);
}

}  // namespace

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

int RefillGroupRows(ControlState& state, IXMLDOMElement* header, const NewRow& common,
                    const std::vector<RowText>& rows, std::vector<ItemHandle>* handles, bool renumber) {
  ScopedBatchUpdate batch(state.listWindow);
  ItemDocument& document = state.document;
  ListBox listBox{state.listWindow};
  const ItemHandle group = GetAttributeInt(header, attr::kHandle);
  const bool shown = GetAttributeFlag(header, attr::kExpanded);
  const int headerIndex = GetAttributeInt(header, attr::kListIndex);
  const std::vector<ElementPtr> old = document.Children(header);
  const size_t kept = std::min(old.size(), rows.size());
  if (handles) handles->clear();
  NewRow row = common;
  row.groupHandle = group;
  auto entryOf = [&](size_t k) { return shown ? headerIndex + 1 + static_cast<int>(k) : -1; };

  for (size_t k = 0; k < kept; ++k) {
    row.handle = GetAttributeInt(old[k].Get(), attr::kHandle);
    row.name = rows[k].name;
    row.number = rows[k].number;
    row.listIndex = entryOf(k);
    RewriteRow(state, old[k].Get(), row);
    if (handles) handles->push_back(row.handle);
  }

  // Rows beyond the old count: the elements the group kept first, then new ones; shown after the others.
  int added = 0;
  for (size_t k = kept; k < rows.size(); ++k) {
    ElementPtr element = document.TakeSpareRow(group, row.handle);
    if (!element) element = document.CreateItemElement(row.handle = NextItemHandle());
    row.name = rows[k].name;
    row.number = rows[k].number;
    row.listIndex = shown ? entryOf(kept) + added : -1;
    if (element) {
      WriteNewRowAttributes(element.Get(), row);
      if (!document.Append(header, element.Get())) element = nullptr;
    }
    if (!element) {
      document.Forget(row.handle);
      if (handles) handles->push_back(0);
      continue;
    }
    ShareBitmaps(row);
    if (shown) {
      const int i = row.listIndex < listBox.count() ? listBox.insert(row.listIndex, nullptr) : listBox.add(nullptr);
      listBox.setItemHeight(i, state.rowHeight);
      listBox.setItemData(i, row.handle);
      ++added;
    }
    if (handles) handles->push_back(row.handle);
  }
  MoveTrackedEntriesDown(state, entryOf(kept), added);

  // Rows beyond the new count go, last first; their elements are kept for a later refill.
  int removed = 0;
  for (size_t k = old.size(); k-- > rows.size();) {
    IXMLDOMElement* element = old[k].Get();
    if (shown) {
      listBox.remove(entryOf(k));
      ++removed;
    }
    ReleaseRowResources(state, element);
    const ItemHandle handle = GetAttributeInt(element, attr::kHandle);
    document.Forget(handle);
    document.Remove(header, element);
    document.KeepSpareRow(group, handle, old[k]);
  }
  MoveTrackedEntriesUp(state, entryOf(rows.size()), removed);

  const int last = shown ? headerIndex + static_cast<int>(kept) + added : headerIndex;
  if (renumber && (added > 0 || removed > 0)) RenumberRows(state, last);
  return last;
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
