#include "player/station_lookup.h"

#include <condition_variable>
#include <mutex>
#include <optional>
#include <thread>

#include "common/exception_boundary.h"

namespace trr {

struct StationLookup::Shared {
  HWND window = nullptr;
  UINT message = 0;
  Resolve resolve;
  std::mutex lock;
  std::condition_variable wake;
  bool workerStarted = false;
  bool stopping = false;
  unsigned long long latest = 0;  // number of the newest request
  std::optional<std::pair<CommunityPick, std::string>> pending;  // a request not yet begun, with its server
  std::optional<std::pair<CommunityPick, std::string>> answer;   // the newest request's station and address
};

void StationLookup::RunWorker(const std::shared_ptr<Shared>& shared) {
  for (;;) {
    std::pair<CommunityPick, std::string> request;
    unsigned long long number = 0;
    {
      std::unique_lock<std::mutex> guard(shared->lock);
      shared->wake.wait(guard, [&] { return shared->pending.has_value() || shared->stopping; });
      if (shared->stopping) return;
      request = std::move(*shared->pending);
      shared->pending.reset();
      number = shared->latest;
    }
    std::string address;
    try {
      address = shared->resolve(request.first.uuid, request.second);
    } catch (...) {
      // Only allocation can fail here: the listing's address stands in.
    }
    if (address.empty()) address = request.first.fallbackAddress;
    {
      std::lock_guard<std::mutex> guard(shared->lock);
      if (number != shared->latest || shared->stopping) continue;  // overtaken by a newer double-click
      shared->answer.emplace(std::move(request.first), std::move(address));
    }
    PostMessageA(shared->window, shared->message, 0, 0);
  }
}

StationLookup::StationLookup(HWND window, UINT message, Resolve resolve) : shared_(std::make_shared<Shared>()) {
  shared_->window = window;
  shared_->message = message;
  shared_->resolve = std::move(resolve);
}

StationLookup::~StationLookup() {
  std::lock_guard<std::mutex> guard(shared_->lock);
  shared_->stopping = true;
  shared_->wake.notify_all();
}

bool StationLookup::Request(CommunityPick pick, std::string server) {
  std::lock_guard<std::mutex> guard(shared_->lock);
  if (!shared_->workerStarted) {
    // A worker that throws (it cannot wait any more) plays nothing more.
    std::shared_ptr<Shared> shared = shared_;
    if (!StartDetachedThread([shared] { RunWorker(shared); })) return false;
    shared_->workerStarted = true;
  }
  ++shared_->latest;
  shared_->pending.emplace(std::move(pick), std::move(server));
  shared_->answer.reset();
  shared_->wake.notify_all();
  return true;
}

bool StationLookup::TakeAnswer(CommunityPick& pick, std::string& address) {
  std::lock_guard<std::mutex> guard(shared_->lock);
  if (!shared_->answer) return false;
  pick = std::move(shared_->answer->first);
  address = std::move(shared_->answer->second);
  shared_->answer.reset();
  return true;
}

}  // namespace trr
