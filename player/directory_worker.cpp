#include "player/directory_worker.h"

#include <mutex>
#include <thread>
#include <utility>

namespace trr {

struct DirectoryWorker::Shared {
  HWND window = nullptr;
  UINT message = 0;
  mutable std::mutex lock;
  bool started = false;
  bool finished = false;
  std::optional<DirectoryResult> result;
};

DirectoryWorker::DirectoryWorker(HWND window, UINT message) : shared_(std::make_shared<Shared>()) {
  shared_->window = window;
  shared_->message = message;
}

DirectoryWorker::~DirectoryWorker() = default;

bool DirectoryWorker::Start(Job job) {
  std::lock_guard<std::mutex> guard(shared_->lock);
  if (shared_->started || !job) return false;
  try {
    std::shared_ptr<Shared> shared = shared_;
    std::thread([shared, job = std::move(job)] { RunJob(shared, job); }).detach();
  } catch (...) {
    return false;
  }
  shared_->started = true;
  return true;
}

std::optional<DirectoryResult> DirectoryWorker::Take() {
  std::lock_guard<std::mutex> guard(shared_->lock);
  std::optional<DirectoryResult> taken = std::move(shared_->result);
  shared_->result.reset();
  return taken;
}

bool DirectoryWorker::Finished() const {
  std::lock_guard<std::mutex> guard(shared_->lock);
  return shared_->finished;
}

void DirectoryWorker::RunJob(const std::shared_ptr<Shared>& shared, const Job& job) {
  DirectoryResult result;
  try {
    result = job();
  } catch (...) {
    // Out of memory in the middle of a large directory: an empty list, as after a failed fetch.
    result = DirectoryResult();
  }
  try {
    std::lock_guard<std::mutex> guard(shared->lock);
    shared->result = std::move(result);
    shared->finished = true;
  } catch (...) {
    return;  // the lock could not be taken: nothing is announced, the list stays empty
  }
  // The window may be gone by now; the message then goes nowhere and the result is dropped with `shared`.
  PostMessageA(shared->window, shared->message, 0, 0);
}

}  // namespace trr
