// The per-control state record and the process-wide registry that holds it for the life of the process.
#pragma once
#include <windows.h>

#include <vector>

#include "listctrl/group_list.h"
#include "listctrl/item_document.h"

namespace trr {

// Frame and fill colours of one kind of entry (groups or rows) in its three states.
struct EntryColours {
  int square = 0;  // 1: square one-pixel frame; 0: rounded 5x5 frame
  COLORREF normalFrame = 0, normalFill = 0;
  COLORREF hoverFrame = 0, hoverFill = 0;
  COLORREF selectedFrame = 0, selectedFill = 0;
};

// Event slots in the order the record stores them (SetEventHandlers takes them in another order).
enum EventSlot {
  kOnRowClick,
  kOnRowDoubleClick,
  kOnRowRightClick,
  kOnGroupClick,
  kOnGroupDoubleClick,
  kOnGroupRightClick,
  kOnIconClick,
  kOnMouseEnterEntry,
  kOnMouseLeaveEntry,
  kEventSlotCount
};

struct ControlState {
  HWND listWindow = nullptr;
  HWND parentWindow = nullptr;
  ItemDocument document;
  WNDPROC oldListProc = nullptr;
  WNDPROC oldParentProc = nullptr;
  UINT_PTR flashTimer = 0;
  int hoverIndex = -1;
  int selectedIndex = -1;
  int hotIcon = 0;  // 1-based position of the service icon under the mouse in the hovered row, 0 none
  int rowHeight = 54;
  int viewMode = 0;  // 0 large, 1 medium, 2 small
  int iconCount = 0;
  HBITMAP iconStrip = nullptr;              // iconCount x 16 by 16, owned by the control
  std::vector<COLORREF> iconKeyColours;     // index k (1-based) is icon k's transparent colour; [0] unused
  int enlargeSelected = 0;
  EntryColours groupColours;
  EntryColours rowColours;
  COLORREF avatarFrame = 0;
  COLORREF ninthColour = 0;
  int32_t iconHotFill = -1;   // -1: not drawn
  int32_t iconHotFrame = -1;  // -1: not drawn
  COLORREF backgroundColour = 0xFFFFFF;
  HBRUSH backgroundBrush = nullptr;  // made once at Create, answered to WM_CTLCOLORLISTBOX, freed with the control
  HFONT listFont = nullptr;          // the font sent with WM_SETFONT at Create, freed with the control
  EventHandler handlers[kEventSlotCount] = {};
};

// Registry lookups by linear search in creation order; nullptr when no control matches.
ControlState* FindControlByList(HWND listWindow);
ControlState* FindControlByParent(HWND parentWindow);
// Appends a record; the registry owns it until program end.
ControlState& RegisterControl();
// Every registered control, in creation order (for the flash timer and program end).
std::vector<ControlState*> AllControls();

// Row heights by view mode.
constexpr int kGroupEntryHeight = 24;
constexpr int kLargeRowHeight = 54;
constexpr int kMediumRowHeight = 30;
constexpr int kSmallRowHeight = 20;

// The control-private message that repaints one entry: wParam = list index; returns 1.
constexpr UINT kRepaintEntryMessage = WM_USER + 1;

}  // namespace trr
