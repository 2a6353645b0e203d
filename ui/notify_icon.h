// The program's icon in the notification area: no click or menu behaviour, only a tooltip.
#pragma once
#include <windows.h>

#include <string>

namespace trr::ui {

// Adds icon `id` of `window` with `icon` and the GBK `tooltip`; false when the shell refused it.
bool AddNotifyIcon(HWND window, UINT id, HICON icon, const std::string& tooltip);

// Removes icon `id` of `window`; false when there was no such icon. The shell may take a few seconds to answer.
bool RemoveNotifyIcon(HWND window, UINT id);

}  // namespace trr::ui
