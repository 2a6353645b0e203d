// One blocking job on a thread of its own, its result handed to a window's thread: Start(job) returns at once;
// when the job has returned, its result is kept and `message` is posted to `window`; the window's handler of
// that message takes the result with Take(). Nothing waits for the job: a worker destroyed (or a window closed)
// before the job ends leaves it to finish alone, and its result is dropped with the state both sides share.
// A job that throws counts as one that returned Result().
#pragma once
#include <windows.h>

#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <utility>

namespace trr {

template <typename Result>
class OneJobWorker {
 public:
  using Job = std::function<Result()>;

  OneJobWorker(HWND window, UINT message) : shared_(std::make_shared<Shared>()) {
    shared_->window = window;
    shared_->message = message;
  }
  OneJobWorker(const OneJobWorker&) = delete;
  OneJobWorker& operator=(const OneJobWorker&) = delete;

  // False (and nothing started) when a job was started before or no thread could be made.
  bool Start(Job job) {
    std::lock_guard<std::mutex> guard(shared_->lock);
    if (shared_->started || !job) return false;
    try {
      std::thread([shared = shared_, job = std::move(job)] { Run(shared, job); }).detach();
    } catch (...) {
      return false;
    }
    shared_->started = true;
    return true;
  }

  // The result, the first time it is asked for after the job has returned; nullopt before and after.
  std::optional<Result> Take() {
    std::lock_guard<std::mutex> guard(shared_->lock);
    return std::exchange(shared_->result, std::nullopt);
  }

 private:
  struct Shared {
    HWND window = nullptr;
    UINT message = 0;
    std::mutex lock;
    bool started = false;
    std::optional<Result> result;
  };

  static void Run(const std::shared_ptr<Shared>& shared, const Job& job) {
    try {
      Result result;
      try {
        result = job();
      } catch (...) {
        result = Result();
      }
      std::lock_guard<std::mutex> guard(shared->lock);
      shared->result = std::move(result);
    } catch (...) {
      return;  // nothing leaves the thread; nothing is announced
    }
    PostMessageA(shared->window, shared->message, 0, 0);
  }

  std::shared_ptr<Shared> shared_;
};

}  // namespace trr
