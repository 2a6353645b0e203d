#include "skin/skin_painter.h"

#include <commctrl.h>
#include <uxtheme.h>

#include "common/scoped_win.h"

namespace trskin {
namespace {

// Dressed windows and their own procedures. A fixed table keeps the engine free of heap state that would have
// to be torn down in a particular order at detach.
struct Dressed {
  HWND window;
  WNDPROC original;
  bool unicode;
};
constexpr int kMaxDressed = 1024;
Dressed g_dressed[kMaxDressed];
int g_dressedCount = 0;
SkinColours g_colours;
HBRUSH g_background = nullptr;

Dressed* FindDressed(HWND window) {
  for (int i = 0; i < g_dressedCount; ++i)
    if (g_dressed[i].window == window) return &g_dressed[i];
  return nullptr;
}

void Forget(HWND window) {
  for (int i = 0; i < g_dressedCount; ++i) {
    if (g_dressed[i].window == window) {
      g_dressed[i] = g_dressed[--g_dressedCount];
      return;
    }
  }
}

bool HasCaption(HWND window) {
  return (GetWindowLongA(window, GWL_STYLE) & WS_CAPTION) == WS_CAPTION;
}

void FillColour(HDC dc, const RECT& rect, COLORREF colour) {
  trr::ScopedBrush brush(CreateSolidBrush(colour));
  if (brush) FillRect(dc, &rect, brush.get());
}

// A window's whole-window device context from GetWindowDC, released with ReleaseDC.
class ScopedNonClientDc {
 public:
  explicit ScopedNonClientDc(HWND window) : window_(window), dc_(GetWindowDC(window)) {}
  ~ScopedNonClientDc() {
    if (dc_) ReleaseDC(window_, dc_);
  }
  ScopedNonClientDc(const ScopedNonClientDc&) = delete;
  ScopedNonClientDc& operator=(const ScopedNonClientDc&) = delete;
  HDC get() const { return dc_; }

 private:
  HWND window_;
  HDC dc_;
};

// Paints the frame and the title bar over what the system drew: frame strips in the frame colour, the band
// above the client area in the caption colour with the caption text and a close glyph. Hit-testing stays the
// system's, so the close box still works where the glyph is drawn.
void PaintFrame(HWND window) {
  RECT outer;
  if (!GetWindowRect(window, &outer)) return;
  POINT clientOrigin = {0, 0};
  ClientToScreen(window, &clientOrigin);
  RECT client;
  GetClientRect(window, &client);
  int width = outer.right - outer.left;
  int height = outer.bottom - outer.top;
  int left = clientOrigin.x - outer.left;
  int top = clientOrigin.y - outer.top;
  int right = left + client.right;
  int bottom = top + client.bottom;
  if (left <= 0 || top <= 0) return;
  ScopedNonClientDc windowDc(window);
  HDC dc = windowDc.get();
  if (!dc) return;
  RECT strip;
  SetRect(&strip, 0, 0, left, height);
  FillColour(dc, strip, g_colours.frame);
  SetRect(&strip, right, 0, width, height);
  FillColour(dc, strip, g_colours.frame);
  SetRect(&strip, 0, bottom, width, height);
  FillColour(dc, strip, g_colours.frame);
  SetRect(&strip, 0, 0, width, left);
  FillColour(dc, strip, g_colours.frame);
  RECT band = {left, left, right, top};
  if (band.bottom <= band.top) band.top = 0;
  FillColour(dc, band, g_colours.caption);

  wchar_t caption[256];
  int length = GetWindowTextW(window, caption, 256);
  HFONT font = reinterpret_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  int glyph = band.bottom - band.top;
  {
    trr::ScopedSelect selectFont(dc, font);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, g_colours.captionText);
    RECT textRect = {band.left + 6, band.top, band.right - glyph - 4, band.bottom};
    DrawTextW(dc, caption, length, &textRect, DT_SINGLELINE | DT_VCENTER | DT_LEFT | DT_END_ELLIPSIS | DT_NOPREFIX);
  }

