// The player's program-wide state: one instance per process, used on the window thread.
#pragma once
#include <windows.h>
#include <ole2.h>
#include <wmp.h>

#include <memory>
#include <string>

#include "common/com_ptr.h"
#include "common/scoped_win.h"
#include "listctrl/group_list.h"
#include "player/counter/online_counter.h"
#include "player/favorites/favorites.h"
#include "player/nowplaying/now_playing_reader.h"
#include "player/playback/media_player_host.h"
#include "player/sources/source_choice.h"

namespace trr {

struct ProgramState {
  std::string cachePath;           // program directory + "\GB.Dat"
  std::string channelListBytes;    // body of the channel-list download, when one was made
  GroupList channelList;           // the station list; its window is created by the channel loader
  std::unique_ptr<SourceChoice> sources;  // which directory fills the list, and its jobs; made by the load steps
  std::unique_ptr<Favorites> favorites;   // the user's own stations and the list's right clicks; after `sources`
  std::unique_ptr<MediaPlayerHost> mediaPlayer;  // 电视播放器's control: made by the load steps, hosted at step 4
  std::unique_ptr<OnlineCounter> onlineCounter;  // made at the first tick of 时钟1
  std::unique_ptr<NowPlayingReader> nowPlaying;  // made at the first station started
  ComPtr<IWMPControls> wmpControls;  // taken from the media player after the main window exists
  ComPtr<IWMPSettings> wmpSettings;
  ComPtr<IWMPNetwork> wmpNetwork;    // held until exit; nothing reads it
  HWND windowHandle = nullptr;     // scratch: the window being shaped
  HRGN windowRegion = nullptr;     // scratch: the region just handed to that window (owned by the window)
  std::string remoteVersionText;   // body of the version file
  std::string currentStationName;  // name of the station last started
  HWND mainWindow = nullptr;
  bool pinned = false;             // main window always on top
  bool folded = false;             // main window shows only its top panel
  bool iconInstalled = false;      // the notification-area icon is in place
};

// The process's state; initialised on first use.
ProgramState& State();

// Puts every member back to its initial value, releasing what it holds.
void ResetState();

}  // namespace trr
