#include "tests/harness/window_probe.h"

#include <cstdio>
#include <cstdint>

#include "common/scoped_win.h"

namespace trr::test {

Capture CaptureClient(HWND window) {
  Capture capture;
  RECT client;
  if (!GetClientRect(window, &client)) return capture;
  capture.width = client.right;
  capture.height = client.bottom;
  if (capture.width <= 0 || capture.height <= 0) return capture;
  ScopedWindowDc screen(window);
  ScopedMemoryDc memory(CreateCompatibleDC(screen.get()));
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = capture.width;
  info.bmiHeader.biHeight = -capture.height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  ScopedBitmap bitmap(CreateDIBSection(screen.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!bitmap || !bits) return capture;
  {
    ScopedSelect select(memory.get(), bitmap.get());
    BitBlt(memory.get(), 0, 0, capture.width, capture.height, screen.get(), 0, 0, SRCCOPY);
  }
  GdiFlush();
  capture.pixels.resize(static_cast<size_t>(capture.width) * capture.height);
  const uint32_t* source = static_cast<const uint32_t*>(bits);
  for (size_t i = 0; i < capture.pixels.size(); ++i) {
    uint32_t bgra = source[i];
    capture.pixels[i] = RGB((bgra >> 16) & 0xFF, (bgra >> 8) & 0xFF, bgra & 0xFF);
  }
  return capture;
}

namespace {

uint32_t Crc32(const uint8_t* data, size_t n, uint32_t crc = 0) {
  crc = ~crc;
  for (size_t i = 0; i < n; ++i) {
    crc ^= data[i];
    for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
  }
  return ~crc;
}

void PutBigEndian(std::string& out, uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<char>((v >> shift) & 0xFF));
}

void PutChunk(std::string& out, const char* type, const std::string& data) {
  PutBigEndian(out, static_cast<uint32_t>(data.size()));
  std::string body = std::string(type, 4) + data;
  out += body;
  PutBigEndian(out, Crc32(reinterpret_cast<const uint8_t*>(body.data()), body.size()));
}

}  // namespace

bool SavePng(const Capture& capture, const std::string& path) {
  if (capture.width <= 0 || capture.height <= 0) return false;
  // Raw scanlines (filter 0, RGB), wrapped in stored deflate blocks: valid PNG without a compressor.
  std::string raw;
  raw.reserve(static_cast<size_t>(capture.height) * (capture.width * 3 + 1));
  for (int y = 0; y < capture.height; ++y) {
    raw.push_back(0);
    for (int x = 0; x < capture.width; ++x) {
      COLORREF c = capture.At(x, y);
      raw.push_back(static_cast<char>(GetRValue(c)));
      raw.push_back(static_cast<char>(GetGValue(c)));
      raw.push_back(static_cast<char>(GetBValue(c)));
    }
  }
  std::string zlib = "\x78\x01";
  for (size_t at = 0; at < raw.size() || at == 0; at += 65535) {
    size_t n = raw.size() - at < 65535 ? raw.size() - at : 65535;
    bool last = at + n >= raw.size();
    zlib.push_back(last ? 1 : 0);
    zlib.push_back(static_cast<char>(n & 0xFF));
    zlib.push_back(static_cast<char>(n >> 8));
    zlib.push_back(static_cast<char>(~n & 0xFF));
    zlib.push_back(static_cast<char>((~n >> 8) & 0xFF));
    zlib.append(raw, at, n);
    if (last) break;
  }
  uint32_t a = 1, b = 0;
  for (unsigned char c : raw) {
    a = (a + c) % 65521;
    b = (b + a) % 65521;
  }
  PutBigEndian(zlib, (b << 16) | a);

  std::string png = "\x89PNG\r\n\x1a\n";
  std::string header;
  PutBigEndian(header, static_cast<uint32_t>(capture.width));
  PutBigEndian(header, static_cast<uint32_t>(capture.height));
  header += std::string("\x08\x02\x00\x00\x00", 5);
  PutChunk(png, "IHDR", header);
  PutChunk(png, "IDAT", zlib);
  PutChunk(png, "IEND", "");
  FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return false;
  bool ok = std::fwrite(png.data(), 1, png.size(), file) == png.size();
  return std::fclose(file) == 0 && ok;
}

RECT RectInParent(HWND window) {
  RECT rect = {};
  GetWindowRect(window, &rect);
  HWND parent = (GetWindowLongA(window, GWL_STYLE) & WS_CHILD) ? GetParent(window) : nullptr;
  if (parent) MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

SIZE ClientSize(HWND window) {
  RECT rect = {};
  GetClientRect(window, &rect);
  return SIZE{rect.right, rect.bottom};
}

std::string WindowText(HWND window) {
  int n = GetWindowTextLengthA(window);
  std::string text(static_cast<size_t>(n) + 1, '\0');
  n = GetWindowTextA(window, &text[0], n + 1);
  text.resize(n > 0 ? static_cast<size_t>(n) : 0);
  return text;
}

namespace {
struct FindByText {
  const std::string* text;
  HWND found;
};
BOOL CALLBACK MatchText(HWND child, LPARAM param) {
  auto* search = reinterpret_cast<FindByText*>(param);
  if (WindowText(child) == *search->text) {
    search->found = child;
    return FALSE;
  }
  return TRUE;
}
}  // namespace

HWND FindChildByText(HWND parent, const std::string& text) {
  FindByText search{&text, nullptr};
  EnumChildWindows(parent, MatchText, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

namespace {

struct ProcessWindowSearch {
  DWORD processId;
  const char* className;
  HWND found;
};

BOOL CALLBACK MatchProcessWindow(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<ProcessWindowSearch*>(param);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  char name[64] = "";
  GetClassNameA(window, name, sizeof(name));
  if (owner != search->processId || lstrcmpA(name, search->className) != 0 || !IsWindowVisible(window)) return TRUE;
  search->found = window;
  return FALSE;
}

}  // namespace

HWND FindProcessWindow(DWORD processId, const char* className) {
  ProcessWindowSearch search{processId, className, nullptr};
  EnumWindows(MatchProcessWindow, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

void MoveMouse(HWND window, int x, int y) { SendMessageA(window, WM_MOUSEMOVE, 0, MAKELPARAM(x, y)); }

void LeftClick(HWND window, int x, int y) {
  MoveMouse(window, x, y);
  SendMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
  SendMessageA(window, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
}

void LeftDoubleClick(HWND window, int x, int y) {
  LeftClick(window, x, y);
  SendMessageA(window, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(x, y));
  SendMessageA(window, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
}

void RightPress(HWND window, int x, int y) {
  MoveMouse(window, x, y);
  SendMessageA(window, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(x, y));
  SendMessageA(window, WM_RBUTTONUP, 0, MAKELPARAM(x, y));
}

void PressKey(HWND window, UINT virtualKey) {
  SendMessageA(window, WM_KEYDOWN, virtualKey, 1);
  SendMessageA(window, WM_KEYUP, virtualKey, 0xC0000001);
}

std::string ColourText(COLORREF colour) {
  char text[32];
  std::snprintf(text, sizeof(text), "(%d,%d,%d)", GetRValue(colour), GetGValue(colour), GetBValue(colour));
  return text;
}

}  // namespace trr::test
