// Reading back what a window shows, and sending it the messages that a user's mouse would.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

namespace trr::test {

// The pixels of a window's client area, copied from its screen device context (children included).
struct Capture {
  int width = 0;
  int height = 0;
  std::vector<COLORREF> pixels;  // row-major, top row first
  COLORREF At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};

Capture CaptureClient(HWND window);

// Writes the capture as a PNG file; false on failure.
bool SavePng(const Capture& capture, const std::string& path);

// The window's rectangle in its parent's client coordinates (screen coordinates for a top-level window).
RECT RectInParent(HWND window);
SIZE ClientSize(HWND window);
std::string WindowText(HWND window);

// A child of `parent` (direct or deeper) whose text equals `text`; nullptr when none.
HWND FindChildByText(HWND parent, const std::string& text);

// A visible top-level window of the process `processId` with the window class `className`; nullptr when none.
HWND FindProcessWindow(DWORD processId, const char* className);

// Mouse messages in the window's client coordinates, sent synchronously.
void MoveMouse(HWND window, int x, int y);
void LeftClick(HWND window, int x, int y);       // WM_LBUTTONDOWN then WM_LBUTTONUP
void LeftDoubleClick(HWND window, int x, int y);  // down, up, WM_LBUTTONDBLCLK, up
void RightPress(HWND window, int x, int y);       // WM_RBUTTONDOWN then WM_RBUTTONUP
void PressKey(HWND window, UINT virtualKey);      // WM_KEYDOWN then WM_KEYUP

// Red, green and blue of a COLORREF, for readable test failures.
std::string ColourText(COLORREF colour);

}  // namespace trr::test
