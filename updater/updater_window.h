// The updater window: a fixed 264×113 window with four progress labels and a progress bar; the upgrade
// buttons and the notes sit below its visible area.
#pragma once
#include <windows.h>

#include <cstdint>

#include "updater/progress_format.h"

namespace trr {

enum UpdaterControl : int {
  k标签进度 = 1,
  k标签大小,
  k标签时间,
  k标签速度,
  k进度条1,
  k按钮1,  // "升级"
  k按钮2,  // "取消"
  k分组框1,
  k标签1,  // update notes
};

constexpr UINT_PTR k时钟 = 1;
constexpr int kUpdaterWidth = 264;
constexpr int kUpdaterHeight = 113;
constexpr COLORREF kProgressLabelColour = RGB(0, 136, 255);
constexpr const char kUpdaterCaption[] = "TiroRadio在线升级";
constexpr const char kUpdaterClass[] = "TrRadioUpdaterWindow";
// Posted to the window for each download event: wParam is the code, lParam the value.
constexpr UINT kDownloadEventMessage = WM_APP + 1;

// What the window asks of its owner. Every member may be null.
struct UpdaterWindowHandlers {
  void (*created)(HWND window) = nullptr;                 // after the controls exist
  void (*upgradeClicked)(HWND window) = nullptr;          // 按钮1
  void (*cancelClicked)(HWND window) = nullptr;           // 按钮2
  void (*tick)(HWND window) = nullptr;                    // 时钟
  void (*downloadEvent)(HWND window, int32_t code, int32_t value) = nullptr;
  void (*destroyed)(HWND window) = nullptr;
};

// Creates the updater window centred on the screen and shows it. nullptr when it cannot be created.
HWND CreateUpdaterWindow(HINSTANCE instance, const UpdaterWindowHandlers& handlers);

// Writes one tick's texts to the four labels and the bar position.
void ShowProgress(HWND window, const ProgressTexts& texts);

// True when the message was the Esc key for the window or one of its controls and the window was asked to close.
bool HandleUpdaterKey(HWND window, const MSG& message);

}  // namespace trr
