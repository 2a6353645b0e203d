// Creating the control, its event handlers, its three views and the small operations that only look the
// control up (Refresh, NewItemHandle, SaveToFile, GetHandleAt), plus the program-end release.
#include "listctrl/avatar_flash.h"
#include "listctrl/item_info.h"
#include "listctrl/list_box.h"
#include "listctrl/paint_entry.h"
#include "listctrl/pictures.h"
#include "listctrl/window_procs.h"

namespace trr {

ControlState* GroupList::State() const { return FindControlByList(listWindow_); }

int GroupList::Create(HWND container, Optional<int> borderStyle, Optional<int> mode, Optional<int> enlargeSelected,
                      Optional<COLORREF> background) {
  if (listWindow_ && ::IsWindow(listWindow_)) return 0;
  if (!container || !::IsWindow(container)) return 0;
  parentWindow_ = container;
  RECT bounds{};
  ::GetWindowRect(container, &bounds);
  DWORD style = WS_CHILD | WS_VISIBLE | WS_VSCROLL | LBS_OWNERDRAWVARIABLE | LBS_NOTIFY;
  DWORD exStyle = 0;
  if (borderStyle.value == 1) exStyle |= WS_EX_CLIENTEDGE;
  if (borderStyle.value == 2) style |= WS_BORDER;
  HWND list = ::CreateWindowExA(exStyle, "ListBox", "分组列表框", style, 0, 0, bounds.right - bounds.left,
                                bounds.bottom - bounds.top, container, nullptr, ::GetModuleHandleA(nullptr), nullptr);
  if (!list) return 0;
  listWindow_ = list;
  ::ShowWindow(list, SW_SHOW);

  ControlState& state = RegisterControl();
  state.listWindow = list;
  state.parentWindow = container;
  state.listFont = CreateListFont();
  ::SendMessageA(list, WM_SETFONT, reinterpret_cast<WPARAM>(state.listFont), 0);
  ::InvalidateRect(list, nullptr, TRUE);
  SeedItemHandles();
  state.document.Create(list, container);
  if (mode.value == 1) {
    state.rowHeight = kMediumRowHeight;
    state.viewMode = 1;
  } else if (mode.value == 2) {
    state.rowHeight = kSmallRowHeight;
    state.viewMode = 2;
  } else {
    state.rowHeight = kLargeRowHeight;
    state.viewMode = 0;
  }
  state.enlargeSelected = enlargeSelected.value;
  state.backgroundColour = background.given ? background.value : 0xFFFFFF;
  state.backgroundBrush = ::CreateSolidBrush(state.backgroundColour);
  ApplyDefaultColours(state);
  MarkerStrip();
  // Subclass last, once the record is complete, so the first message our procedures see finds everything.
  state.oldListProc = reinterpret_cast<WNDPROC>(
      ::SetWindowLongPtrA(list, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ListWindowProc)));
  state.oldParentProc = reinterpret_cast<WNDPROC>(
      ::SetWindowLongPtrA(container, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ParentWindowProc)));
  Refresh();
  return 1;
}

void GroupList::SetEventHandlers(Optional<EventHandler> onRowClick, Optional<EventHandler> onRowDoubleClick,
                                 Optional<EventHandler> onRowRightClick, Optional<EventHandler> onMouseEnterEntry,
                                 Optional<EventHandler> onMouseLeaveEntry, Optional<EventHandler> onGroupClick,
                                 Optional<EventHandler> onGroupDoubleClick, Optional<EventHandler> onGroupRightClick,
                                 Optional<EventHandler> onIconClick) {
  ControlState* state = State();
  if (!state) return;
  auto store = [&](EventSlot slot, const Optional<EventHandler>& handler) {
    state->handlers[slot] = handler.given ? handler.value : nullptr;
  };
  store(kOnRowClick, onRowClick);
  store(kOnRowDoubleClick, onRowDoubleClick);
  store(kOnRowRightClick, onRowRightClick);
  store(kOnMouseEnterEntry, onMouseEnterEntry);
  store(kOnMouseLeaveEntry, onMouseLeaveEntry);
  store(kOnGroupClick, onGroupClick);
  store(kOnGroupDoubleClick, onGroupDoubleClick);
  store(kOnGroupRightClick, onGroupRightClick);
  store(kOnIconClick, onIconClick);
}

void GroupList::SetLargeView() {
  ControlState* state = State();
  if (!state) return;
  state->rowHeight = kLargeRowHeight;
  state->viewMode = 0;
  ApplyRowHeight(kLargeRowHeight, -1);
}

namespace {
// Medium and small view: every row gets the mode's height; with enlargement on, the selected row is 54 high.
void ApplySmallerView(GroupList& list, ControlState& state, int height, int viewMode, Optional<int> enlarge) {
  state.rowHeight = height;
  state.viewMode = viewMode;
  state.enlargeSelected = enlarge.value;
  const int selected = state.selectedIndex;
  list.ApplyRowHeight(height, state.enlargeSelected ? selected : -1);
  // A row selected while enlargement was off is enlarged now, not only at the next selection change.
  if (state.enlargeSelected && selected != -1) {
    ListBox listBox{state.listWindow};
    if (!IsGroup(state, listBox.itemData(selected)) && listBox.itemHeight(selected) != kLargeRowHeight) {
      listBox.setItemHeight(selected, kLargeRowHeight);
      list.Refresh();
    }
  }
}
}  // namespace

void GroupList::SetMediumView(Optional<int> enlargeSelected) {
  if (ControlState* state = State()) ApplySmallerView(*this, *state, kMediumRowHeight, 1, enlargeSelected);
}

void GroupList::SetSmallView(Optional<int> enlargeSelected) {
  if (ControlState* state = State()) ApplySmallerView(*this, *state, kSmallRowHeight, 2, enlargeSelected);
}

void GroupList::ApplyRowHeight(int height, int skipIndex) {
  ControlState* state = State();
  if (!state) return;
  ListBox listBox{state->listWindow};
  ScopedBatchUpdate batch(state->listWindow);
  const int count = listBox.count();
  for (int i = 0; i < count; ++i) {
    if (i == skipIndex || IsGroup(*state, listBox.itemData(i))) continue;
    listBox.setItemHeight(i, height);
  }
  Refresh();
}

void GroupList::Refresh() {
  if (ControlState* state = State()) ::InvalidateRect(state->listWindow, nullptr, TRUE);
}

ItemHandle GroupList::NewItemHandle() { return NextItemHandle(); }

void GroupList::SaveToFile(const std::string& path) {
  if (ControlState* state = State()) state->document.Save(path);
}

ItemHandle GroupList::GetHandleAt(int position) {
  ControlState* state = State();
  if (!state) return LB_ERR;
  return ListBox{state->listWindow}.itemData(position);
}

void ReleaseAllListControls() {
  for (ControlState* state : AllControls()) TearDownControl(*state);
  ForgetAllFlashes();
  ReleaseMarkerStrip();
}

}  // namespace trr
