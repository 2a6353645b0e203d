#include "player/counter/online_counter.h"

#include <mutex>

#include "common/http_fetch.h"
#include "common/server_address.h"

namespace trr {

struct OnlineCounter::Shared {
  Delivery deliver;
  // Used by the worker's jobs only, one at a time. A refresh follows at the next tick anyway: a counter that
  // does not answer holds one request given up on, and the next waits for it rather than piling up threads.
  HttpSession session{kPlayerAgent, RedirectRule(), 1};
  mutable std::mutex lock;
  bool refreshing = false;  // from the request to the end of its refresh
  std::string latestText;
};

namespace {

// The three requests of one refresh, through the worker's session.
std::string RunOneRefresh(HttpSession& session) {
  const std::string page = CounterServerUrl() + "/fm/count.asp";
  session.Get(page + "?id=3", kSmallReplyLimits);
  std::string number = ParseCounterReply(session.Get(page + "?id=1", kSmallReplyLimits));
  session.Get(page + "?id=3", kSmallReplyLimits);
  return CounterLabelText(number);
}

}  // namespace

void OnlineCounter::Refresh(Shared& shared) {
  std::string text;
  bool done = false;
  try {
    text = RunOneRefresh(shared.session);
    done = true;
  } catch (...) {
    // Only allocation can fail here; the refresh is dropped and the next tick tries again.
  }
  {
    std::lock_guard<std::mutex> guard(shared.lock);
    if (done) shared.latestText = text;
    shared.refreshing = false;
  }
  if (done && shared.deliver) shared.deliver(text);
}

OnlineCounter::OnlineCounter(Delivery deliver) : shared_(std::make_shared<Shared>()) {
  shared_->deliver = std::move(deliver);
}

OnlineCounter::OnlineCounter(HWND window, UINT message)
    : OnlineCounter([window, message](const std::string&) { PostMessageA(window, message, 0, 0); }) {}

// The worker is not waited for: it finishes the refresh it runs, if any, and ends.
OnlineCounter::~OnlineCounter() = default;

bool OnlineCounter::StartRefresh() {
  {
    std::lock_guard<std::mutex> guard(shared_->lock);
    if (shared_->refreshing) return false;
    shared_->refreshing = true;
  }
  std::shared_ptr<Shared> shared = shared_;
  if (worker_.Post([shared] { Refresh(*shared); })) return true;
  // The worker could not take it: the label stays as it is, and the next tick tries again.
  std::lock_guard<std::mutex> guard(shared_->lock);
  shared_->refreshing = false;
  return false;
}

std::string OnlineCounter::LatestText() const {
  std::lock_guard<std::mutex> guard(shared_->lock);
  return shared_->latestText;
}

bool OnlineCounter::IsRefreshing() const {
  std::lock_guard<std::mutex> guard(shared_->lock);
  return shared_->refreshing;
}

}  // namespace trr
