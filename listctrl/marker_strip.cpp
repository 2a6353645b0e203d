// The expand markers of group headers: an 11 x 22 picture, closed-group marker (a filled triangle pointing
// right) in the upper cell, open-group marker (pointing down) in the lower one, magenta everywhere else.
#include <cstdint>
#include <cstring>

#include "listctrl/pictures.h"

namespace trr {

namespace {

constexpr int kMarkerWidth = 11;
constexpr int kMarkerHeight = 22;
constexpr int kRowBytes = 36;  // 11 * 3 bytes, padded to a multiple of 4
constexpr int kHeaderBytes = 54;
constexpr int kFileBytes = kHeaderBytes + kRowBytes * kMarkerHeight;  // 846

// Top row first. '.' magenta (transparent), 'o' the outline shade, 'x' the body, '+' the highlight.
constexpr const char* kMarkerPattern[kMarkerHeight] = {
    "...........",  // closed group: pointing right
    "...o.......",
    "...oo......",
    "...o+o.....",
    "...o+xo....",
    "...o+xxo...",
    "...o+xo....",
    "...o+o.....",
    "...oo......",
    "...o.......",
    "...........",
    "...........",  // open group: pointing down
    "...........",
    "...........",
    ".ooooooooo.",
    "..o+xxxxo..",
    "...o+xxo...",
    "....oxo....",
    ".....o.....",
    "...........",
    "...........",
    "...........",
};

COLORREF PatternColour(char c) {
  switch (c) {
    case 'o': return RGB(44, 122, 180);
    case 'x': return RGB(72, 163, 216);
    case '+': return RGB(112, 188, 232);
    default: return RGB(255, 0, 255);
  }
}

void PutLe(uint8_t* at, uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) at[i] = static_cast<uint8_t>(value >> (8 * i));
}

HBITMAP g_markerStrip = nullptr;

}  // namespace

std::string MarkerBitmapBytes() {
  std::string file(kFileBytes, '\0');
  uint8_t* bytes = reinterpret_cast<uint8_t*>(&file[0]);
  bytes[0] = 'B';
  bytes[1] = 'M';
  PutLe(bytes + 2, kFileBytes, 4);
  PutLe(bytes + 10, kHeaderBytes, 4);
  PutLe(bytes + 14, 40, 4);  // BITMAPINFOHEADER
  PutLe(bytes + 18, kMarkerWidth, 4);
  PutLe(bytes + 22, kMarkerHeight, 4);  // positive: bottom row first
  PutLe(bytes + 26, 1, 2);
  PutLe(bytes + 28, 24, 2);
  PutLe(bytes + 34, kRowBytes * kMarkerHeight, 4);
  PutLe(bytes + 38, 2835, 4);  // 72 dots per inch
  PutLe(bytes + 42, 2835, 4);
  for (int y = 0; y < kMarkerHeight; ++y) {
    uint8_t* row = bytes + kHeaderBytes + (kMarkerHeight - 1 - y) * kRowBytes;
    for (int x = 0; x < kMarkerWidth; ++x) {
      COLORREF c = PatternColour(kMarkerPattern[y][x]);
      row[3 * x] = GetBValue(c);
      row[3 * x + 1] = GetGValue(c);
      row[3 * x + 2] = GetRValue(c);
    }
  }
  return file;
}

HBITMAP MarkerStrip() {
  if (!g_markerStrip) {
    const std::string file = MarkerBitmapBytes();
    const auto* info = reinterpret_cast<const BITMAPINFO*>(file.data() + sizeof(BITMAPFILEHEADER));
    HDC screen = GetDC(nullptr);
    g_markerStrip = CreateDIBitmap(screen, &info->bmiHeader, CBM_INIT, file.data() + kHeaderBytes, info,
                                   DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
  }
  return g_markerStrip;
}

void ReleaseMarkerStrip() {
  if (g_markerStrip) DeleteObject(g_markerStrip);
  g_markerStrip = nullptr;
}

}  // namespace trr
