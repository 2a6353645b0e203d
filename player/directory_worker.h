// A station directory read off the window thread. A DirectoryWorker runs one directory job on a thread of its
// own and hands the job's result to the window thread:
//
//   1. On the window thread:  DirectoryWorker worker(window, message);  worker.Start(job);  (returns at once)
//   2. On the worker thread:  job() fetches, reads and parses as it likes, and must end by itself, within
//      deadlines of its own (common/http_fetch.h gives every fetch one). When it returns, its result is kept
//      and `message` is posted to `window` (wParam 0, lParam 0).
//   3. On the window thread, in the window's handler of `message`:  worker.Take()  gives the result, once.
//
// The job never touches a window: the list control and every window are used on the window thread only.
// Nothing waits for a job: destroying the DirectoryWorker, closing the window or ending the program leaves a
// running job to finish alone, and its result is then dropped (the state both sides use is held by
// shared_ptr). A job that throws counts as one that found nothing: an empty result.
//
// One worker runs one job; a second source of stations uses a DirectoryWorker (and a message) of its own.
#pragma once
#include <windows.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "player/channel_document.h"

namespace trr {

// What a directory job found.
struct DirectoryResult {
  std::vector<ChannelGroup> groups;  // what the list shows, in display order; empty: an empty list
  std::string fetchedBytes;          // the reply the job fetched, if it fetched one; empty otherwise
};

class DirectoryWorker {
 public:
  using Job = std::function<DirectoryResult()>;

  // The result's arrival is announced by posting `message` to `window`.
  DirectoryWorker(HWND window, UINT message);
  ~DirectoryWorker();  // never waits for the job
  DirectoryWorker(const DirectoryWorker&) = delete;
  DirectoryWorker& operator=(const DirectoryWorker&) = delete;

  // Starts `job` on a new thread and returns at once. False (and nothing started) when this worker already
  // started a job or no thread could be made.
  bool Start(Job job);

  // The job's result, the first time it is asked for after the job has finished; nullopt before, and after
  // it was taken.
  std::optional<DirectoryResult> Take();

  // True once the job has finished (its result may have been taken since).
  bool Finished() const;

 private:
  struct Shared;
  // The job's thread: runs the job, keeps its result and announces it. Nothing leaves it.
  static void RunJob(const std::shared_ptr<Shared>& shared, const Job& job);

  std::shared_ptr<Shared> shared_;  // also held by the job's thread, which may outlive this object
};

}  // namespace trr
