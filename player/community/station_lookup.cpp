#include "player/community/station_lookup.h"

#include <mutex>
#include <optional>
#include <utility>

namespace trr {

struct StationLookup::Shared {
  HWND window = nullptr;
  UINT message = 0;
  Resolve resolve;
  std::mutex lock;
  unsigned long long latest = 0;  // number of the newest request
  std::optional<std::pair<CommunityPick, std::string>> answer;  // the newest request's station and address
};

void StationLookup::Run(Shared& shared, unsigned long long number, CommunityPick& pick, const std::string& server) {
  std::string address;
  try {
    address = shared.resolve(pick.uuid, server);
  } catch (...) {
    // Only allocation can fail here: the listing's address stands in.
  }
  if (address.empty()) address = pick.fallbackAddress;
  {
    std::lock_guard<std::mutex> guard(shared.lock);
    if (number != shared.latest) return;  // overtaken by a newer double-click
    shared.answer.emplace(std::move(pick), std::move(address));
  }
  PostMessageA(shared.window, shared.message, 0, 0);
}

StationLookup::StationLookup(HWND window, UINT message, Resolve resolve) : shared_(std::make_shared<Shared>()) {
  shared_->window = window;
  shared_->message = message;
  shared_->resolve = std::move(resolve);
}

StationLookup::~StationLookup() { Cancel(); }

void StationLookup::Cancel() {
  std::lock_guard<std::mutex> guard(shared_->lock);
  ++shared_->latest;
  shared_->answer.reset();
}

bool StationLookup::Request(CommunityPick pick, std::string server) {
  unsigned long long number = 0;
  {
    std::lock_guard<std::mutex> guard(shared_->lock);
    number = ++shared_->latest;
    shared_->answer.reset();
  }
  std::shared_ptr<Shared> shared = shared_;
  return worker_.Post([shared, number, pick = std::move(pick), server = std::move(server)]() mutable {
    Run(*shared, number, pick, server);
  });
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
