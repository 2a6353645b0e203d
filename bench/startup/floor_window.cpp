// The floor of start-up time: the smallest Win32 program that shows a window of the player's size and style,
// painted in one colour. bench/startup.sh starts it the same way as the player and times it the same way.
// With the argument "hidden" it makes an invisible window and waits: that instance keeps Wine's desktop
// process alive between timed starts, so no start pays for bringing the desktop up.
#include <windows.h>

#include <cstring>

namespace {

LRESULT CALLBACK FloorProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_PAINT: {
      PAINTSTRUCT paint;
      HDC dc = BeginPaint(window, &paint);
      HBRUSH brush = CreateSolidBrush(RGB(204, 227, 248));
      FillRect(dc, &paint.rcPaint, brush);
      DeleteObject(brush);
      EndPaint(window, &paint);
      return 0;
    }
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
  const bool hidden = commandLine && std::strstr(commandLine, "hidden");
  WNDCLASSA windowClass = {};
  windowClass.lpfnWndProc = FloorProc;
  windowClass.hInstance = instance;
  windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
  windowClass.lpszClassName = "StartupFloor";
  if (!RegisterClassA(&windowClass)) return 1;
  const int width = 286, height = 545;
  const int x = (GetSystemMetrics(SM_CXSCREEN) - width) / 2, y = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;
  HWND window = CreateWindowExA(WS_EX_APPWINDOW, "StartupFloor", hidden ? "StartupKeeper" : "StartupFloor",
                                WS_POPUP | WS_CLIPCHILDREN | WS_SYSMENU | WS_MINIMIZEBOX, x, y, width, height,
                                nullptr, nullptr, instance, nullptr);
  if (!window) return 1;
  if (!hidden) {
    ShowWindow(window, SW_SHOW);
    UpdateWindow(window);
  }
  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) DispatchMessageA(&message);
  return 0;
}
