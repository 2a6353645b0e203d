// The look-up of a community station's stream address when its row is double-clicked, on a worker thread of
// its own so that the window never waits for the network. The worker asks for the address and posts a message
// to the window; the window's thread then takes the answer and plays it. A newer request replaces one that has
// not begun, and the answer of a request that a newer one overtook is dropped: the last double-click wins.
#pragma once
#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "common/job_worker.h"
#include "player/community/community_list.h"

namespace trr {

class StationLookup {
 public:
  // Runs on the worker: the stream address of station `uuid` asked of `server`; empty when there is none.
  using Resolve = std::function<std::string(const std::string& uuid, const std::string& server)>;

  // Each answer posts `message` (wParam 0, lParam 0) to `window`.
  StationLookup(HWND window, UINT message, Resolve resolve);
  // The worker is not waited for: it finishes the look-up it runs, if any, drops it and ends.
  ~StationLookup();
  StationLookup(const StationLookup&) = delete;
  StationLookup& operator=(const StationLookup&) = delete;

  // Hands the look-up of `pick` (asked of `server`, a base address or empty) to the worker and returns at once.
  // False when the worker could not take it.
  bool Request(CommunityPick pick, std::string server);

  // Drops the answer of every request made so far, waiting or still to come.
  void Cancel();

  // On the window's thread, after the message: the newest request's station and the address to play (the
  // looked-up one, else the listing's). False when no answer is waiting, or the request was overtaken.
  bool TakeAnswer(CommunityPick& pick, std::string& address);

 private:
  struct Shared;
  // On the worker: looks `pick` up and keeps the answer unless a newer request overtook it.
  static void Run(Shared& shared, unsigned long long number, CommunityPick& pick, const std::string& server);

  std::shared_ptr<Shared> shared_;  // also held by the jobs, which may outlive this object
  JobWorker worker_{JobWorker::Pending::NewestWins};
};

}  // namespace trr
