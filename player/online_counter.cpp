#include "player/online_counter.h"

#include <condition_variable>
#include <mutex>
#include <thread>

#include "common/exception_boundary.h"
#include "common/http_fetch.h"
#include "common/server_address.h"

namespace trr {

struct OnlineCounter::Shared {
  Delivery deliver;
  mutable std::mutex lock;
  std::condition_variable wake;
  bool workerStarted = false;  // the worker is started by the first refresh and lives on
  bool requested = false;      // a refresh is asked for and not yet begun
  bool refreshing = false;     // from the request to the end of its refresh
  bool stopping = false;       // the counter is gone: the worker ends after what it was asked for
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

void OnlineCounter::RunWorker(const std::shared_ptr<Shared>& shared) {
  HttpSession session;
  for (;;) {
    {
      std::unique_lock<std::mutex> guard(shared->lock);
      shared->wake.wait(guard, [&] { return shared->requested || shared->stopping; });
      if (!shared->requested) return;
      shared->requested = false;
    }
    std::string text;
    bool done = false;
    try {
      text = RunOneRefresh(session);
      done = true;
    } catch (...) {
      // Only allocation can fail here; the refresh is dropped and the next tick tries again.
    }
    {
      std::lock_guard<std::mutex> guard(shared->lock);
      if (done) shared->latestText = text;
      shared->refreshing = false;
    }
    if (!done || !shared->deliver) continue;
    try {
      shared->deliver(text);
    } catch (...) {
    }
  }
}

OnlineCounter::OnlineCounter(Delivery deliver) : shared_(std::make_shared<Shared>()) {
  shared_->deliver = std::move(deliver);
}

OnlineCounter::OnlineCounter(HWND window, UINT message)
    : OnlineCounter([window, message](const std::string&) { PostMessageA(window, message, 0, 0); }) {}

OnlineCounter::~OnlineCounter() {
  // The worker is not waited for: it finishes the refresh it runs, if any, and ends.
  std::lock_guard<std::mutex> guard(shared_->lock);
  shared_->stopping = true;
  shared_->wake.notify_all();
}

bool OnlineCounter::StartRefresh() {
  std::lock_guard<std::mutex> guard(shared_->lock);
  if (shared_->refreshing) return false;
  if (!shared_->workerStarted) {
    // A worker that throws (it cannot wait any more) leaves the label as it is.
    std::shared_ptr<Shared> shared = shared_;
    if (!StartDetachedThread([shared] { RunWorker(shared); })) return false;
    shared_->workerStarted = true;
  }
  shared_->refreshing = true;
  shared_->requested = true;
  shared_->wake.notify_all();
  return true;
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
