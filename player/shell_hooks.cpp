#include "player/shell_hooks.h"

namespace trr {

// Empty until the channel loader is joined in.
void LoadChannels(HWND) {}

// Empty until the media player control is hosted in 电视播放器.
void TakeMediaPlayerObjects(HWND) {}

// Empty until the update check is joined in.
void RunUpdateCheck(HWND) {}

// Empty until the online counter is joined in.
void RefreshOnlineCount(HWND) {}

// Empty until playback is joined in.
void StopPlayback(HWND) {}

// Empty until playback is joined in.
void ApplyVolume(HWND, int) {}

// Empty until the list control is joined in.
void ReleaseListControlState() {}

}  // namespace trr
