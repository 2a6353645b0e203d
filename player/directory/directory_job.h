// The built-in directory read or fetched off the window thread: ReadOrFetchDirectory on a WindowJob, whose
// result reaches the window's thread by a message. The window never waits for it; only the update check waits,
// briefly, for its request to have gone out, so that the requests leave in their order.
#pragma once
#include <windows.h>

#include <memory>
#include <optional>
#include <string>

#include "common/scoped_win.h"
#include "common/window_job.h"
#include "player/directory/channel_cache.h"

namespace trr {

class BuiltinDirectoryJob {
 public:
  // The result's arrival is announced by posting `message` to `window`.
  BuiltinDirectoryJob(HWND window, UINT message);
  BuiltinDirectoryJob(const BuiltinDirectoryJob&) = delete;
  BuiltinDirectoryJob& operator=(const BuiltinDirectoryJob&) = delete;

  // Starts ReadOrFetchDirectory(cachePath, url) and returns at once; false when it could not be started.
  bool Start(const std::string& cachePath, const std::string& url);

  // Waits until the directory request has gone out, or will not, at most `ms` milliseconds.
  void WaitForRequest(DWORD ms) const;

  // The job's result, once, after its message; nullopt before and after.
  std::optional<DirectoryResult> Take() { return job_.Take(); }

 private:
  WindowJob<DirectoryResult> job_;
  std::shared_ptr<ScopedHandle> sent_;  // event: the request has gone out (or will not); shared with the job
};

}  // namespace trr
