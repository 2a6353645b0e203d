#include "listctrl/pictures.h"

#include <objbase.h>
#include <ocidl.h>
#include <olectl.h>

#include <climits>
#include <cstring>
#include <vector>

#include "common/com_ptr.h"
#include "common/scoped_win.h"

namespace trr {

namespace {

// Global memory from GlobalAlloc, freed with GlobalFree.
struct GlobalMemoryTraits {
  static HGLOBAL Invalid() { return nullptr; }
  static bool IsValid(HGLOBAL h) { return h != nullptr; }
  static void Close(HGLOBAL h) { ::GlobalFree(h); }
};
using ScopedGlobal = UniqueHandle<HGLOBAL, GlobalMemoryTraits>;

// HIMETRIC (0.01 mm) to display pixels.
void HimetricToPixels(IPicture* picture, int* width, int* height) {
  OLE_XSIZE_HIMETRIC w = 0;
  OLE_YSIZE_HIMETRIC h = 0;
  picture->get_Width(&w);
  picture->get_Height(&h);
  ScopedMemoryDc display(CreateDCA("DISPLAY", nullptr, nullptr, nullptr));
  int dpiX = display ? GetDeviceCaps(display.get(), LOGPIXELSX) : 96;
  int dpiY = display ? GetDeviceCaps(display.get(), LOGPIXELSY) : 96;
  if (width) *width = MulDiv(w, dpiX, 2540);
  if (height) *height = MulDiv(h, dpiY, 2540);
}

bool IsIcon(HANDLE picture) {
  ICONINFO info = {};
  if (GetObjectType(picture) == OBJ_BITMAP || !GetIconInfo(static_cast<HICON>(picture), &info)) return false;
  if (info.hbmMask) DeleteObject(info.hbmMask);
  if (info.hbmColor) DeleteObject(info.hbmColor);
  return true;
}

}  // namespace

HANDLE PictureFromBytes(const std::string& bytes, int* width, int* height) {
  if (width) *width = 0;
  if (height) *height = 0;
  // OleLoadPicture takes a LONG length: larger data is no picture here.
  if (bytes.empty() || bytes.size() > LONG_MAX) return nullptr;
  ScopedGlobal memory(GlobalAlloc(GMEM_FIXED | GMEM_ZEROINIT, bytes.size()));
  if (!memory) return nullptr;
  void* target = GlobalLock(memory.get());
  if (!target) return nullptr;
  std::memcpy(target, bytes.data(), bytes.size());
  GlobalUnlock(memory.get());

  HANDLE result = nullptr;
  {
    // The stream and the picture are released before the memory block they read from. The picture is loaded
    // with run mode off: the platform's loader then lets the picture own its handle and delete it on release
    // (with run mode on, the handle is orphaned and leaks once we have made our copy).
    ComPtr<IStream> stream;
    if (FAILED(CreateStreamOnHGlobal(memory.get(), FALSE, stream.Receive()))) return nullptr;
    ComPtr<IPicture> picture;
    if (FAILED(OleLoadPicture(stream.Get(), static_cast<LONG>(bytes.size()), FALSE, IID_IPicture,
                              picture.ReceiveVoid())) ||
        !picture) {
      return nullptr;
    }
    OLE_HANDLE handle = 0;
    SHORT type = PICTYPE_NONE;
    picture->get_Handle(&handle);
    picture->get_Type(&type);
    if (handle == 0) return nullptr;
    // OLE_HANDLE is 32 bits wide; GDI and icon handles are sign-extended to the pointer's width.
    HANDLE own = reinterpret_cast<HANDLE>(static_cast<intptr_t>(static_cast<int32_t>(handle)));
    // Always a real copy: the picture deletes its own handle when it is released, so a returned original
    // (LR_COPYRETURNORG) would be dead by the time the caller uses it.
    if (type == PICTYPE_BITMAP) {
      result = CopyImage(own, IMAGE_BITMAP, 0, 0, 0);
    } else if (type == PICTYPE_ICON) {
      result = CopyIcon(static_cast<HICON>(own));
    }
    if (result && (width || height)) HimetricToPixels(picture.Get(), width, height);
  }
  return result;
}

HBITMAP BitmapFromBytes(const std::string& bytes, COLORREF iconBackground, int* width, int* height) {
  int w = 0;
  int h = 0;
  HANDLE picture = PictureFromBytes(bytes, &w, &h);
  if (width) *width = 0;
  if (height) *height = 0;
  if (!picture) return nullptr;
  if (!IsIcon(picture)) {
    if (width) *width = w;
    if (height) *height = h;
    return static_cast<HBITMAP>(picture);
  }
  // An icon cannot be selected into a DC; draw it onto a bitmap of its size over the given background.
  ScopedIcon icon(static_cast<HICON>(picture));
  if (w <= 0 || h <= 0) return nullptr;
  ScopedWindowDc screen(nullptr);
  ScopedBitmap bitmap(CreateCompatibleBitmap(screen.get(), w, h));
  ScopedMemoryDc memory(CreateCompatibleDC(screen.get()));
  if (!bitmap || !memory) return nullptr;
  {
    ScopedSelect select(memory.get(), bitmap.get());
    ScopedBrush background(CreateSolidBrush(iconBackground));
    RECT all = {0, 0, w, h};
    FillRect(memory.get(), &all, background.get());
    DrawIconEx(memory.get(), 0, 0, icon.get(), w, h, 0, nullptr, DI_NORMAL);
  }
  if (width) *width = w;
  if (height) *height = h;
  return bitmap.release();
}

HBITMAP GreyBitmap(HBITMAP source) {
  BITMAP info = {};
  if (!source || GetObjectA(source, sizeof(info), &info) != sizeof(info)) return nullptr;
  const int w = info.bmWidth;
  const int h = info.bmHeight;
  if (w <= 0 || h <= 0) return nullptr;
  ScopedWindowDc screen(nullptr);
  ScopedBitmap grey(CreateCompatibleBitmap(screen.get(), w, h));
  if (!grey) return nullptr;
  {
    ScopedMemoryDc from(CreateCompatibleDC(screen.get()));
    ScopedMemoryDc to(CreateCompatibleDC(screen.get()));
    if (!from || !to) return nullptr;
    ScopedSelect selectFrom(from.get(), source);
    ScopedSelect selectTo(to.get(), grey.get());
    if (!BitBlt(to.get(), 0, 0, w, h, from.get(), 0, 0, SRCCOPY)) return nullptr;
  }
  // All pixels in one block (top-down, 32 bits: blue, green, red, unused) instead of one call per pixel.
  BITMAPINFO layout = {};
  layout.bmiHeader.biSize = sizeof(layout.bmiHeader);
  layout.bmiHeader.biWidth = w;
  layout.bmiHeader.biHeight = -h;
  layout.bmiHeader.biPlanes = 1;
  layout.bmiHeader.biBitCount = 32;
  layout.bmiHeader.biCompression = BI_RGB;
  std::vector<uint32_t> pixels(static_cast<size_t>(w) * h);
  if (GetDIBits(screen.get(), grey.get(), 0, h, pixels.data(), &layout, DIB_RGB_COLORS) != h) return nullptr;
  for (uint32_t& pixel : pixels) {
    const uint32_t b = pixel & 0xFF;
    const uint32_t g = (pixel >> 8) & 0xFF;
    const uint32_t r = (pixel >> 16) & 0xFF;
    // Integer form of truncate(0.3 r + 0.59 g + 0.11 b): exact, so white stays 255.
    const uint32_t value = (30 * r + 59 * g + 11 * b) / 100;
    pixel = value | (value << 8) | (value << 16);
  }
  if (SetDIBits(screen.get(), grey.get(), 0, h, pixels.data(), &layout, DIB_RGB_COLORS) != h) return nullptr;
  return grey.release();
}

}  // namespace trr
