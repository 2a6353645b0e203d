// Decoding picture bytes through OLE, grey copies, the shared avatar store and the built-in marker picture.
#include <gtest/gtest.h>

#include "common/scoped_win.h"
#include "listctrl/pictures.h"
#include "tests/harness/window_probe.h"
#include "tests/listctrl/paint_probe.h"
#include "tests/listctrl/test_pictures.h"

namespace trr {
namespace {

using test::BitmapPixel;
using test::BitmapSize;
using test::ColourText;

TEST(Pictures, DecodesBitmapFormatsWithTheirPixelSizes) {
  struct Case {
    const char* name;
    std::string bytes;
    int width;
    int height;
    int probeX, probeY;
    COLORREF probe;
  };
  const Case cases[] = {
      {"bmp", test::MakeBmp(6, 4, [](int x, int y) { return x == 5 && y == 3 ? RGB(0, 0, 255) : RGB(10, 20, 30); }),
       6, 4, 5, 3, RGB(0, 0, 255)},
      {"gif", test::SmallGif(), 5, 3, 0, 0, RGB(0, 0, 255)},
      {"jpeg", test::SmallJpeg(), 7, 4, 3, 2, RGB(0, 200, 0)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    int w = -1;
    int h = -1;
    HANDLE picture = PictureFromBytes(c.bytes, &w, &h);
    ASSERT_NE(picture, nullptr);
    ScopedBitmap bitmap(static_cast<HBITMAP>(picture));
    EXPECT_EQ(GetObjectType(picture), static_cast<DWORD>(OBJ_BITMAP));
    EXPECT_EQ(w, c.width);
    EXPECT_EQ(h, c.height);
    SIZE size = BitmapSize(bitmap.get());
    EXPECT_EQ(size.cx, c.width);
    EXPECT_EQ(size.cy, c.height);
    // The handle stays usable after the OLE picture is gone (it is a copy, not the picture's own handle).
    COLORREF probe = BitmapPixel(bitmap.get(), c.probeX, c.probeY);
    EXPECT_LE(abs(GetRValue(probe) - GetRValue(c.probe)), 3) << ColourText(probe);
    EXPECT_LE(abs(GetGValue(probe) - GetGValue(c.probe)), 3) << ColourText(probe);
    EXPECT_LE(abs(GetBValue(probe) - GetBValue(c.probe)), 3) << ColourText(probe);
  }
  // Sizes are optional.
  ScopedBitmap unsized(static_cast<HBITMAP>(PictureFromBytes(test::SmallGif())));
  EXPECT_TRUE(unsized);
}

TEST(Pictures, IconDataGivesAnIconAndGarbageGivesNothing) {
  int w = 0;
  int h = 0;
  HANDLE icon = PictureFromBytes(test::SolidIcon(RGB(0, 128, 0)), &w, &h);
  ASSERT_NE(icon, nullptr);
  ICONINFO info = {};
  ASSERT_TRUE(GetIconInfo(static_cast<HICON>(icon), &info));
  DeleteObject(info.hbmMask);
  DeleteObject(info.hbmColor);
  EXPECT_EQ(w, 16);
  EXPECT_EQ(h, 16);
  DestroyIcon(static_cast<HICON>(icon));

  // BitmapFromBytes draws icon data onto a bitmap of its size.
  ScopedBitmap drawn(BitmapFromBytes(test::SolidIcon(RGB(0, 128, 0)), RGB(255, 0, 255), &w, &h));
  ASSERT_TRUE(drawn);
  EXPECT_EQ(BitmapSize(drawn.get()).cx, 16);
  EXPECT_EQ(BitmapPixel(drawn.get(), 8, 8), RGB(0, 128, 0));

  const std::string garbage[] = {"", "not a picture at all", std::string(2000, '\x55'),
                                 test::SmallGif().substr(0, 10)};
  for (const std::string& bytes : garbage) {
    w = h = 7;
    EXPECT_EQ(PictureFromBytes(bytes, &w, &h), nullptr) << bytes.size();
    EXPECT_EQ(w, 0);
    EXPECT_EQ(h, 0);
    EXPECT_EQ(BitmapFromBytes(bytes, 0), nullptr);
  }
}

TEST(Pictures, GreyBitmapWeighsRedGreenAndBlue) {
  struct Case {
    COLORREF colour;
    int grey;
  };
  const Case cases[] = {{RGB(255, 255, 255), 255}, {RGB(255, 0, 0), 76}, {RGB(0, 255, 0), 150},
                        {RGB(0, 0, 255), 28},      {RGB(0, 0, 0), 0},     {RGB(100, 50, 200), 81}};
  const int count = static_cast<int>(sizeof(cases) / sizeof(cases[0]));
  std::string bytes = test::MakeBmp(count, 3, [&](int x, int) { return cases[x].colour; });
  ScopedBitmap colour(static_cast<HBITMAP>(PictureFromBytes(bytes)));
  ASSERT_TRUE(colour);
  ScopedBitmap grey(GreyBitmap(colour.get()));
  ASSERT_TRUE(grey);
  EXPECT_EQ(BitmapSize(grey.get()).cx, count);
  EXPECT_EQ(BitmapSize(grey.get()).cy, 3);
  for (int x = 0; x < count; ++x) {
    for (int y = 0; y < 3; ++y) {
      int g = cases[x].grey;
      EXPECT_EQ(BitmapPixel(grey.get(), x, y), RGB(g, g, g)) << "pixel " << x << "," << y;
    }
    // The source keeps its colours.
    EXPECT_EQ(BitmapPixel(colour.get(), x, 0), cases[x].colour);
  }
  EXPECT_EQ(GreyBitmap(nullptr), nullptr);
}

TEST(Pictures, IdenticalAvatarBytesShareOneCountedBitmap) {
  const int before = LiveAvatarBitmapCount();
  const std::string red = test::SolidBmp(8, 6, RGB(200, 0, 0));
  const std::string blue = test::SolidBmp(8, 6, RGB(0, 0, 200));
  int w = 0;
  int h = 0;
  HBITMAP a = AcquireAvatar(red, &w, &h);
  HBITMAP b = AcquireAvatar(red, &w, &h);
  HBITMAP c = AcquireAvatar(blue, nullptr, nullptr);
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(a, b);
  EXPECT_NE(a, c);
  EXPECT_EQ(w, 8);
  EXPECT_EQ(h, 6);
  EXPECT_EQ(LiveAvatarBitmapCount(), before + 2);

  HBITMAP greyA = AcquireGreyAvatar(a);
  HBITMAP greyB = AcquireGreyAvatar(b);
  ASSERT_NE(greyA, nullptr);
  EXPECT_EQ(greyA, greyB);
  EXPECT_EQ(BitmapPixel(greyA, 0, 0), RGB(60, 60, 60));
  EXPECT_EQ(LiveAvatarBitmapCount(), before + 3);
  EXPECT_EQ(AcquireAvatar("garbage", &w, &h), nullptr);
  EXPECT_EQ(LiveAvatarBitmapCount(), before + 3);

  // Releasing the colour avatars first leaves the grey copy alive for its holders.
  ReleaseAvatarBitmap(a);
  EXPECT_EQ(GetObjectType(a), static_cast<DWORD>(OBJ_BITMAP));
  ReleaseAvatarBitmap(b);
  ReleaseAvatarBitmap(c);
  EXPECT_EQ(LiveAvatarBitmapCount(), before + 1);
  EXPECT_EQ(BitmapPixel(greyA, 0, 0), RGB(60, 60, 60));
  ReleaseAvatarBitmap(greyA);
  ReleaseAvatarBitmap(greyB);
  EXPECT_EQ(LiveAvatarBitmapCount(), before);

  // A fresh acquisition after everything was released decodes again.
  HBITMAP again = AcquireAvatar(red, nullptr, nullptr);
  EXPECT_EQ(LiveAvatarBitmapCount(), before + 1);
  EXPECT_EQ(BitmapPixel(again, 7, 5), RGB(200, 0, 0));
  ReleaseAvatarBitmap(again);
  EXPECT_EQ(LiveAvatarBitmapCount(), before);
}

TEST(Pictures, MarkerStripHoldsBothMarkersOnMagenta) {
  const std::string file = MarkerBitmapBytes();
  ASSERT_EQ(file.size(), 846u);
  EXPECT_EQ(file.substr(0, 2), "BM");
  int w = 0;
  int h = 0;
  ScopedBitmap decoded(static_cast<HBITMAP>(PictureFromBytes(file, &w, &h)));
  ASSERT_TRUE(decoded);
  EXPECT_EQ(w, 11);
  EXPECT_EQ(h, 22);

  HBITMAP strip = MarkerStrip();
  ASSERT_NE(strip, nullptr);
  EXPECT_EQ(MarkerStrip(), strip);
  EXPECT_EQ(BitmapSize(strip).cx, 11);
  EXPECT_EQ(BitmapSize(strip).cy, 22);
  const COLORREF magenta = RGB(255, 0, 255);
  auto isBlue = [](COLORREF c) { return GetBValue(c) > GetRValue(c) + 60 && GetBValue(c) >= GetGValue(c); };
  // Closed marker: a right-pointing triangle, widest in its middle row, its tip to the right.
  int closedCount = 0;
  int openCount = 0;
  for (int y = 0; y < 22; ++y) {
    for (int x = 0; x < 11; ++x) {
      COLORREF c = BitmapPixel(strip, x, y);
      EXPECT_TRUE(c == magenta || isBlue(c)) << x << "," << y << " " << ColourText(c);
      if (c != magenta) ++(y < 11 ? closedCount : openCount);
    }
  }
  EXPECT_GT(closedCount, 10);
  EXPECT_GT(openCount, 10);
  auto widthOfRow = [&](int y) {
    int n = 0;
    for (int x = 0; x < 11; ++x) n += BitmapPixel(strip, x, y) != magenta;
    return n;
  };
  auto heightOfColumn = [&](int x, int top) {
    int n = 0;
    for (int y = top; y < top + 11; ++y) n += BitmapPixel(strip, x, y) != magenta;
    return n;
  };
  // Pointing right: columns get shorter to the right. Pointing down: rows get narrower downwards.
  EXPECT_GT(heightOfColumn(3, 0), heightOfColumn(6, 0));
  EXPECT_GT(widthOfRow(14), widthOfRow(17));
  EXPECT_EQ(BitmapPixel(strip, 5, 5), RGB(72, 163, 216));

  // Released at program end; a later first use makes it again.
  ReleaseMarkerStrip();
  EXPECT_EQ(GetObjectType(strip), 0u);
  ReleaseMarkerStrip();
  HBITMAP again = MarkerStrip();
  ASSERT_NE(again, nullptr);
  EXPECT_EQ(BitmapPixel(again, 5, 5), RGB(72, 163, 216));
}

}  // namespace
}  // namespace trr

namespace trr {
namespace {

TEST(Pictures, DecodingAndGreyCopiesLeaveNoObjectsBehind) {
  const std::string bmp = test::SolidBmp(20, 20, RGB(1, 2, 3));
  const std::string icon = test::SolidIcon(RGB(4, 5, 6));
  auto round = [&] {
    HBITMAP colour = static_cast<HBITMAP>(PictureFromBytes(bmp, nullptr, nullptr));
    DeleteObject(GreyBitmap(colour));
    DeleteObject(colour);
    DestroyIcon(static_cast<HICON>(PictureFromBytes(icon)));
    DeleteObject(BitmapFromBytes(icon, RGB(255, 0, 255)));
    PictureFromBytes(test::SmallGif().substr(0, 12));
    HBITMAP shared = AcquireAvatar(test::SmallJpeg(), nullptr, nullptr);
    ReleaseAvatarBitmap(AcquireGreyAvatar(shared));
    ReleaseAvatarBitmap(shared);
  };
  round();
  const int before = test::FreeGdiCapacity();
  for (int i = 0; i < 30; ++i) round();
  EXPECT_EQ(test::FreeGdiCapacity(), before);
}

}  // namespace
}  // namespace trr
