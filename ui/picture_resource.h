// Pictures carried as resources in the running program: GIFs decoded through OLE, and 32-bit image strips with
// an alpha channel for drawing with AlphaBlend.
#pragma once
#include <windows.h>

#include <memory>
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

// How a picture resource is stored: "GIF" (decoded through OLE) or "BMPA" (a 32-bit strip with alpha).
enum class PictureFormat { Gif, AlphaStrip };

// A picture resource named by a layout, decoded when it is first drawn or measured and then shared: every
// control that names the same resource of the same module draws the one bitmap, which lives as long as one of
// them holds it. A window thus decodes only what it shows (a button's hot picture on the first hover) and each
// picture once. Window thread only.
class ResourcePicture {
 public:
  ResourcePicture() = default;
  ResourcePicture(HMODULE module, int id, PictureFormat format) : module_(module), id_(id), format_(format) {}
  // The decoded picture; an empty Picture when the resource is missing, does not decode, or none is named.
  const Picture& get() const;
  explicit operator bool() const { return static_cast<bool>(get()); }
  // True once the picture has been decoded (or found undecodable) for this holder.
  bool resolved() const { return static_cast<bool>(picture_); }

 private:
  HMODULE module_ = nullptr;
  int id_ = 0;
  PictureFormat format_ = PictureFormat::Gif;
  mutable std::shared_ptr<const Picture> picture_;
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
