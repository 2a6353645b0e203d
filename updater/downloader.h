// The download component: transfers one HTTP or FTP address into a file on a background thread. The data goes
// into "<destination>.part" and replaces the destination only when the whole file has arrived: the transfer
// ended cleanly, an announced size arrived exactly, and a ".exe" destination receives a whole 32-bit Windows
// program. The file is flushed to disk first and then renamed over the destination in one step. Otherwise the
// destination stays as it was and the temporary file is removed. Events go to the request's handler on the
// worker thread; the handler must not block (the updater posts them to its window).
#pragma once
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>

#include "common/scoped_win.h"
#include "updater/download_request.h"

namespace trr {

class Downloader {
 public:
  Downloader();
  ~Downloader();  // releases
  Downloader(const Downloader&) = delete;
  Downloader& operator=(const Downloader&) = delete;

  // Starts the transfer in the background. False when a transfer was already started or the thread cannot be
  // made; a bad address or destination is reported through event 5, not here.
  bool Start(const DownloadRequest& request);

  // Bytes written to the destination's temporary file so far.
  int64_t BytesReceived() const { return received_.load(); }

  // Bytes per second over the last speed window (field 11); 0 before the transfer and once it stalls or ends.
  int64_t Speed() const;

  // Stops a running transfer (closing its connection), waits for the worker, removes an unfinished temporary
  // file. No event is reported once this returns. Safe to call more than once. A transfer that is receiving
  // data stops after its current block; one waiting on a silent server stops within the receive timeout
  // (field 10), as the platform does not interrupt that wait when its handle is closed.
  void Release();

 private:
  struct Sample {
    DWORD tick;
    int64_t bytes;
  };
  void Run();
  bool Transfer(DWORD& error);
  bool OpenHttp(HINTERNET session, int64_t& size, DWORD& error);
  bool OpenFtp(HINTERNET session, int64_t& size, DWORD& error);
  bool Replace(const std::string& partial, DWORD& error);
  void Report(int32_t code, int32_t value);
  void AddSample(int64_t bytes);
  void CloseConnection();
  bool Keep(HINTERNET handle, HINTERNET& slot);
  void SetTimeouts(HINTERNET handle);

  std::string source_, destination_, userName_, password_, fileTypes_;
  DownloadRequest request_;
  std::thread worker_;
  ScopedHandle stopEvent_;
  std::atomic<bool> stopping_{false};
  std::atomic<int64_t> received_{0};

  // Connection handles, closed by whichever of worker and Release gets there first.
  std::mutex connectionLock_;
  HINTERNET session_ = nullptr;
  HINTERNET connection_ = nullptr;
  HINTERNET file_ = nullptr;

  mutable std::mutex sampleLock_;
  static constexpr int kSamples = 64;
  Sample samples_[kSamples] = {};
  int sampleCount_ = 0;
  int sampleNext_ = 0;
  DWORD speedWindowMs_ = 1000;
};

// True when `fileName` ends (ignoring ASCII case) with one of the '|'-separated types of `types`; an empty list
// allows everything.
bool FileTypeAllowed(const std::string& fileName, const std::string& types);

}  // namespace trr
