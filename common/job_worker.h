// The one worker type of both programs: a thread that runs posted jobs one at a time.
//
//   JobWorker worker(JobWorker::Pending::Queue);   // or NewestWins
//   worker.Post([shared] { ...blocking work...; PostMessage(window, done, 0, 0); });   // returns at once
//
// The thread is started by the first Post and lives until the worker is gone. With Queue, jobs run in the
// order they were posted; with NewestWins, a job posted while an earlier one waits (not yet begun) replaces
// it, so a burst of requests costs one run. A job owns what it needs (by value or shared_ptr): it may outlive
// the worker and whoever posted it.
//
// The stop never waits: destroying the worker returns at once, and the thread ends alone once it has done the
// jobs posted before, the one that is running included (it may be blocked in a platform call). A job whose
// result nobody wants any more checks that itself (a number that a newer request overtook, say). Nothing a
// job throws leaves the thread; the job just ends there.
#pragma once
#include <functional>
#include <memory>

namespace trr {

class JobWorker {
 public:
  enum class Pending {
    Queue,       // every posted job runs, in order
    NewestWins,  // only the newest of the jobs waiting runs
  };
  using Job = std::function<void()>;

  explicit JobWorker(Pending pending = Pending::Queue);
  ~JobWorker();
  JobWorker(const JobWorker&) = delete;
  JobWorker& operator=(const JobWorker&) = delete;

  // Hands `job` to the thread (started by the first call) and returns at once. False, with nothing posted,
  // when `job` is empty or no thread or memory could be had.
  bool Post(Job job);

  // True from a Post until the thread has finished every job posted so far.
  bool Busy() const;

  struct Shared;  // the queue, shared by the worker and its thread

 private:
  std::shared_ptr<Shared> shared_;
};

}  // namespace trr
