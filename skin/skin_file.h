// The skin file format read by trskin.dll. A skin file is GBK/ASCII text:
//   .SHE 1
//   caption=0,96,160        (one "name=red,green,blue" line per colour, CR LF or LF line ends)
//   password=...            (optional; when present AttachSkin must be given the same text)
// Unknown names are skipped, so older engines read newer files. Pure: no window, no file access.
#pragma once
#include <windows.h>

#include <cstddef>

namespace trskin {

struct SkinColours {
  COLORREF caption = RGB(0, 96, 160);        // title bar
  COLORREF captionText = RGB(255, 255, 255);  // title text and close glyph
  COLORREF frame = RGB(0, 70, 130);           // window border
  COLORREF background = RGB(228, 240, 252);   // client areas, labels, buttons, group boxes
  COLORREF text = RGB(0, 50, 100);            // label text the program left at the system colour
  COLORREF bar = RGB(0, 136, 255);            // progress bar fill
  COLORREF barBackground = RGB(200, 222, 244);
};

constexpr char kSkinMagic[4] = {'.', 'S', 'H', 'E'};
constexpr size_t kMaxPassword = 64;

struct SkinFile {
  SkinColours colours;
  bool hasPassword = false;
  char password[kMaxPassword + 1] = {};
};

// Parses `size` bytes of a skin file. False when the magic is missing, a colour line is malformed (a component
// outside 0..255, missing parts) or the password is longer than kMaxPassword.
bool ParseSkinFile(const char* data, size_t size, SkinFile& out);

}  // namespace trskin
