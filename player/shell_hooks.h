// The places where channel loading, playback, the online counter and the update check join the player shell.
// Each runs on the window thread at the moment its comment names; until its piece of the player exists it does
// nothing.
#pragma once
#include <windows.h>

#include <string>

namespace trr {

// Posted to the main window when the channel directory has been read or fetched.
constexpr UINT kDirectoryArrivedMessage = WM_APP + 0x120;

// How long the update check lets the directory request go first at most: a directory server that does not
// even accept the connection must not hold the version request for long.
constexpr DWORD kDirectoryHeadStartMs = 500;

// Load step 2: read the channel directory from the cache file, or fetch it when the file is missing, on a
// DirectoryWorker; the list fills when it arrives (OnDirectoryArrived). Returns at once.
void StartChannelDirectory(HWND mainWindow);

// Load step 3: create the channel list inside 图片框, empty until the directory arrives.
void CreateChannels(HWND mainWindow);

// Load step 7, before the update check: waits until the directory request has gone out (or will not), at most
// kDirectoryHeadStartMs, so that the requests leave in their order.
void WaitForDirectoryRequest();

// kDirectoryArrivedMessage: fills the channel list with what the directory job found and keeps the fetched
// reply in the program state.
LRESULT OnDirectoryArrived(HWND mainWindow, WPARAM, LPARAM);

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
