// One blocking job whose result is handed to a window's thread, on a JobWorker:
//
//   1. On the window thread:  WindowJob<R> job(window, message);  job.Start(work);   (returns at once)
//   2. On the worker:         work() fetches, reads and parses as it likes and ends by itself, within deadlines
//      of its own. When it returns, its result is kept and `message` is posted to `window` (wParam 0, lParam 0).
//   3. On the window thread, in the window's handler of `message`:  job.Take()  gives the result, once.
//
// The work never touches a window. Nothing waits for it: a WindowJob destroyed (or a window closed) before the
// work ends leaves it to finish alone, and its result is dropped with the state both sides share. Work that
// throws counts as work that returned Result().
#pragma once
#include <windows.h>

#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <utility>

#include "common/job_worker.h"

namespace trr {

template <typename Result>
class WindowJob {
 public:
  using Work = std::function<Result()>;

  WindowJob(HWND window, UINT message) : shared_(std::make_shared<Shared>()) {
    shared_->window = window;
    shared_->message = message;
  }
  WindowJob(const WindowJob&) = delete;
  WindowJob& operator=(const WindowJob&) = delete;

  // False (and nothing started) when work was started before, `work` is empty or no thread could be made.
  bool Start(Work work) {
    if (started_ || !work) return false;
    std::shared_ptr<Shared> shared = shared_;
    // One job: the worker's thread ends with it, since the worker is gone by then.
    JobWorker worker;
    started_ = worker.Post([shared, work = std::move(work)] { Run(*shared, work); });
    return started_;
  }

  // The result, the first time it is asked for after the work has returned; nullopt before and after.
  std::optional<Result> Take() {
    std::lock_guard<std::mutex> guard(shared_->lock);
    return std::exchange(shared_->result, std::nullopt);
  }

 private:
  struct Shared {
    HWND window = nullptr;
    UINT message = 0;
    std::mutex lock;
    std::optional<Result> result;
  };

  static void Run(Shared& shared, const Work& work) {
    try {
      Result result;
      try {
        result = work();
      } catch (...) {
        result = Result();
      }
      std::lock_guard<std::mutex> guard(shared.lock);
      shared.result = std::move(result);
    } catch (...) {
      return;  // no memory for the result: nothing is announced
    }
    // The window may be gone by now; the message then goes nowhere and the result is dropped with `shared`.
    PostMessageA(shared.window, shared.message, 0, 0);
  }

  std::shared_ptr<Shared> shared_;  // also held by the work, which may outlive this object
  bool started_ = false;
};

}  // namespace trr
