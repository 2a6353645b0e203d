#include "player/directory/directory_job.h"

namespace trr {

BuiltinDirectoryJob::BuiltinDirectoryJob(HWND window, UINT message)
    : job_(window, message), sent_(std::make_shared<ScopedHandle>(CreateEventA(nullptr, TRUE, FALSE, nullptr))) {}

bool BuiltinDirectoryJob::Start(const std::string& cachePath, const std::string& url) {
  std::shared_ptr<ScopedHandle> sent = sent_;
  const bool started = job_.Start([cachePath, url, sent] {
    return ReadOrFetchDirectory(cachePath, url, [sent] { SetEvent(sent->get()); });
  });
  // Nothing will go out: the update check need not wait.
  if (!started && *sent_) SetEvent(sent_->get());
  return started;
}

void BuiltinDirectoryJob::WaitForRequest(DWORD ms) const {
  if (*sent_) WaitForSingleObject(sent_->get(), ms);
}

}  // namespace trr
