// The now-playing reader: follows the station the user started and keeps the latest song title of its stream.
//
// Each try (ProbeStreamTitle) runs on a worker of its own with a deadline; a loop on a second worker starts the
// tries and sleeps between them, and hands every try's title to the window's thread by a posted message. After
// a title it waits long enough that the reader's traffic stays under a tenth of the stream's own rate (at least
// kTitlePauseMs, so a new title shows within about 20 s); after a try without one (no titles, refused, hostile,
// past its deadline) it waits kRetryPauseMs. A try given up at its deadline may still hold its connection in
// the platform; no new try starts until it has let go, so at most one connection is open at any time, and the
// reader never holds more than its two threads.
//
// The window never waits: Follow and Stop return at once, and a title that arrives after Stop or after the
// next Follow is dropped.
#pragma once
#include <windows.h>

#include <memory>
#include <string>

#include "common/job_worker.h"
#include "player/nowplaying/stream_probe.h"

namespace trr {

// Pause after a try that found a title, and after one that did not.
constexpr unsigned kTitlePauseMs = 15000;
constexpr unsigned kRetryPauseMs = 60000;

class NowPlayingReader {
 public:
  // Every try's end posts `message` (wParam: the station's number, lParam 0) to `window`.
  NowPlayingReader(HWND window, UINT message);
  ~NowPlayingReader();  // stops; never waits
  NowPlayingReader(const NowPlayingReader&) = delete;
  NowPlayingReader& operator=(const NowPlayingReader&) = delete;

  // Starts following the stream at `url` (http or https) of the station `stationName`, in place of any station
  // followed before; `allowed` checks the addresses met on the way. Returns the station's number. Addresses of
  // other schemes (mms, rtsp) are not followed: the reader stops and returns 0.
  unsigned Follow(const std::string& url, const std::string& stationName, ProbeAddressCheck allowed);

  // Stops following; the label goes back to its own text.
  void Stop();

  // True while a station is followed.
  bool Following() const { return current_ != 0; }

  // After the message: the display text of the station's latest title (empty: none), and true, when `station`
  // (the message's wParam) is still the one followed; false for a message of a station no longer followed.
  bool TakeTitle(WPARAM station, std::string& title);

  struct Shared;  // what the loop and the window share

 private:
  std::shared_ptr<Shared> shared_;
  JobWorker loop_;    // the loop of the station followed; the loop of the one before ends first
  unsigned current_ = 0;
  unsigned lastStation_ = 0;
};

}  // namespace trr
