#include "ui/picture_resource.h"

#include <ole2.h>
#include <olectl.h>

#include <climits>
#include <cstdint>
#include <cstring>
#include <map>
#include <mutex>
#include <tuple>

#include "common/com_ptr.h"

namespace trr::ui {
namespace {

// The bytes of a custom resource of the module; nullptr when absent.
const void* ResourceBytes(HMODULE module, int id, const char* type, size_t& size) {
  size = 0;
  HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(id), type);
  if (!found) return nullptr;
  HGLOBAL loaded = LoadResource(module, found);
  if (!loaded) return nullptr;
  size = SizeofResource(module, found);
  return LockResource(loaded);
}

uint32_t ReadU32(const uint8_t* p) { return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24); }
uint16_t ReadU16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }

}  // namespace

std::string LoadResourceBytes(HMODULE module, int id, const char* type) {
  size_t size = 0;
  const void* bytes = ResourceBytes(module, id, type, size);
  return bytes ? std::string(static_cast<const char*>(bytes), size) : std::string();
}

Picture DecodeGif(const void* bytes, size_t size) {
  Picture picture;
  if (!bytes || size == 0 || size > LONG_MAX) return picture;  // OleLoadPicture takes a LONG length
  // OleLoadPicture reads from a stream; the stream owns the global block and frees it on release.
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, size);
  if (!memory) return picture;
  void* target = GlobalLock(memory);
  if (!target) {
    GlobalFree(memory);
    return picture;
  }
  std::memcpy(target, bytes, size);
  GlobalUnlock(memory);
  ComPtr<IStream> stream;
  if (FAILED(CreateStreamOnHGlobal(memory, TRUE, stream.Receive()))) {
    GlobalFree(memory);
    return picture;
  }
  ComPtr<IPicture> ole;
  if (FAILED(OleLoadPicture(stream.Get(), static_cast<LONG>(size), FALSE, IID_IPicture, ole.ReceiveVoid())) ||
      !ole)
    return picture;
  SHORT type = PICTYPE_UNINITIALIZED;
  OLE_HANDLE handle = 0;
  if (FAILED(ole->get_Type(&type)) || type != PICTYPE_BITMAP || FAILED(ole->get_Handle(&handle)) || !handle)
    return picture;
  // The picture object owns its bitmap; keep a copy of our own so the object can go now.
  // OLE_HANDLE is 32 bits wide; GDI handles are sign-extended to the pointer's width.
  HBITMAP source = reinterpret_cast<HBITMAP>(static_cast<intptr_t>(static_cast<int32_t>(handle)));
  BITMAP info = {};
  if (!GetObjectA(source, sizeof(info), &info)) return picture;
  picture.bitmap.reset(static_cast<HBITMAP>(CopyImage(source, IMAGE_BITMAP, 0, 0, 0)));
  if (!picture.bitmap) return picture;
  picture.width = info.bmWidth;
  picture.height = info.bmHeight;
  return picture;
}

Picture LoadGifResource(HMODULE module, int id) {
  size_t size = 0;
  const void* bytes = ResourceBytes(module, id, "GIF", size);
  return DecodeGif(bytes, size);
}

