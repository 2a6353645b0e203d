// Service icons live side by side in one strip bitmap per control: icon k occupies x 16(k-1) .. 16k-1. Adding an
// icon makes a strip one cell wider, copies the old cells over and stretches the new picture into the last.
#include "common/scoped_win.h"
#include "listctrl/control_state.h"
#include "listctrl/pictures.h"

namespace trr {

namespace {
constexpr int kIconSide = 16;
}

int GroupList::AddServiceIcon(const std::string& pictureBytes, Optional<COLORREF> transparentColour) {
  ControlState* state = State();
  if (!state) return 0;
  const COLORREF key = transparentColour.given ? transparentColour.value : RGB(255, 0, 255);
  int w = 0;
  int h = 0;
  // Icon data is drawn over the key colour so that its transparent parts stay transparent in the strip.
  ScopedBitmap picture(BitmapFromBytes(pictureBytes, key, &w, &h));
  if (!picture || w <= 0 || h <= 0) return 0;

  const int count = state->iconCount + 1;
  ScopedWindowDc screen(state->listWindow);
  ScopedMemoryDc target(CreateCompatibleDC(screen.get()));
  ScopedMemoryDc source(CreateCompatibleDC(screen.get()));
  ScopedBitmap strip(CreateCompatibleBitmap(screen.get(), kIconSide * count, kIconSide));
  // Nothing changes when the new strip cannot be made: the old icons and numbers stay valid.
  if (!target || !source || !strip) return 0;
  {
    ScopedSelect selectStrip(target.get(), strip.get());
    if (state->iconStrip) {
      ScopedSelect selectOld(source.get(), state->iconStrip);
      BitBlt(target.get(), 0, 0, kIconSide * (count - 1), kIconSide, source.get(), 0, 0, SRCCOPY);
    }
    ScopedSelect selectPicture(source.get(), picture.get());
    SetStretchBltMode(target.get(), HALFTONE);
    SetBrushOrgEx(target.get(), 0, 0, nullptr);
    StretchBlt(target.get(), kIconSide * (count - 1), 0, kIconSide, kIconSide, source.get(), 0, 0, w, h, SRCCOPY);
  }
  if (state->iconStrip) DeleteObject(state->iconStrip);
  state->iconStrip = strip.release();
  state->iconCount = count;
  state->iconKeyColours.resize(count + 1, RGB(255, 0, 255));
  state->iconKeyColours[count] = key;
  return count;
}

}  // namespace trr
