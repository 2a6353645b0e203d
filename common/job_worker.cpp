#include "common/job_worker.h"

#include <condition_variable>
#include <deque>
#include <mutex>
#include <utility>

#include "common/exception_boundary.h"

namespace trr {

struct JobWorker::Shared {
  Pending pending = Pending::Queue;
  std::mutex lock;
  std::condition_variable wake;
  std::deque<Job> jobs;     // posted, not yet begun
  bool threadStarted = false;
  bool running = false;     // a job is running on the thread
  bool stopping = false;    // the worker is gone: the thread ends once the jobs posted are done
};

namespace {

void RunThread(const std::shared_ptr<JobWorker::Shared>& shared) {
  for (;;) {
    JobWorker::Job job;
    {
      std::unique_lock<std::mutex> guard(shared->lock);
      shared->running = false;
      shared->wake.wait(guard, [&] { return !shared->jobs.empty() || shared->stopping; });
      if (shared->jobs.empty()) return;  // stopping, and nothing left to do
      job = std::move(shared->jobs.front());
      shared->jobs.pop_front();
      shared->running = true;
    }
    CatchAll(job);
  }
}

}  // namespace

JobWorker::JobWorker(Pending pending) : shared_(std::make_shared<Shared>()) { shared_->pending = pending; }

JobWorker::~JobWorker() {
  CatchAll([&] {
    std::lock_guard<std::mutex> guard(shared_->lock);
    shared_->stopping = true;
  });
  shared_->wake.notify_all();
}

bool JobWorker::Post(Job job) {
  if (!job) return false;
  return CatchAll(
      [&] {
        std::lock_guard<std::mutex> guard(shared_->lock);
        if (!shared_->threadStarted) {
          std::shared_ptr<Shared> shared = shared_;
          if (!StartDetachedThread([shared] { RunThread(shared); })) return false;
          shared_->threadStarted = true;
        }
        if (shared_->pending == Pending::NewestWins) shared_->jobs.clear();
        shared_->jobs.push_back(std::move(job));
        shared_->wake.notify_all();
        return true;
      },
      false);
}

bool JobWorker::Busy() const {
  std::lock_guard<std::mutex> guard(shared_->lock);
  return shared_->running || !shared_->jobs.empty();
}

}  // namespace trr
