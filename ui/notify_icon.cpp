#include "ui/notify_icon.h"

#include <shellapi.h>

#include <cstring>

namespace trr::ui {

bool AddNotifyIcon(HWND window, UINT id, HICON icon, const std::string& tooltip) {
  NOTIFYICONDATAA data = {};
  data.cbSize = sizeof(data);
  data.hWnd = window;
  data.uID = id;
  data.uFlags = NIF_ICON | NIF_TIP;
  data.hIcon = icon;
  std::strncpy(data.szTip, tooltip.c_str(), sizeof(data.szTip) - 1);
  return Shell_NotifyIconA(NIM_ADD, &data) != FALSE;
}

bool RemoveNotifyIcon(HWND window, UINT id) {
  NOTIFYICONDATAA data = {};
  data.cbSize = sizeof(data);
  data.hWnd = window;
  data.uID = id;
  return Shell_NotifyIconA(NIM_DELETE, &data) != FALSE;
}

}  // namespace trr::ui
