// PaintEntry: one entry composed in a memory bitmap of its own size and copied to the ListBox in one BitBlt,
// so hover and selection changes never flicker.
#include "listctrl/paint_entry.h"

#include "common/scoped_win.h"
#include "listctrl/control_state.h"
#include "listctrl/item_info.h"
#include "listctrl/pictures.h"

namespace trr {

namespace {

constexpr int kMarkerSide = 11;
constexpr int kIconSide = 16;
constexpr int kAvatarLeft = 4;

struct FrameColours {
  COLORREF frame;
  COLORREF fill;
};

// Selection wins over hover.
FrameColours PickColours(const EntryColours& set, const ControlState& state, int index) {
  if (index == state.selectedIndex) return {set.selectedFrame, set.selectedFill};
  if (index == state.hoverIndex) return {set.hoverFrame, set.hoverFill};
  return {set.normalFrame, set.normalFill};
}

void FillSolid(HDC dc, const RECT& rect, COLORREF colour) {
  ScopedBrush brush(CreateSolidBrush(colour));
  FillRect(dc, &rect, brush.get());
}

void FrameSolid(HDC dc, const RECT& rect, COLORREF colour) {
  ScopedBrush brush(CreateSolidBrush(colour));
  FrameRect(dc, &rect, brush.get());
}

void DrawEntryFrame(HDC dc, int w, int h, const EntryColours& set, FrameColours colours) {
  const RECT all = {0, 0, w, h};
  if (set.square == 1) {
    FillSolid(dc, all, colours.fill);
    FrameSolid(dc, all, colours.frame);
    return;
  }
  ScopedPen pen(CreatePen(PS_SOLID, 1, colours.frame));
  ScopedBrush brush(CreateSolidBrush(colours.fill));
  ScopedSelect selectPen(dc, pen.get());
  ScopedSelect selectBrush(dc, brush.get());
  RoundRect(dc, 0, 0, w, h, 5, 5);
}

void DrawLabel(HDC dc, const std::string& text, RECT rect, UINT format) {
  if (text.empty()) return;
  DrawTextA(dc, text.data(), static_cast<int>(text.size()), &rect, format);
}

void DrawGroup(HDC dc, const ItemInfo& info, int w, int h) {
  HBITMAP markers = MarkerStrip();
  if (markers) {
    ScopedMemoryDc source(CreateCompatibleDC(dc));
    ScopedSelect select(source.get(), markers);
    const int cellTop = info.expanded ? kMarkerSide : 0;
    GdiTransparentBlt(dc, 5, (h - kMarkerSide) / 2, kMarkerSide, kMarkerSide, source.get(), 0, cellTop, kMarkerSide,
                   kMarkerSide, RGB(255, 0, 255));
  }
  SetTextColor(dc, static_cast<COLORREF>(info.nameColour));
  DrawLabel(dc, info.name, RECT{25, 6, w - 4, h - 2}, 0);
}

// Stretches the row's colour (online) or grey (offline) avatar into a side x side square at (x, y).
void DrawAvatar(HDC dc, const ItemInfo& info, int x, int y, int side) {
  HBITMAP picture = AvatarHandleBitmap(info.online ? info.avatar : info.greyAvatar);
  if (!picture || GetObjectType(picture) != OBJ_BITMAP) return;
  int sourceW = info.avatarWidth;
  int sourceH = info.avatarHeight;
  if (sourceW <= 0 || sourceH <= 0) {
    BITMAP size = {};
    GetObjectA(picture, sizeof(size), &size);
    sourceW = size.bmWidth;
    sourceH = size.bmHeight;
  }
  ScopedMemoryDc source(CreateCompatibleDC(dc));
  ScopedSelect select(source.get(), picture);
  SetStretchBltMode(dc, HALFTONE);
  SetBrushOrgEx(dc, 0, 0, nullptr);
  StretchBlt(dc, x, y, side, side, source.get(), 0, 0, sourceW, sourceH, SRCCOPY);
}

void DrawServiceIcons(HDC dc, const ControlState& state, const ItemInfo& info, int w, int h) {
  if (!state.iconStrip) return;
  const IconLayout layout = LayoutIcons(state.iconCount, info.iconCount, info.icons, RECT{0, 0, w, h});
  ScopedMemoryDc strip(CreateCompatibleDC(dc));
  ScopedSelect select(strip.get(), state.iconStrip);
  for (size_t i = 0; i < layout.rects.size(); ++i) {
    const RECT& cell = layout.rects[i];
    if (cell.right >= w) continue;
    const bool hot = static_cast<int>(i) + 1 == state.hotIcon;
    const RECT grown = {cell.left - 1, cell.top - 1, cell.right + 1, cell.bottom + 1};
    if (hot && state.iconHotFill != -1) FillSolid(dc, grown, static_cast<COLORREF>(state.iconHotFill));
    const int number = layout.numbers[i];
    const COLORREF key = number < static_cast<int>(state.iconKeyColours.size())
                             ? state.iconKeyColours[number]
                             : RGB(255, 0, 255);
    GdiTransparentBlt(dc, cell.left, cell.top, kIconSide, kIconSide, strip.get(), (number - 1) * kIconSide, 0,
                   kIconSide, kIconSide, key);
    if (hot && state.iconHotFrame != -1) FrameSolid(dc, grown, static_cast<COLORREF>(state.iconHotFrame));
  }
}

void DrawRow(HDC dc, const ControlState& state, const ItemInfo& info, int index, int w, int h) {
  const int off = info.avatarOffset;
  const int side = h == kLargeRowHeight ? 44 : 24;
  const int top = (h - side) / 2;
  if (h != kSmallRowHeight) {
    const RECT box = {kAvatarLeft + off, top + off, kAvatarLeft + side + off, top + side + off};
    FillSolid(dc, box, RGB(255, 255, 255));
    FrameSolid(dc, box, state.avatarFrame);
  }
  const COLORREF nameColour = info.online ? static_cast<COLORREF>(info.nameColour) : RGB(0, 0, 0);
  if (h == kLargeRowHeight) {
    DrawAvatar(dc, info, kAvatarLeft + off + 2, top + off + 2, 40);
    SetTextColor(dc, nameColour);
    DrawLabel(dc, info.name, RECT{50, top, w - 4, h - 2}, 0);
    if (!info.signature.empty()) {
      SetTextColor(dc, state.ninthColour);
      DrawLabel(dc, info.signature, RECT{50, top + 16, w - 4, top + 28}, 0);
    }
    if (index == state.hoverIndex && info.iconCount != 0) DrawServiceIcons(dc, state, info, w, h);
  } else if (h == kMediumRowHeight) {
    DrawAvatar(dc, info, kAvatarLeft + off + 2, top + off + 2, side - 4);
    SetTextColor(dc, nameColour);
    DrawLabel(dc, info.name, RECT{side + 6, 0, w - 4, h}, DT_VCENTER | DT_SINGLELINE);
  } else if (h == kSmallRowHeight) {
    SetTextColor(dc, RGB(0, 0, 0));
    DrawLabel(dc, info.name, RECT{5, 0, w - 4, h}, DT_VCENTER | DT_SINGLELINE);
  }
}

}  // namespace

HFONT CreateListFont(bool bold) {
  return CreateFontA(12, 0, 0, 0, bold ? 600 : 400, 0, 0, 0, DEFAULT_CHARSET, OUT_STRING_PRECIS,
                     CLIP_CHARACTER_PRECIS, DEFAULT_QUALITY, FF_MODERN, "宋体");
}

void PaintEntry(HWND listWindow, int index, const RECT* rect, HDC dc, Optional<int> hotIcon) {
  ControlState* state = FindControlByList(listWindow);
  if (!state) return;
  if (hotIcon.given) state->hotIcon = hotIcon.value;

  const ItemHandle handle = static_cast<ItemHandle>(SendMessageA(listWindow, LB_GETITEMDATA, index, 0));
  ItemInfo info;
  if (!FindItem(*state, handle, info)) return;

  RECT entry = {};
  if (rect) {
    entry = *rect;
  } else if (SendMessageA(listWindow, LB_GETITEMRECT, index, reinterpret_cast<LPARAM>(&entry)) == LB_ERR) {
    return;
  }
  const int w = entry.right - entry.left;
  const int h = entry.bottom - entry.top;
  if (w <= 0 || h <= 0) return;

  HDC ownDc = nullptr;
  if (!dc) dc = ownDc = GetDC(listWindow);
  if (dc) {
    ScopedMemoryDc memory(CreateCompatibleDC(dc));
    ScopedBitmap canvas(CreateCompatibleBitmap(dc, w, h));
    ScopedFont font(CreateListFont());
    if (memory && canvas) {
      ScopedSelect selectCanvas(memory.get(), canvas.get());
      ScopedSelect selectFont(memory.get(), font.get());
      HDC m = memory.get();
      SetBkMode(m, TRANSPARENT);
      FillSolid(m, RECT{0, 0, w, h}, state->backgroundColour);
      const bool group = info.kind == kKindGroup;
      const EntryColours& set = group ? state->groupColours : state->rowColours;
      DrawEntryFrame(m, w, h, set, PickColours(set, *state, index));
      if (group) {
        DrawGroup(m, info, w, h);
      } else {
        DrawRow(m, *state, info, index, w, h);
      }
      BitBlt(dc, entry.left, entry.top, w, h, m, 0, 0, SRCCOPY);
    }
  }
  if (ownDc) ReleaseDC(listWindow, ownDc);
}

}  // namespace trr