Picture DecodeAlphaBmp(const void* bytes, size_t size) {
  Picture picture;
  const auto* p = static_cast<const uint8_t*>(bytes);
  // File header (14) + BITMAPINFOHEADER (40) at least.
  if (!p || size < 54 || p[0] != 'B' || p[1] != 'M') return picture;
  uint32_t dataOffset = ReadU32(p + 10);
  uint32_t headerSize = ReadU32(p + 14);
  int32_t width = static_cast<int32_t>(ReadU32(p + 18));
  int32_t height = static_cast<int32_t>(ReadU32(p + 22));
  uint16_t planes = ReadU16(p + 26);
  uint16_t bits = ReadU16(p + 28);
  uint32_t compression = ReadU32(p + 30);
  if (headerSize < 40 || planes != 1 || bits != 32 || (compression != BI_RGB && compression != BI_BITFIELDS))
    return picture;
  bool bottomUp = height > 0;
  if (!bottomUp) height = -height;
  if (width <= 0 || height <= 0 || width > 4096 || height > 4096) return picture;
  uint64_t rowBytes = static_cast<uint64_t>(width) * 4;
  if (dataOffset < 14 + headerSize || dataOffset > size || size - dataOffset < rowBytes * height) return picture;

  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  void* pixels = nullptr;
  picture.bitmap.reset(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &pixels, nullptr, 0));
  if (!picture.bitmap || !pixels) return Picture();
  auto* out = static_cast<uint8_t*>(pixels);
  for (int32_t y = 0; y < height; ++y) {
    const uint8_t* row = p + dataOffset + rowBytes * (bottomUp ? height - 1 - y : y);
    for (int32_t x = 0; x < width; ++x) {
      const uint8_t* s = row + x * 4;  // blue, green, red, alpha
      uint8_t* d = out + (static_cast<size_t>(y) * width + x) * 4;
      unsigned a = s[3];
      // AlphaBlend wants colours premultiplied by alpha.
      d[0] = static_cast<uint8_t>((s[0] * a + 127) / 255);
      d[1] = static_cast<uint8_t>((s[1] * a + 127) / 255);
      d[2] = static_cast<uint8_t>((s[2] * a + 127) / 255);
      d[3] = static_cast<uint8_t>(a);
    }
  }
  picture.width = width;
  picture.height = height;
  picture.hasAlpha = true;
  return picture;
}

Picture LoadAlphaStripResource(HMODULE module, int id) {
  size_t size = 0;
  const void* bytes = ResourceBytes(module, id, "BMPA", size);
  return DecodeAlphaBmp(bytes, size);
}

const Picture& ResourcePicture::get() const {
  static const Picture kNone;
  if (picture_) return *picture_;
  if (!id_) return kNone;
  // Decoded pictures by module, resource and format; a weak entry lets a picture go with its last holder.
  using Key = std::tuple<HMODULE, int, PictureFormat>;
  static std::mutex lock;
  static std::map<Key, std::weak_ptr<const Picture>> decoded;
  std::lock_guard<std::mutex> guard(lock);
  std::weak_ptr<const Picture>& slot = decoded[Key{module_, id_, format_}];
  picture_ = slot.lock();
  if (!picture_) {
    picture_ = std::make_shared<const Picture>(format_ == PictureFormat::Gif ? LoadGifResource(module_, id_)
                                                                             : LoadAlphaStripResource(module_, id_));
    slot = picture_;
  }
  return *picture_;
}

// GdiAlphaBlend and GdiTransparentBlt are the gdi32 functions behind msimg32's AlphaBlend and TransparentBlt;
// calling them directly spares every program loading msimg32 before its first line runs.
void DrawPicture(HDC dc, const Picture& picture, int x, int y, COLORREF keyColour, int maxWidth, int maxHeight) {
  if (!picture) return;
  int w = picture.width < maxWidth ? picture.width : maxWidth;
  int h = picture.height < maxHeight ? picture.height : maxHeight;
  if (w <= 0 || h <= 0) return;
  ScopedMemoryDc source(CreateCompatibleDC(dc));
  if (!source) return;
  ScopedSelect select(source.get(), picture.bitmap.get());
  if (picture.hasAlpha) {
    BLENDFUNCTION blend = {AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    GdiAlphaBlend(dc, x, y, w, h, source.get(), 0, 0, w, h, blend);
  } else if (keyColour != CLR_INVALID) {
    GdiTransparentBlt(dc, x, y, w, h, source.get(), 0, 0, w, h, keyColour);
  } else {
    BitBlt(dc, x, y, w, h, source.get(), 0, 0, SRCCOPY);
  }
}

void BlendPicturePart(HDC dc, const Picture& picture, const RECT& target, const RECT& source) {
  int tw = target.right - target.left, th = target.bottom - target.top;
  int sw = source.right - source.left, sh = source.bottom - source.top;
  if (!picture || tw <= 0 || th <= 0 || sw <= 0 || sh <= 0) return;
  ScopedMemoryDc memory(CreateCompatibleDC(dc));
  if (!memory) return;
  ScopedSelect select(memory.get(), picture.bitmap.get());
  BLENDFUNCTION blend = {AC_SRC_OVER, 0, 255, picture.hasAlpha ? static_cast<BYTE>(AC_SRC_ALPHA) : BYTE(0)};
  GdiAlphaBlend(dc, target.left, target.top, tw, th, memory.get(), source.left, source.top, sw, sh, blend);
}

}  // namespace trr::ui
