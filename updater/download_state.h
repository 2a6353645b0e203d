// What the threads of one download share: the Downloader object (the caller's side), the transfer thread that
// owns every handle and file of the transfer, and the watch that gives the transfer up when its headers do not
// arrive in time. Held by shared_ptr, so whichever of them ends last frees it; none of them waits for another.
#pragma once
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>

#include "common/scoped_win.h"
#include "updater/download_request.h"

namespace trr {

// The part of a transfer up to the end of the reply's headers (an FTP file opened) must be over within this;
// the body then keeps its own idle limit (the request's receive timeout), so a large file on a slow link
// still finishes.
constexpr DWORD kDownloadOpenLimitMs = 10000;

class DownloadState {
 public:
  // Copies of the request's texts: they outlive the caller's. `request` keeps the numbers and the handler.
  DownloadState(const DownloadRequest& request);
  DownloadState(const DownloadState&) = delete;
  DownloadState& operator=(const DownloadState&) = delete;

  std::string source, destination, userName, password, fileTypes;
  DownloadRequest request;  // its texts are null

  // Set by Stop: a transfer that sees it ends at its next step, leaving the installed file as it was.
  bool Stopping() const { return stopping_.load(); }
  HANDLE StopEvent() const { return stopEvent_.get(); }
  // Stops the transfer; once it returns, no event is reported any more. Never waits for the transfer.
  void Stop();

  // The transfer thread's claim on the rest of the transfer once the headers are in: false when the watch has
  // already given it up (the transfer then ends without touching any file or reporting anything).
  bool ClaimOpened();
  // The watch's claim at the open limit: true when the transfer was still opening, which is now given up and
  // the watch reports the failure.
  bool ClaimGivenUp();
  // The transfer thread's claim on the final event: false when the watch gave the transfer up.
  bool ClaimEnd();
  // Signalled once the open phase is over, whichever way.
  HANDLE OpenPhaseOver() const { return openOver_.get(); }
  // Signalled once the transfer thread has closed its handles and files.
  HANDLE TransferDone() const { return transferDone_.get(); }
  void MarkTransferDone() { SetEvent(transferDone_.get()); }

  // Calls the request's handler, unless Stop has been called; the handler must not block.
  void Report(int32_t code, int32_t value);

  // Bytes on disk so far, and the speed over the last speed window.
  void AddReceived(int64_t onDisk);
  int64_t Received() const { return received_.load(); }
  int64_t Speed() const;

 private:
  enum Phase { kOpening, kReceiving, kOver };
  std::atomic<int> phase_{kOpening};
  std::atomic<bool> stopping_{false};
  std::atomic<int64_t> received_{0};
  ScopedHandle stopEvent_, openOver_, transferDone_;
  std::mutex reportLock_;

  struct Sample {
    DWORD tick;
    int64_t bytes;
  };
  static constexpr int kSamples = 64;
  mutable std::mutex sampleLock_;
  Sample samples_[kSamples] = {};
  int sampleCount_ = 0;
  int sampleNext_ = 0;
  DWORD speedWindowMs_ = 1000;
};

}  // namespace trr
