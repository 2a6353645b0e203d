// Pictures carried as resources in the running program: GIFs decoded through OLE, and 32-bit image strips with
// an alpha channel for drawing with AlphaBlend.
#pragma once
#include <windows.h>

#include <string>

#include "common/scoped_win.h"

namespace trr::ui {

struct Picture {
  ScopedBitmap bitmap;
  int width = 0;
  int height = 0;
  bool hasAlpha = false;  // premultiplied alpha, drawn with AlphaBlend
  explicit operator bool() const { return static_cast<bool>(bitmap); }
};

// The raw bytes of resource `id` of type `type` in `module`; empty when it is missing.
std::string LoadResourceBytes(HMODULE module, int id, const char* type);

// Decodes the "GIF" resource `id` of `module` with OleLoadPicture into a bitmap of our own; empty on failure.
Picture LoadGifResource(HMODULE module, int id);

// Decodes GIF bytes the same way; empty on failure.
Picture DecodeGif(const void* bytes, size_t size);

// Reads the "BMPA" resource `id` (a 32-bit BMP file with straight alpha) into a premultiplied DIB section;
// empty when the resource is missing or its headers do not describe the bytes that follow.
Picture LoadAlphaStripResource(HMODULE module, int id);

// Parses 32-bit BMP file bytes as above; empty on any inconsistency.
Picture DecodeAlphaBmp(const void* bytes, size_t size);

// Draws the picture at x, y in `dc`: with AlphaBlend when it has alpha, keyed by `keyColour` with TransparentBlt
// when that is not CLR_INVALID, else copied. Draws at most `maxWidth` x `maxHeight` of it.
void DrawPicture(HDC dc, const Picture& picture, int x, int y, COLORREF keyColour, int maxWidth, int maxHeight);

// Draws the `source` part of an alpha picture stretched over `target`.
void BlendPicturePart(HDC dc, const Picture& picture, const RECT& target, const RECT& source);

}  // namespace trr::ui
