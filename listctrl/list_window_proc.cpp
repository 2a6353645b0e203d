// The ListBox's window procedure: hover tracking with TrackMouseEvent, selection (with the selected row
// enlarged in medium and small view), hit tests, click dispatch to the owner's handlers and the control's
// repaint message. Everything else goes to the ListBox's own procedure.
#include "common/exception_boundary.h"
#include "listctrl/group_rows.h"
#include "listctrl/list_box.h"
#include "listctrl/paint_entry.h"
#include "listctrl/window_procs.h"

namespace trr {
namespace {

// The window that has a TrackMouseEvent request outstanding (one at a time in the process).
HWND g_trackedWindow = nullptr;

struct HitResult {
  bool overEntry = false;
  int index = -1;
  RECT rect{};
};

// The entry under the point; "below the last entry" when the ListBox reports the point outside every entry.
HitResult HitTest(const ListBox& listBox, LPARAM point) {
  HitResult hit;
  hit.index = static_cast<int>(listBox.itemFromPoint(point));
  const int y = HIWORD(point);
  hit.overEntry = listBox.itemRect(hit.index, hit.rect) && y <= hit.rect.bottom;
  return hit;
}

bool IsGroupEntry(ControlState& state, int index) {
  return index >= 0 && IsGroup(state, ListBox{state.listWindow}.itemData(index));
}

// Height of a row that is not the selected one in the current view.
int ModeRowHeight(const ControlState& state) { return state.viewMode == 1 ? kMediumRowHeight : kSmallRowHeight; }

// 1-based position of the service icon under an entry-relative point, 0 for none (or no icons).
int IconUnderPoint(const ControlState& state, const ItemInfo& info, const RECT& entry, int x, int y,
                   int* number) {
  if (info.iconCount <= 0) return 0;
  IconLayout layout = LayoutIcons(state.iconCount, info.iconCount, info.icons, entry);
  int k = HitTestIcons(layout, x, y);
  if (k > 0 && number) *number = layout.numbers[k - 1];
  return k;
}

void OnMouseMove(ControlState& state, HWND window, LPARAM lParam) {
  if (g_trackedWindow != window) {
    g_trackedWindow = window;
    TRACKMOUSEEVENT request{sizeof(TRACKMOUSEEVENT), TME_LEAVE, window, 0};
    ::TrackMouseEvent(&request);
  }
  ListBox listBox{window};
  const int x = LOWORD(lParam), y = HIWORD(lParam);
  HitResult hit = HitTest(listBox, lParam);
  if (hit.overEntry) {
    const int i = hit.index;
    if (i != state.hoverIndex) {
      const int old = state.hoverIndex;
      state.hoverIndex = i;
      if (old != -1) PaintEntry(window, old);
      RaiseEvent(state, kOnMouseLeaveEntry, listBox.itemData(old), x, y);
      PaintEntry(window, i);
      RaiseEvent(state, kOnMouseEnterEntry, listBox.itemData(i), x, y);
      return;
    }
    ItemInfo info;
    if (!FindItem(state, listBox.itemData(i), info) || info.kind == kKindGroup || info.iconCount == 0) return;
    int hot = IconUnderPoint(state, info, hit.rect, x - hit.rect.left, y - hit.rect.top, nullptr);
    if (hot != state.hotIcon) PaintEntry(window, i, nullptr, nullptr, Given(hot));
  } else if (state.hoverIndex != -1) {
    const int old = state.hoverIndex;
    state.hoverIndex = -1;
    PaintEntry(window, old);
    RaiseEvent(state, kOnMouseLeaveEntry, listBox.itemData(old), x, y);
  }
}

void DispatchClick(ControlState& state, UINT message, int index, const RECT& rect, int x, int y) {
  ListBox listBox{state.listWindow};
  const ItemHandle handle = listBox.itemData(index);
  ItemInfo info;
  if (!FindItem(state, handle, info)) return;
  const bool group = info.kind == kKindGroup;
  if (message == WM_LBUTTONDBLCLK) {
    RaiseEvent(state, group ? kOnGroupDoubleClick : kOnRowDoubleClick, handle, x, y);
    return;
  }
  if (group) {
    ToggleGroup(state, handle);
    ElementPtr header = state.document.Find(handle);
    if (header) RepaintEntry(state, GetAttributeInt(header.Get(), attr::kListIndex));
    RaiseEvent(state, kOnGroupClick, handle, x, y);
    return;
  }
  if (info.iconCount > 0) {
    // Icons are laid out relative to the row, so the click position is made row-relative too.
    RECT entry = rect;
    listBox.itemRect(index, entry);
    const int rx = x - entry.left, ry = y - entry.top;
    int number = 0;
    if (IconUnderPoint(state, info, entry, rx, ry, &number) > 0) {
      RaiseEvent(state, kOnIconClick, handle, number, 0);
      return;
    }
    RaiseEvent(state, kOnRowClick, handle, rx, ry);
    return;
  }
  RaiseEvent(state, kOnRowClick, handle, x, y);
}

void SelectEntryUnderButton(ControlState& state, HWND window, int i) {
  if (i == state.selectedIndex) return;
  const int old = state.selectedIndex;
  state.selectedIndex = i;
  if (state.enlargeSelected && state.viewMode != 0) {
    ListBox listBox{window};
    if (old != -1 && !IsGroupEntry(state, old)) listBox.setItemHeight(old, ModeRowHeight(state));
    if (!IsGroupEntry(state, i)) listBox.setItemHeight(i, kLargeRowHeight);
    ::InvalidateRect(window, nullptr, FALSE);
  } else {
    if (old != -1) PaintEntry(window, old);
    PaintEntry(window, i);
  }
}

void ClearSelectionBelowEntries(ControlState& state, HWND window) {
  if (state.selectedIndex == -1) return;
  const int old = state.selectedIndex;
  state.selectedIndex = -1;
  if (state.enlargeSelected && state.viewMode != 0 && !IsGroupEntry(state, old)) {
    ListBox{window}.setItemHeight(old, ModeRowHeight(state));
    ::InvalidateRect(window, nullptr, TRUE);
  } else {
    PaintEntry(window, old);
  }
}

}  // namespace

void RaiseEvent(const ControlState& state, EventSlot slot, int32_t handle, int32_t x, int32_t y) {
  EventHandler handler = state.handlers[slot];
  if (handler) handler(handle, x, y);
}

LRESULT ListWindowProcMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  ControlState* state = FindControlByList(window);
  if (!state) return ::DefWindowProcA(window, message, wParam, lParam);
  const WNDPROC oldProc = state->oldListProc;
  auto passOn = [&] { return ::CallWindowProcA(oldProc, window, message, wParam, lParam); };
  ListBox listBox{window};

