#include "player/online_counter.h"

#include <atomic>
#include <mutex>
#include <thread>

#include "common/http_fetch.h"
#include "common/server_address.h"

namespace trr {

struct OnlineCounter::Shared {
  Delivery deliver;
  std::atomic<bool> refreshing{false};
  mutable std::mutex lock;
  std::string latestText;  // guarded by lock
};

namespace {

std::string RunOneRefresh() {
  const std::string page = CounterServerUrl() + "/fm/count.asp";
  HttpGet(page + "?id=3");
  std::string number = ParseCounterReply(HttpGet(page + "?id=1"));
  HttpGet(page + "?id=3");
  return CounterLabelText(number);
}

}  // namespace

OnlineCounter::OnlineCounter(Delivery deliver) : shared_(std::make_shared<Shared>()) {
  shared_->deliver = std::move(deliver);
}

OnlineCounter::OnlineCounter(HWND window, UINT message)
    : OnlineCounter([window, message](const std::string&) { PostMessageA(window, message, 0, 0); }) {}

OnlineCounter::~OnlineCounter() = default;

bool OnlineCounter::StartRefresh() {
  bool expected = false;
  if (!shared_->refreshing.compare_exchange_strong(expected, true)) return false;
  std::shared_ptr<Shared> shared = shared_;
  try {
    std::thread([shared] {
      std::string text = RunOneRefresh();
      {
        std::lock_guard<std::mutex> guard(shared->lock);
        shared->latestText = text;
      }
      shared->refreshing = false;
      if (shared->deliver) shared->deliver(text);
    }).detach();
  } catch (...) {
    shared_->refreshing = false;
    return false;
  }
  return true;
}

std::string OnlineCounter::LatestText() const {
  std::lock_guard<std::mutex> guard(shared_->lock);
  return shared_->latestText;
}

bool OnlineCounter::IsRefreshing() const { return shared_->refreshing; }

}  // namespace trr
