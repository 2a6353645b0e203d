// Hosts the Windows Media Player ActiveX control in place inside one child window of ours (电视播放器) and
// reports its play-state changes. See media_player_host.cpp for what the control expects from its container.
#pragma once
#include <windows.h>
#include <ole2.h>
#include <wmp.h>

#include <functional>
#include <string>

#include "common/com_ptr.h"

namespace trr {

class ControlSite;

class MediaPlayerHost {
 public:
  // Receives the play state (WMPPlayState value) after every play-state change, on the window thread.
  using PlayStateHandler = std::function<void(long playState)>;

  MediaPlayerHost();
  ~MediaPlayerHost();
  MediaPlayerHost(const MediaPlayerHost&) = delete;
  MediaPlayerHost& operator=(const MediaPlayerHost&) = delete;

  // Creates the control filling the client area of `hostWindow`, applies the start settings (ui mode "none",
  // auto start, volume 50, rate 1, play count 1, context menu on, error dialogs off, URL script commands
  // opening no browser (invokeURLs off); a refused setting is skipped) and subscribes to its play-state events. False when the control cannot be created or activated;
  // the host then stays empty and every other call does nothing and reports failure.
  bool Create(HWND hostWindow);

  // Releases the control and its window; safe on a host that was never created.
  void Destroy();

  bool IsCreated() const { return static_cast<bool>(player_); }

  void SetPlayStateHandler(PlayStateHandler handler) { handler_ = std::move(handler); }

  // Writes the control's URL (GBK text); with auto start on, the control opens and plays it. False on failure.
  bool SetUrl(const std::string& url);

  // The control's URL as GBK text; empty on failure.
  std::string Url() const;

  // Stops playback through the control's IWMPControls; false on failure.
  bool Stop();

  // Volume 0..100 through the control's IWMPSettings; false on failure.
  bool SetVolume(long volume);
  // The control's volume; -1 on failure.
  long Volume() const;

  // The state last reported through a play-state change (the control's own reading where it has one);
  // 0 (undefined) before the first.
  long LastPlayState() const { return lastPlayState_; }

  // The control's sub-objects, each a new owned reference; empty when the host is empty.
  ComPtr<IWMPControls> Controls() const;
  ComPtr<IWMPSettings> Settings() const;
  ComPtr<IWMPNetwork> Network() const;

  // Called by the event sink for every PlayStateChange event with the value the event carries.
  void OnPlayStateEvent(long eventValue);

 private:
  class EventSink;

  void ApplyStartSettings();

  HWND hostWindow_ = nullptr;
  ComPtr<IOleObject> oleObject_;
  ComPtr<IWMPPlayer4> player_;
  ControlSite* site_ = nullptr;  // one reference held; the control holds others while attached
  EventSink* sink_ = nullptr;
  ComPtr<IConnectionPoint> eventPoint_;
  DWORD eventCookie_ = 0;
  long lastPlayState_ = 0;
  PlayStateHandler handler_;
};

}  // namespace trr
