// The main window: its creation and the handlers of its controls.
#pragma once
#include <windows.h>

#include <string>

#include "ui/layout.h"

namespace trr {

// Creates the main window from its layout with pictures from `resources`; its creation runs the load handler
// before it is shown. Returns the window, or nullptr when it could not be created.
HWND CreateMainWindow(HMODULE resources);

// The module that carries the player's pictures and icon (set by CreateMainWindow).
HMODULE PlayerResources();

// The station picture, a 100 x 99 GIF of 3,098 bytes carried in the program (also the About window's logo):
// every station row's avatar. Empty when the resource is missing.
std::string StationPictureBytes();

void OnMainWindowCreated(const ui::Event& event);    // the load handler
void OnMainWindowDestroyed(const ui::Event& event);  // closed by other means than 关闭
void OnCloseClicked(const ui::Event& event);         // 关闭: icon away, program ends with exit code 0
void OnMinimiseClicked(const ui::Event& event);
void OnPinClicked(const ui::Event& event);           // toggles always-on-top
void OnFoldClicked(const ui::Event& event);          // 列表开关: 177 <-> 545 pixels high
void OnPanelRightPress(const ui::Event& event);      // opens the About window
void OnClockTick(const ui::Event& event);            // 时钟1
void OnStopClicked(const ui::Event& event);          // 播放暂停
void OnVolumeMoved(const ui::Event& event);          // 音量大小

}  // namespace trr