  if ((GetWindowLongA(window, GWL_STYLE) & WS_SYSMENU) && glyph > 8) {
    trr::ScopedPen pen(CreatePen(PS_SOLID, 2, g_colours.captionText));
    trr::ScopedSelect selectPen(dc, pen.get());
    int inset = glyph / 3;
    int x0 = band.right - glyph + inset, x1 = band.right - inset;
    int y0 = band.top + inset, y1 = band.bottom - inset;
    MoveToEx(dc, x0, y0, nullptr);
    LineTo(dc, x1, y1);
    MoveToEx(dc, x1, y0, nullptr);
    LineTo(dc, x0, y1);
  }
}

// Repaints every client pixel of the system dialog face colour in the skin's background, for windows that
// paint their own surface in WM_PAINT rather than erasing it: a mask of the face-coloured pixels is made from a
// copy of the client area, and the background brush is laid through it.
void RecolourFace(HWND window) {
  RECT client;
  if (!GetClientRect(window, &client) || client.right <= 0 || client.bottom <= 0 || !g_background) return;
  int width = client.right, height = client.bottom;
  trr::ScopedWindowDc windowDc(window);
  HDC dc = windowDc.get();
  if (!dc) return;
  trr::ScopedMemoryDc copyDc(CreateCompatibleDC(dc));
  trr::ScopedMemoryDc maskDc(CreateCompatibleDC(dc));
  trr::ScopedBitmap copy(CreateCompatibleBitmap(dc, width, height));
  trr::ScopedBitmap mask(CreateBitmap(width, height, 1, 1, nullptr));
  if (!copyDc || !maskDc || !copy || !mask) return;
  trr::ScopedSelect selectCopy(copyDc.get(), copy.get());
  trr::ScopedSelect selectMask(maskDc.get(), mask.get());
  BitBlt(copyDc.get(), 0, 0, width, height, dc, 0, 0, SRCCOPY);
  // Colour to monochrome: pixels of the background colour become 1 (white), all others 0.
  SetBkColor(copyDc.get(), GetSysColor(COLOR_BTNFACE));
  BitBlt(maskDc.get(), 0, 0, width, height, copyDc.get(), 0, 0, SRCCOPY);
  // Monochrome to colour uses the destination's text (0) and background (1) colours.
  COLORREF oldText = SetTextColor(dc, RGB(0, 0, 0));
  COLORREF oldBack = SetBkColor(dc, RGB(255, 255, 255));
  trr::ScopedSelect selectBrush(dc, g_background);
  constexpr DWORD kBrushWhereSourceSet = 0x00E20746;  // (destination XOR pattern) AND source, XOR destination
  BitBlt(dc, 0, 0, width, height, maskDc.get(), 0, 0, kBrushWhereSourceSet);
  SetTextColor(dc, oldText);
  SetBkColor(dc, oldBack);
}

void DressProgressBar(HWND window) {
  char className[64];
  if (!GetClassNameA(window, className, sizeof(className))) return;
  if (lstrcmpiA(className, PROGRESS_CLASSA) != 0) return;
  // A themed bar draws with the theme's colours and ignores the ones set below.
  SetWindowTheme(window, L" ", L" ");
  SendMessageA(window, PBM_SETBARCOLOR, 0, static_cast<LPARAM>(g_colours.bar));
  SendMessageA(window, PBM_SETBKCOLOR, 0, static_cast<LPARAM>(g_colours.barBackground));
}

LRESULT CALLBACK SkinProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  Dressed* dressed = FindDressed(window);
  if (!dressed || !dressed->original) return DefWindowProcA(window, message, wParam, lParam);
  WNDPROC original = dressed->original;
  bool unicode = dressed->unicode;
  auto callOriginal = [&]() {
    return unicode ? CallWindowProcW(original, window, message, wParam, lParam)
                   : CallWindowProcA(original, window, message, wParam, lParam);
  };
  switch (message) {
    case WM_NCPAINT:
    case WM_NCACTIVATE:
    case WM_SETTEXT: {
      LRESULT result = callOriginal();
      if (HasCaption(window)) PaintFrame(window);
      return result;
    }
    case WM_PAINT: {
      LRESULT result = callOriginal();
      if (HasCaption(window)) RecolourFace(window);
      return result;
    }
    case WM_ERASEBKGND:
      if (HasCaption(window) && g_background) {
        RECT client;
        GetClientRect(window, &client);
        FillRect(reinterpret_cast<HDC>(wParam), &client, g_background);
        return 1;
      }
      break;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG: {
      LRESULT result = callOriginal();
      if (!g_background) return result;
      HDC dc = reinterpret_cast<HDC>(wParam);
      // A program that chose its own text colour keeps it; texts left at the system colour get the skin's.
      if (GetTextColor(dc) == GetSysColor(COLOR_WINDOWTEXT) || GetTextColor(dc) == GetSysColor(COLOR_BTNTEXT))
        SetTextColor(dc, g_colours.text);
      SetBkColor(dc, g_colours.background);
      return reinterpret_cast<LRESULT>(g_background);
    }
    case WM_CREATE: {
      // A control dressed while being created sets up its own state here; colours sent earlier are lost.
      LRESULT result = callOriginal();
      DressProgressBar(window);
      return result;
    }
    case WM_NCDESTROY: {
      LRESULT result = callOriginal();
      if (unicode)
        SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original));
      else
        SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original));
      Forget(window);
      return result;
    }
    default:
      break;
  }
  return callOriginal();
}

}  // namespace

bool SetSkinColours(const SkinColours& colours) {
  g_colours = colours;
  if (g_background) DeleteObject(g_background);
  g_background = CreateSolidBrush(colours.background);
  return g_background != nullptr;
}

bool DressWindow(HWND window) {
  if (!IsWindow(window)) return false;
  if (FindDressed(window)) return true;
  if (g_dressedCount >= kMaxDressed) return false;
  bool unicode = IsWindowUnicode(window) != FALSE;
  Dressed& slot = g_dressed[g_dressedCount];
  slot.window = window;
  slot.unicode = unicode;
  slot.original = nullptr;
  ++g_dressedCount;
  LONG_PTR previous = unicode ? SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(SkinProc))
                              : SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(SkinProc));
  if (!previous) {
    Forget(window);
    return false;
  }
  FindDressed(window)->original = reinterpret_cast<WNDPROC>(previous);
  DressProgressBar(window);
  if (IsWindowVisible(window)) {
    if (HasCaption(window)) SetWindowPos(window, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER |
                                                                         SWP_NOACTIVATE | SWP_FRAMECHANGED);
    InvalidateRect(window, nullptr, TRUE);
  }
  return true;
}

void UndressAll() {
  while (g_dressedCount > 0) {
    Dressed& last = g_dressed[g_dressedCount - 1];
    if (IsWindow(last.window) && last.original) {
      if (last.unicode)
        SetWindowLongPtrW(last.window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(last.original));
      else
        SetWindowLongPtrA(last.window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(last.original));
    }
    --g_dressedCount;
  }
  if (g_background) DeleteObject(g_background);
  g_background = nullptr;
}

}  // namespace trskin
