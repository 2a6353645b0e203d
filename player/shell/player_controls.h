// The main window's playback controls and displays: the media player control in 电视播放器, its play states in
// the status labels, 播放暂停, 音量大小, and the online count in 透明标签2.
#pragma once
#include <windows.h>

namespace trr {

// Load step 4: hosts the media player control in 电视播放器 and takes its controls, settings and network
// objects into the program state. A machine without the control still runs the player: the list shows, and
// double-clicks start nothing.
void TakeMediaPlayerObjects(HWND mainWindow);

// 播放暂停 clicked: stop playback, and drop a double-clicked station whose look-up has not answered yet.
void StopPlayback(HWND mainWindow);

// 音量大小 moved by the user: set the media player's volume to `position`.
void ApplyVolume(HWND mainWindow, int position);

// Every tick of 时钟1: start one refresh of the online-user count, unless the label shows something else.
void RefreshOnlineCount(HWND mainWindow);

}  // namespace trr
