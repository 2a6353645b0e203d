// Small pictures made in memory for the list control tests.
#pragma once
#include <windows.h>

#include <functional>
#include <string>

namespace trr::test {

// A 24-bit bottom-up BMP file of w x h pixels whose colours come from `pixel(x, y)`.
std::string MakeBmp(int w, int h, const std::function<COLORREF(int, int)>& pixel);
// A BMP filled with one colour.
std::string SolidBmp(int w, int h, COLORREF colour);
// A 16 x 16 32-bit .ico file of one colour, fully opaque.
std::string SolidIcon(COLORREF colour);
// A 5 x 3 GIF: red with a blue top-left pixel.
std::string SmallGif();
// A 7 x 4 JPEG of RGB(0, 200, 0).
std::string SmallJpeg();

// The colour of a bitmap's pixel, read with GetPixel through a memory DC.
COLORREF BitmapPixel(HBITMAP bitmap, int x, int y);
// Width and height of a bitmap; {0, 0} when the handle is not a bitmap.
SIZE BitmapSize(HBITMAP bitmap);

}  // namespace trr::test
