// TEMPORARY stand-ins for the painting and animation pieces that are built on their own branch. They do just
// enough for the item store, window handling and operations to run for real: entries are drawn plainly, icons
// are laid out as the control lays them out. Delete each piece here as soon as the real one is on main.
#include "listctrl/avatar_flash.h"
#include "listctrl/item_info.h"
#include "listctrl/paint_entry.h"
#include "listctrl/pictures.h"

namespace trr {

HFONT CreateListFont(bool bold) {
  return ::CreateFontA(12, 0, 0, 0, bold ? 600 : 400, 0, 0, 0, DEFAULT_CHARSET, OUT_STRING_PRECIS,
                       CLIP_CHARACTER_PRECIS, DEFAULT_QUALITY, FF_MODERN, "宋体");
}

void PaintEntry(HWND listWindow, int index, const RECT* rect, HDC dc, Optional<int> hotIcon) {
  ControlState* state = FindControlByList(listWindow);
  if (!state) return;
  if (hotIcon.given) state->hotIcon = hotIcon.value;
  ItemInfo info;
  if (!FindItem(*state, static_cast<ItemHandle>(::SendMessageA(listWindow, LB_GETITEMDATA, index, 0)), info))
    return;
  RECT box{};
  if (rect)
    box = *rect;
  else if (::SendMessageA(listWindow, LB_GETITEMRECT, index, reinterpret_cast<LPARAM>(&box)) == LB_ERR)
    return;
  HDC target = dc ? dc : ::GetDC(listWindow);
  HBRUSH brush = ::CreateSolidBrush(index == state->selectedIndex ? 0xA9E7FF
                                    : index == state->hoverIndex  ? 0xFFF0DC
                                                                  : state->backgroundColour);
  ::FillRect(target, &box, brush);
  ::DeleteObject(brush);
  ::SetBkMode(target, TRANSPARENT);
  RECT text = box;
  text.left += 25;
  ::DrawTextA(target, info.name.data(), static_cast<int>(info.name.size()), &text, DT_VCENTER | DT_SINGLELINE);
  if (!dc) ::ReleaseDC(listWindow, target);
}

IconLayout LayoutIcons(int iconCount, int count, const std::vector<int32_t>& numbers, const RECT& entry) {
  IconLayout layout;
  if (count <= 0 || static_cast<int>(numbers.size()) < count) return layout;
  RECT current{50, (entry.bottom - entry.top) - 19, 66, 0};
  current.bottom = current.top + 16;
  for (int k = 0; k < count; ++k) {
    if (numbers[k] <= 0 || numbers[k] > iconCount) continue;
    layout.rects.push_back(current);
    layout.numbers.push_back(numbers[k]);
    current.left = current.right + 2;
    current.right = current.left + 16;
  }
  return layout;
}

int HitTestIcons(const IconLayout& layout, int x, int y) {
  for (size_t k = 0; k < layout.rects.size(); ++k) {
    const RECT& r = layout.rects[k];
    if (r.left < x && x < r.right && r.top < y && y < r.bottom) return static_cast<int>(k) + 1;
  }
  return 0;
}

void ApplyDefaultColours(ControlState& state) {
  const COLORREF background = state.backgroundColour;
  for (EntryColours* colours : {&state.groupColours, &state.rowColours})
    *colours = EntryColours{0, background, background, 0xFFDEA6, 0xFFF0DC, 0x26C8FD, 0xA9E7FF};
  state.avatarFrame = 0xE9E3D7;
  state.ninthColour = 0x606060;
  state.iconHotFill = 0xBEE8FC;
  state.iconHotFrame = 0x438ACE;
}

void StartFlash(ControlState&, ItemHandle) {}
void StopFlash(ControlState&, ItemHandle) {}
void ForgetFlash(HWND, ItemHandle) {}
void ForgetAllFlashes() {}
int FlashListSize() { return 0; }

// Service icons: the strip grows by one 16x16 cell per icon; only the count and key colours matter here.
int GroupList::AddServiceIcon(const std::string& pictureBytes, Optional<COLORREF> transparentColour) {
  ControlState* state = State();
  if (!state) return 0;
  HANDLE picture = PictureFromBytes(pictureBytes);
  if (!picture) return 0;
  ::DeleteObject(picture);
  ++state->iconCount;
  state->iconKeyColours.resize(state->iconCount + 1);
  state->iconKeyColours[state->iconCount] = transparentColour.given ? transparentColour.value : 0xFF00FF;
  return state->iconCount;
}
void GroupList::StartAvatarFlash(ItemHandle) {}
void GroupList::StopAvatarFlash(ItemHandle) {}
void GroupList::SetGroupColours(Optional<int>, Optional<COLORREF>, Optional<COLORREF>, Optional<COLORREF>,
                                Optional<COLORREF>, Optional<COLORREF>, Optional<COLORREF>) {}
void GroupList::SetRowColours(Optional<int>, Optional<COLORREF>, Optional<COLORREF>, Optional<COLORREF>,
                              Optional<COLORREF>, Optional<COLORREF>, Optional<COLORREF>, Optional<COLORREF>,
                              Optional<COLORREF>) {}
void GroupList::SetIconHighlightColours(Optional<int32_t>, Optional<int32_t>) {}

}  // namespace trr
