#include "updater/downloader.h"

#include <windows.h>
#include <wininet.h>

#include <thread>

#include "common/exception_boundary.h"
#include "common/gbk_text.h"
#include "updater/download_state.h"
#include "updater/download_transfer.h"

namespace trr {
namespace {

// Gives the transfer up when its open phase is not over by kDownloadOpenLimitMs: the caller hears of the
// failure then, whatever the server does, and the transfer thread finishes alone.
void WatchOpenPhase(const std::shared_ptr<DownloadState>& state) {
  HANDLE events[] = {state->OpenPhaseOver(), state->StopEvent()};
  if (WaitForMultipleObjects(2, events, FALSE, kDownloadOpenLimitMs) == WAIT_TIMEOUT && state->ClaimGivenUp())
    state->Report(kDownloadFailed, ERROR_INTERNET_TIMEOUT);
}

}  // namespace

bool FileTypeAllowed(const std::string& fileName, const std::string& types) {
  if (types.empty()) return true;
  for (const std::string& type : SplitText(types, "|")) {
    if (type.empty() || type.size() > fileName.size()) continue;
    if (FindIgnoringAsciiCase(fileName, type, fileName.size() - type.size()) == fileName.size() - type.size())
      return true;
  }
  return false;
}

Downloader::~Downloader() { Release(); }

bool Downloader::Start(const DownloadRequest& request) {
  if (state_) return false;
  std::shared_ptr<DownloadState> state;
  try {
    state = std::make_shared<DownloadState>(request);
  } catch (...) {
    return false;
  }
  if (!state->StopEvent() || !state->OpenPhaseOver() || !state->TransferDone()) return false;
  // The watch first: a transfer must never run without its open limit.
  try {
    std::thread([state] { CatchAll([&] { WatchOpenPhase(state); }); }).detach();
  } catch (...) {
    return false;
  }
  try {
    std::thread([state] { RunTransfer(state); }).detach();
  } catch (...) {
    state->Stop();  // ends the watch
    return false;
  }
  state_ = std::move(state);
  return true;
}

int64_t Downloader::BytesReceived() const { return state_ ? state_->Received() : 0; }

int64_t Downloader::Speed() const { return state_ ? state_->Speed() : 0; }

void Downloader::Release() {
  if (!state_) return;
  state_->Stop();
  // Still opening (the open phase is over only once the transfer claimed it): no file to remove, so no wait.
  // The transfer sees the stop before it would make one.
  if (WaitForSingleObject(state_->OpenPhaseOver(), 0) != WAIT_OBJECT_0) return;
  WaitForSingleObject(state_->TransferDone(), kReleaseWaitMs);
}

}  // namespace trr
