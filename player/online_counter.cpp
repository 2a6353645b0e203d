#include "player/online_counter.h"

#include <atomic>
#include <mutex>
#include <thread>

#include "common/gbk_text.h"
#include "common/http_fetch.h"
#include "common/server_address.h"

namespace trr {

std::string ParseCounterReply(std::string_view reply) {
  constexpr std::string_view kMarker = "none>";
  size_t at = reply.find(kMarker);
  if (at == std::string_view::npos) return "0";
  std::string_view tail = reply.substr(at + kMarker.size());
  size_t end = tail.find('<');
  if (end == std::string_view::npos) return "0";
  return std::to_string(TextToInt(tail.substr(0, end)));
}

std::string CounterLabelText(std::string_view number) {
  return "当前在线:" + std::string(number) + "人";
}

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
