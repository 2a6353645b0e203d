// The frame and fill colours of entries and the hot-icon highlight. Every omitted argument stores its default,
// so a call resets what it does not name.
#include "listctrl/control_state.h"
#include "listctrl/paint_entry.h"

namespace trr {

namespace {

constexpr COLORREF kHoverFrame = RGB(166, 222, 255);
constexpr COLORREF kHoverFill = RGB(220, 240, 255);
constexpr COLORREF kSelectedFrame = RGB(253, 200, 38);
constexpr COLORREF kSelectedFill = RGB(255, 231, 169);
constexpr COLORREF kAvatarFrame = RGB(215, 227, 233);
constexpr COLORREF kSignatureColour = RGB(96, 96, 96);
constexpr int32_t kHotFill = RGB(252, 232, 190);
constexpr int32_t kHotFrame = RGB(206, 138, 67);

template <typename T>
T Or(const Optional<T>& argument, T fallback) {
  return argument.given ? argument.value : fallback;
}

// The normal state blends into the list: frame and fill are the background itself.
EntryColours MakeEntryColours(COLORREF background, const Optional<int>& square, const Optional<COLORREF>& normalFrame,
                              const Optional<COLORREF>& normalFill, const Optional<COLORREF>& hoverFrame,
                              const Optional<COLORREF>& hoverFill, const Optional<COLORREF>& selectedFrame,
                              const Optional<COLORREF>& selectedFill) {
  EntryColours colours;
  colours.square = square.given && square.value == 1 ? 1 : 0;
  colours.normalFrame = Or(normalFrame, background);
  colours.normalFill = Or(normalFill, background);
  colours.hoverFrame = Or(hoverFrame, kHoverFrame);
  colours.hoverFill = Or(hoverFill, kHoverFill);
  colours.selectedFrame = Or(selectedFrame, kSelectedFrame);
  colours.selectedFill = Or(selectedFill, kSelectedFill);
  return colours;
}

}  // namespace

void ApplyDefaultColours(ControlState& state) {
  state.groupColours = MakeEntryColours(state.backgroundColour, {}, {}, {}, {}, {}, {}, {});
  state.rowColours = MakeEntryColours(state.backgroundColour, {}, {}, {}, {}, {}, {}, {});
  state.avatarFrame = kAvatarFrame;
  state.ninthColour = kSignatureColour;
  state.iconHotFill = kHotFill;
  state.iconHotFrame = kHotFrame;
}

void GroupList::SetGroupColours(Optional<int> square, Optional<COLORREF> normalFrame, Optional<COLORREF> normalFill,
                                Optional<COLORREF> hoverFrame, Optional<COLORREF> hoverFill,
                                Optional<COLORREF> selectedFrame, Optional<COLORREF> selectedFill) {
  ControlState* state = State();
  if (!state) return;
  state->groupColours = MakeEntryColours(state->backgroundColour, square, normalFrame, normalFill, hoverFrame,
                                         hoverFill, selectedFrame, selectedFill);
  Refresh();
}

void GroupList::SetRowColours(Optional<int> square, Optional<COLORREF> normalFrame, Optional<COLORREF> normalFill,
                              Optional<COLORREF> hoverFrame, Optional<COLORREF> hoverFill,
                              Optional<COLORREF> selectedFrame, Optional<COLORREF> selectedFill,
                              Optional<COLORREF> avatarFrame, Optional<COLORREF> ninthColour) {
  ControlState* state = State();
  if (!state) return;
  state->rowColours = MakeEntryColours(state->backgroundColour, square, normalFrame, normalFill, hoverFrame,
                                       hoverFill, selectedFrame, selectedFill);
  state->avatarFrame = Or(avatarFrame, kAvatarFrame);
  // The ninth colour is the signature text colour; its default is the fixed grey signatures always had.
  state->ninthColour = Or(ninthColour, kSignatureColour);
  Refresh();
}

void GroupList::SetIconHighlightColours(Optional<int32_t> hotFill, Optional<int32_t> hotFrame) {
  ControlState* state = State();
  if (!state) return;
  state->iconHotFill = Or(hotFill, kHotFill);
  state->iconHotFrame = Or(hotFrame, kHotFrame);
  Refresh();
}

}  // namespace trr
