// The places where channel loading, playback, the online counter and the update check join the player shell.
// Each runs on the window thread at the moment its comment names; until its piece of the player exists it does
// nothing.
#pragma once
#include <windows.h>

#include <string>

namespace trr {

// Load step 3: create the channel list inside 图片框 and fill it from the cache file.
void LoadChannels(HWND mainWindow);

// Load step 4: take the media player's controls, settings and network objects into the program state.
void TakeMediaPlayerObjects(HWND mainWindow);

// Load step 7: compare the announced version with our own; may hand over to the updater, remove the
// notification-area icon and end the program.
void RunUpdateCheck(HWND mainWindow);

// The same with the updater looked for in `programDirectory` rather than beside the running program.
void RunUpdateCheck(HWND mainWindow, const std::string& programDirectory);

// Every tick of 时钟1: start one refresh of the online-user count.
void RefreshOnlineCount(HWND mainWindow);

// 播放暂停 clicked: stop playback.
void StopPlayback(HWND mainWindow);

// 音量大小 moved by the user: set the media player's volume to `position`.
void ApplyVolume(HWND mainWindow, int position);

// Exit clean-up, last step: release the list control's process-wide state.
void ReleaseListControlState();

}  // namespace trr
