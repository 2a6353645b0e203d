// Turning picture bytes into GDI bitmaps, the grey copy of offline avatars, and the shared avatar bitmaps.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>

namespace trr {

// Decodes GIF, JPEG, BMP (a bitmap handle) or icon data (an icon handle) through OleLoadPicture; the caller
// owns the result. Width and height, when asked for, are in display pixels. 0 when the bytes are no picture.
HANDLE PictureFromBytes(const std::string& bytes, int* width = nullptr, int* height = nullptr);

// PictureFromBytes that always gives a bitmap: icon data is drawn over `iconBackground` onto a bitmap of its
// size (an icon cannot be selected into a DC for stretching). 0 when the bytes are no picture.
HBITMAP BitmapFromBytes(const std::string& bytes, COLORREF iconBackground, int* width = nullptr,
                        int* height = nullptr);

// A new bitmap of the same size with every pixel replaced by truncate(0.3 r + 0.59 g + 0.11 b); 0 on failure.
// The source stays with its owner.
HBITMAP GreyBitmap(HBITMAP source);

// Rows keep their avatar handles in 32-bit fields. GDI handles use only 32 bits and, on 64-bit Windows, are
// valid sign-extended to the pointer's width; these two conversions are the only way between the two forms, and
// the store below hands out and looks up handles in the sign-extended form only, so a handle that went through
// a row's field is found again (a 32-bit build changes nothing).
inline int32_t AvatarHandleValue(HBITMAP bitmap) { return static_cast<int32_t>(reinterpret_cast<intptr_t>(bitmap)); }
inline HBITMAP AvatarHandleBitmap(int32_t value) { return reinterpret_cast<HBITMAP>(static_cast<intptr_t>(value)); }

// Avatar bitmaps are shared between rows made from identical picture bytes and counted, so that thousands of
// rows need one bitmap. Every Acquire is matched by exactly one ReleaseAvatarBitmap; the bitmap is deleted
// with its last reference. A row therefore behaves as if it owned its avatar.
// Icon data becomes a bitmap over white. 0 (and sizes 0) when the bytes are no picture.
HBITMAP AcquireAvatar(const std::string& bytes, int* width, int* height);
// One more reference to a bitmap that AcquireAvatar or AcquireGreyAvatar gave (many rows of one picture
// without hashing its bytes again): `bitmap` itself, or 0 when it is no live bitmap of the store.
HBITMAP ShareAvatar(HBITMAP bitmap);
// The grey copy of an acquired avatar, shared the same way; 0 on failure.
HBITMAP AcquireGreyAvatar(HBITMAP avatar);
// Drops one reference; a bitmap that was never acquired is deleted at once. 0 is ignored.
void ReleaseAvatarBitmap(HBITMAP bitmap);
// Bitmaps alive in the avatar store (a count that tests and benchmarks read).
int LiveAvatarBitmapCount();

// The process-wide 11 x 22 marker strip (closed marker above, open below, magenta transparent), made from
// bytes in the program on first use and kept to program end.
HBITMAP MarkerStrip();
// The built-in 846-byte 24-bit BMP file that MarkerStrip is made from.
std::string MarkerBitmapBytes();
void ReleaseMarkerStrip();

}  // namespace trr
