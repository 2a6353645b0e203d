#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>

#include "common/file_util.h"
#include "skin/skin_file.h"
#include "tests/harness/message_pump.h"
#include "tests/harness/temp_dir.h"
#include "tests/harness/window_probe.h"

namespace trskin {
namespace {

using trr::test::CaptureClient;
using trr::test::ColourText;
using trr::test::PumpMessages;

TEST(SkinFile, ParsesColoursAndRefusesMalformedFiles) {
  struct Case {
    std::string text;
    bool ok;
    COLORREF background;
    const char* password;
  } cases[] = {
      {".SHE 1\r\nbackground=1,2,3\r\n", true, RGB(1, 2, 3), nullptr},
      {".SHE\nbackground = 10 , 20 , 30\n", true, RGB(10, 20, 30), nullptr},
      {".SHE 1\r\n; note\r\n\r\nfuture=9\r\nbackground=0,0,255", true, RGB(0, 0, 255), nullptr},
      {".SHE 1\r\npassword=s3cret\r\n", true, SkinColours().background, "s3cret"},
      {".SHE", true, SkinColours().background, nullptr},
      {"SHE.\r\nbackground=1,2,3\r\n", false, 0, nullptr},
      {".SH", false, 0, nullptr},
      {".SHE 1\r\nbackground=256,0,0\r\n", false, 0, nullptr},
      {".SHE 1\r\nbackground=1,2\r\n", false, 0, nullptr},
      {".SHE 1\r\nbackground=1,2,3,4\r\n", false, 0, nullptr},
      {".SHE 1\r\nbackground=1,,3\r\n", false, 0, nullptr},
      {".SHE 1\r\nbackground=red\r\n", false, 0, nullptr},
      {".SHE 1\r\nno equals sign\r\n", false, 0, nullptr},
      {".SHE 1\r\npassword=" + std::string(65, 'x') + "\r\n", false, 0, nullptr},
  };
  for (const Case& c : cases) {
    SkinFile skin;
    EXPECT_EQ(ParseSkinFile(c.text.data(), c.text.size(), skin), c.ok) << c.text;
    if (!c.ok) continue;
    EXPECT_EQ(skin.colours.background, c.background) << c.text;
    EXPECT_EQ(skin.hasPassword, c.password != nullptr) << c.text;
    if (c.password) {
      EXPECT_STREQ(skin.password, c.password);
    }
  }
}

using AttachSkinFunction = int (*)(const char*, const char*);
using DetachSkinFunction = int (*)();

LRESULT CALLBACK OwnColourProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_CTLCOLORSTATIC && GetDlgCtrlID(reinterpret_cast<HWND>(lParam)) == 2) {
    SetTextColor(reinterpret_cast<HDC>(wParam), RGB(0, 136, 255));
    return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

// Colour of the text pixels in a rectangle: the pixel that differs most often from the background.
bool RectHasColour(const trr::test::Capture& capture, RECT r, COLORREF colour) {
  for (int y = r.top; y < r.bottom; ++y)
    for (int x = r.left; x < r.right; ++x)
      if (capture.At(x, y) == colour) return true;
  return false;
}

TEST(SkinEngine, DressesPresentAndFutureWindowsOfTheThread) {
  INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_PROGRESS_CLASS};
  InitCommonControlsEx(&controls);
  HMODULE engine = LoadLibraryA((trr::test::BinDirectory() + "\\trskin.dll").c_str());
  ASSERT_NE(engine, nullptr);
  auto attach = reinterpret_cast<AttachSkinFunction>(reinterpret_cast<void*>(GetProcAddress(engine, "AttachSkin")));
  auto detach = reinterpret_cast<DetachSkinFunction>(reinterpret_cast<void*>(GetProcAddress(engine, "DetachSkin")));
  ASSERT_TRUE(attach && detach);

  WNDCLASSA windowClass = {};
  windowClass.lpfnWndProc = OwnColourProc;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  windowClass.lpszClassName = "SkinTestWindow";
  RegisterClassA(&windowClass);
  HWND present = CreateWindowExA(0, "SkinTestWindow", "present", WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU, 50, 50,
                                 260, 140, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(present, nullptr);
  HWND plainLabel = CreateWindowExA(0, "STATIC", "WWWWWW", WS_CHILD | WS_VISIBLE, 10, 10, 100, 20, present,
                                    reinterpret_cast<HMENU>(1), nullptr, nullptr);
  HWND ownLabel = CreateWindowExA(0, "STATIC", "WWWWWW", WS_CHILD | WS_VISIBLE, 120, 10, 100, 20, present,
                                  reinterpret_cast<HMENU>(2), nullptr, nullptr);
  ASSERT_TRUE(plainLabel && ownLabel);
  ShowWindow(present, SW_SHOW);
  PumpMessages(200);

  trr::test::ScopedTempDir dir;
  std::string skin = ".SHE 1\r\nbackground=200,100,50\r\ntext=10,150,20\r\nbar=250,0,0\r\nbarbackground=0,0,200\r\n"
                     "password=pw\r\n";
  ASSERT_TRUE(trr::WriteWholeFile(dir.File("t.she"), skin));
  EXPECT_EQ(attach(dir.File("t.she").c_str(), "wrong"), 0);  // the password must match
  EXPECT_EQ(attach(dir.File("none.she").c_str(), "pw"), 0);
  ASSERT_EQ(attach(dir.File("t.she").c_str(), "pw"), 1);
  InvalidateRect(present, nullptr, TRUE);
  PumpMessages(300);

  auto capture = CaptureClient(present);
  ASSERT_GT(capture.width, 200);
  EXPECT_EQ(capture.At(150, 80), RGB(200, 100, 50)) << ColourText(capture.At(150, 80));  // window background
  EXPECT_EQ(capture.At(105, 25), RGB(200, 100, 50)) << ColourText(capture.At(105, 25));  // label background
  EXPECT_TRUE(RectHasColour(capture, {10, 10, 110, 30}, RGB(10, 150, 20)));   // system-coloured text re-dressed
  EXPECT_TRUE(RectHasColour(capture, {120, 10, 220, 30}, RGB(0, 136, 255)));  // the program's own colour kept
  EXPECT_FALSE(RectHasColour(capture, {120, 10, 220, 30}, RGB(10, 150, 20)));

  // A window created after attaching is dressed as well, progress bar included.
  HWND bar = CreateWindowExA(0, PROGRESS_CLASSA, "", WS_CHILD | WS_VISIBLE | PBS_SMOOTH, 10, 50, 200, 20, present, nullptr,
                             nullptr, nullptr);
  ASSERT_NE(bar, nullptr);
  SendMessageA(bar, PBM_SETRANGE32, 0, 100);
  SendMessageA(bar, PBM_SETPOS, 50, 0);
  PumpMessages(300);
  capture = CaptureClient(present);
  EXPECT_EQ(capture.At(40, 60), RGB(250, 0, 0)) << ColourText(capture.At(40, 60));
  EXPECT_EQ(capture.At(180, 60), RGB(0, 0, 200)) << ColourText(capture.At(180, 60));

  EXPECT_EQ(detach(), 1);
  InvalidateRect(present, nullptr, TRUE);
  PumpMessages(300);
  capture = CaptureClient(present);
  EXPECT_EQ(capture.At(150, 100), GetSysColor(COLOR_BTNFACE)) << ColourText(capture.At(150, 100));
  DestroyWindow(present);
  FreeLibrary(engine);
}

}  // namespace
}  // namespace trskin
