// The song title of the station that plays, in 列表标题 of the header strip: the now-playing reader follows the
// station the user started, from its start until 播放暂停, a stopped or ended medium, or the next station.
// While it has no title (and once it ends) the label shows its own text "频道列表". A long title ends in an
// ellipsis; the whole of it is the label's tooltip, and a click on the label copies it to the clipboard.
#pragma once
#include <windows.h>

#include <string>

#include "ui/layout.h"

namespace trr {

// Posted to the main window by the reader after each of its tries (wParam: the station's number).
constexpr UINT kNowPlayingMessage = WM_APP + 0x140;

// The label's own text, shown whenever no title is.
constexpr char kTitleLabelText[] = "频道列表";

// A station has been handed to the player: the reader follows `url` (community stations under the community
// address rule) in place of the station before.
void FollowStartedStation(HWND mainWindow, const std::string& name, const std::string& url, bool community);

// 播放暂停, or the medium stopped or ended after the start: the reader ends and the label shows its own text.
void StopFollowingStation(HWND mainWindow);

// A play state of the media player: stopped (1) and media ended (8) end the reader.
void NoticePlayStateForTitle(HWND mainWindow, long playState);

// 列表标题 clicked: its title, if it shows one, goes to the clipboard.
void OnTitleLabelClicked(const ui::Event& event);

}  // namespace trr
