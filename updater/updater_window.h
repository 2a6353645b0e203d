// The updater window: a fixed 264×113 window with four progress labels and a progress bar; the upgrade
// buttons and the notes sit below its visible area. Built from a layout table by the window layer.
#pragma once
#include <windows.h>

#include <cstdint>

#include "updater/progress_format.h"

namespace trr {

// The window's controls in layout order. Each control's window id is kUpdaterControlIdBase + its position, so
// that a control can be found from another process too.
enum UpdaterControl : int {
  k标签进度,
  k标签大小,
  k标签时间,
  k标签速度,
  k进度条1,
  k按钮1,  // "升级"
  k按钮2,  // "取消"
  k分组框1,
  k标签1,  // update notes, inside 分组框1
  k时钟,   // the progress timer (no window)
};
constexpr int kUpdaterControlIdBase = 1000;

constexpr int kUpdaterWidth = 264;
constexpr int kUpdaterHeight = 113;
// Where 升级 stands after a failed transfer: at the right end of the progress bar's row, inside the visible area.
constexpr int kRetryButtonLeft = 176;
constexpr int kRetryButtonTop = 55;
constexpr COLORREF kProgressLabelColour = RGB(0, 136, 255);
constexpr const char kUpdaterCaption[] = "TiroRadio在线升级";
constexpr const char kUpdaterClass[] = "TrRadioUpdaterWindow";
// Posted to the window for each download event: wParam is the code, lParam the value.
constexpr UINT kDownloadEventMessage = WM_APP + 1;

// The layout's name of a control ("标签进度", "时钟", ...).
const char* UpdaterControlName(UpdaterControl control);

// What the window asks of its owner. Every member may be null.
struct UpdaterWindowHandlers {
  void (*created)(HWND window) = nullptr;         // after the controls exist, before the window is shown
  void (*upgradeClicked)(HWND window) = nullptr;  // 按钮1
  void (*cancelClicked)(HWND window) = nullptr;   // 按钮2
  void (*tick)(HWND window) = nullptr;            // 时钟
  void (*downloadEvent)(HWND window, int32_t code, int32_t value) = nullptr;
};

// Creates the updater window centred on the screen and shows it; destroying it ends the message loop.
// nullptr when it cannot be created.
HWND CreateUpdaterWindow(const UpdaterWindowHandlers& handlers);

// A control of the updater window by its window id; works for a window of another process. nullptr for the
// timer or when absent.
HWND FindUpdaterControl(HWND window, UpdaterControl control);

// Writes one tick's texts to the four labels and the bar position.
void ShowProgress(HWND window, const ProgressTexts& texts);

}  // namespace trr
