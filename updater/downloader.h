// The download component: transfers one HTTP or FTP address into a file in the background. The data goes into
// "<destination>.part" and replaces the destination only when the whole file has arrived: the transfer ended
// cleanly, an announced size arrived exactly, and a ".exe" destination receives a whole Windows program of the
// updater's own architecture. The file is flushed to disk, checked and renamed over the destination through
// the one handle it was written with. Otherwise the destination stays as it was and the temporary file is
// removed. Events go to the request's handler on a background thread; the handler must not block (the updater
// posts them to its window).
//
// The transfer runs on a thread of its own that owns every WinINet handle and the partial file (see
// updater/download_transfer.h). The part up to the end of the reply's headers must be over within
// kDownloadOpenLimitMs (10 s): a watch reports the failure (event 5, ERROR_INTERNET_TIMEOUT) at that limit
// whatever the server does, and leaves the transfer thread to finish alone. The body then keeps the request's
// idle limit (its receive timeout), so a large file on a slow link still finishes.
#pragma once
#include <cstdint>
#include <memory>
#include <string>

#include "updater/download_request.h"

namespace trr {

class DownloadState;

class Downloader {
 public:
  Downloader() = default;
  ~Downloader();  // releases
  Downloader(const Downloader&) = delete;
  Downloader& operator=(const Downloader&) = delete;

  // Starts the transfer in the background. False (and nothing started, nothing reported) when this object
  // already started one or its threads cannot be made; a bad address or destination is reported through
  // event 5, not here.
  bool Start(const DownloadRequest& request);

  // Bytes written to the destination's temporary file so far.
  int64_t BytesReceived() const;

  // Bytes per second over the last speed window (field 11); 0 before the transfer and once it stalls or ends.
  int64_t Speed() const;

  // Stops a running transfer; no event is reported once this returns. Safe to call more than once. A transfer
  // that is receiving stops after its current block and removes its temporary file; that is waited for at most
  // kReleaseWaitMs. A transfer still waiting for its headers holds no file and is not waited for at all, nor
  // is one whose read waits on a silent server past that time: each ends alone when its call returns,
  // removing its temporary file then (if the process is still running).
  void Release();

  static constexpr unsigned kReleaseWaitMs = 1000;

 private:
  std::shared_ptr<DownloadState> state_;  // also held by the transfer's threads
};

// True when `fileName` ends (ignoring ASCII case) with one of the '|'-separated types of `types`; an empty list
// allows everything.
bool FileTypeAllowed(const std::string& fileName, const std::string& types);

}  // namespace trr
