// Group operations: adding, finding, naming, expanding and collapsing groups, emptying and removing them and
// putting a group's online rows first. Each keeps the document and the ListBox in step.
#include "listctrl/entry_tracking.h"
#include "listctrl/group_rows.h"
#include "listctrl/list_box.h"

namespace trr {
namespace {

bool IsGroupElement(IXMLDOMElement* element) {
  return element && GetAttributeText(element, attr::kKind) == kKindGroup;
}

ItemHandle HandleOf(IXMLDOMElement* element) { return GetAttributeInt(element, attr::kHandle); }
int ListIndexOf(IXMLDOMElement* element) { return GetAttributeInt(element, attr::kListIndex); }

// Expands (or collapses) every group whose state differs. Groups are visited last to first, so the header
// positions still to be read are untouched by the entries already inserted or deleted, and the positions after
// the first changed header are rewritten once at the end rather than once per group.
void SetAllGroupsExpanded(ControlState& state, bool expand) {
  ScopedBatchUpdate batch(state.listWindow);
  std::vector<ElementPtr> groups = state.document.Children(state.document.Root().Get());
  int firstChanged = -1;
  for (auto it = groups.rbegin(); it != groups.rend(); ++it) {
    if (GetAttributeFlag(it->Get(), attr::kExpanded) == expand) continue;
    firstChanged = ListIndexOf(it->Get());
    if (expand)
      ShowGroupRows(state, HandleOf(it->Get()), false);
    else
      HideGroupRows(state, HandleOf(it->Get()), false);
  }
  if (firstChanged == -1) return;
  RenumberRows(state, firstChanged);
  for (const ElementPtr& group : groups) RepaintEntryIfVisible(state, ListIndexOf(group.Get()));
}

}  // namespace

ItemHandle GroupList::AddGroup(const std::string& title, Optional<bool> expanded, Optional<COLORREF> colour) {
  ControlState* state = State();
  if (!state || !state->document.IsValid()) return 0;
  const ItemHandle handle = NewItemHandle();
  ElementPtr root = state->document.Root();
  ElementPtr group = state->document.CreateItemElement(handle);
  if (!group) return 0;
  SetAttributeText(group.Get(), attr::kKind, kKindGroup);
  SetAttributeText(group.Get(), attr::kGroupName, title);
  SetAttributeInt(group.Get(), attr::kHandle, handle);
  SetAttributeInt(group.Get(), attr::kNameColour, colour.value);
  SetAttributeInt(group.Get(), attr::kExpanded, expanded.value ? 1 : 0);
  if (!state->document.Append(root.Get(), group.Get())) {
    state->document.Forget(handle);
    return 0;
  }
  ListBox listBox{state->listWindow};
  ScopedBatchUpdate batch(state->listWindow);
  const int position = listBox.add(title.c_str());
  listBox.setItemHeight(position, kGroupEntryHeight);
  listBox.setItemData(position, handle);
  SetAttributeInt(group.Get(), attr::kListIndex, position);
  return handle;
}

bool GroupList::ExpandGroup(ItemHandle group) {
  ControlState* state = State();
  if (!state) return false;
  ElementPtr header = state->document.Find(group);
  if (!IsGroupElement(header.Get())) return false;
  if (GetAttributeFlag(header.Get(), attr::kExpanded)) return true;
  ShowGroupRows(*state, group);
  RepaintEntry(*state, ListIndexOf(header.Get()));
  return true;
}

bool GroupList::CollapseGroup(ItemHandle group) {
  ControlState* state = State();
  if (!state) return false;
  ElementPtr header = state->document.Find(group);
  if (!IsGroupElement(header.Get())) return false;
  if (!GetAttributeFlag(header.Get(), attr::kExpanded)) return true;
  HideGroupRows(*state, group);
  RepaintEntry(*state, ListIndexOf(header.Get()));
  return true;
}

void GroupList::ExpandAllGroups() {
  if (ControlState* state = State()) SetAllGroupsExpanded(*state, true);
}

void GroupList::CollapseAllGroups() {
  if (ControlState* state = State()) SetAllGroupsExpanded(*state, false);
}

ItemHandle GroupList::FindGroupByName(const std::string& title) {
  ControlState* state = State();
  if (!state) return 0;
  for (const ElementPtr& group : state->document.Children(state->document.Root().Get()))
    if (GetAttributeText(group.Get(), attr::kGroupName) == title) return HandleOf(group.Get());
  return 0;
}

std::string GroupList::GetGroupName(ItemHandle group) {
  ControlState* state = State();
  if (!state) return {};
  ElementPtr header = state->document.Find(group);
  return header ? GetAttributeText(header.Get(), attr::kGroupName) : std::string();
}

bool GroupList::ClearGroupRows(ControlState& state, ItemHandle group, bool renumber) {
  ElementPtr header = state.document.Find(group);
  // A row handle names no group: emptying "its rows" would touch nothing sensible, so it fails like a miss.
  if (!IsGroupElement(header.Get())) return false;
  RemoveRowsOfGroup(state, group);
  if (renumber) RenumberRows(state, ListIndexOf(header.Get()));
  return true;
}

bool GroupList::ClearGroups(Optional<ItemHandle> group) {
  ControlState* state = State();
  if (!state) return false;
  if (group.given) {
    bool cleared = ClearGroupRows(*state, group.value, false);
    if (cleared) RenumberRows(*state, ListIndexOf(state->document.Find(group.value).Get()) - 1);
    return cleared;
  }
  ScopedBatchUpdate batch(state->listWindow);
  std::vector<ElementPtr> groups = state->document.Children(state->document.Root().Get());
  for (auto it = groups.rbegin(); it != groups.rend(); ++it) ClearGroupRows(*state, HandleOf(it->Get()), false);
  RenumberRows(*state, -1);
  return true;
}

bool GroupList::RemoveGroup(Optional<ItemHandle> group) {
  ControlState* state = State();
  if (!state) return false;
  ListBox listBox{state->listWindow};
  ScopedBatchUpdate batch(state->listWindow);
  ElementPtr root = state->document.Root();
  auto removeHeader = [&](IXMLDOMElement* header) {
    const int g = ListIndexOf(header);
    state->document.Forget(HandleOf(header));
    state->document.Remove(root.Get(), header);
    if (g > -1) {
      NoteEntriesRemoved(*state, g, 1);
      listBox.remove(g);
    }
    return g;
  };
  if (group.given) {
    ElementPtr header = state->document.Find(group.value);
    if (!ClearGroupRows(*state, group.value, false)) return false;
    RenumberRows(*state, removeHeader(header.Get()) - 1);
    return true;
  }
  std::vector<ElementPtr> groups = state->document.Children(root.Get());
  for (auto it = groups.rbegin(); it != groups.rend(); ++it) {
    ClearGroupRows(*state, HandleOf(it->Get()), false);
    removeHeader(it->Get());
  }
  return true;
}

void GroupList::SortGroupRows(IXMLDOMDocument* document, IXMLDOMElement* group) {
  ControlState* state = State();
  if (!state || !state->document.Is(document) || !group) return;
  // Rows move as whole elements, so handles, bitmaps, flash state and every attribute stay with their row
  // and nothing is made or freed; only 项目索引 and the entries' item data follow the new order.
  std::vector<ElementPtr> rows = state->document.Children(group);
  std::vector<int> positions;
  std::vector<ElementPtr> online, offline;
  for (const ElementPtr& row : rows) {
    positions.push_back(ListIndexOf(row.Get()));
    (GetAttributeFlag(row.Get(), attr::kOnline) ? online : offline).push_back(row);
  }
  for (const ElementPtr& row : rows) state->document.Remove(group, row.Get());
  online.insert(online.end(), offline.begin(), offline.end());
  ListBox listBox{state->listWindow};
  for (size_t k = 0; k < online.size(); ++k) {
    state->document.Append(group, online[k].Get());
    SetAttributeInt(online[k].Get(), attr::kListIndex, positions[k]);
  }
  for (size_t k = 0; k < online.size(); ++k) {
    if (positions[k] == -1) continue;
    listBox.setItemData(positions[k], HandleOf(online[k].Get()));
    RepaintEntryIfVisible(*state, positions[k]);
  }
}

void GroupList::SortAllGroups() {
  ControlState* state = State();
  if (!state) return;
  for (const ElementPtr& group : state->document.Children(state->document.Root().Get()))
    SortGroupRows(state->document.Dom(), group.Get());
}

}  // namespace trr