  switch (message) {
    case kRepaintEntryMessage:
      PaintEntry(window, static_cast<int>(wParam));
      return 1;
    case WM_MOUSEMOVE:
      OnMouseMove(*state, window, lParam);
      return passOn();
    case WM_LBUTTONUP: {
      HitResult hit = HitTest(listBox, lParam);
      if (!hit.overEntry) {
        ClearSelectionBelowEntries(*state, window);
        return passOn();
      }
      // The ListBox does its own selection first.
      LRESULT result = passOn();
      SelectEntryUnderButton(*state, window, hit.index);
      DispatchClick(*state, message, hit.index, hit.rect, LOWORD(lParam), HIWORD(lParam));
      return result;
    }
    case WM_LBUTTONDBLCLK: {
      HitResult hit = HitTest(listBox, lParam);
      if (!hit.overEntry) return passOn();
      LRESULT result = passOn();
      DispatchClick(*state, message, hit.index, hit.rect, LOWORD(lParam), HIWORD(lParam));
      return result;
    }
    case WM_RBUTTONDOWN: {
      HitResult hit = HitTest(listBox, lParam);
      if (!hit.overEntry) return passOn();
      LRESULT result = passOn();
      const ItemHandle handle = listBox.itemData(hit.index);
      RaiseEvent(*state, IsGroup(*state, handle) ? kOnGroupRightClick : kOnRowRightClick, handle, LOWORD(lParam),
                 HIWORD(lParam));
      return result;
    }
    case WM_MOUSELEAVE:
      g_trackedWindow = nullptr;
      if (state->hoverIndex != -1) {
        const int old = state->hoverIndex;
        state->hoverIndex = -1;
        PaintEntry(window, old);
        RaiseEvent(*state, kOnMouseLeaveEntry, listBox.itemData(old), LOWORD(lParam), HIWORD(lParam));
      }
      return passOn();
    case WM_NCDESTROY:
      // The ListBox goes away: release what the control holds, then let the ListBox finish.
      if (g_trackedWindow == window) g_trackedWindow = nullptr;
      TearDownControl(*state);
      return ::CallWindowProcA(oldProc, window, message, wParam, lParam);
    default:
      return passOn();
  }
}

// A message whose handling failed (a group's rows are made when it is first shown) is answered 0: the list
// stays as it was.
LRESULT CALLBACK ListWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return CatchAll([&] { return ListWindowProcMessage(window, message, wParam, lParam); },
                  static_cast<LRESULT>(0));
}

}  // namespace trr
