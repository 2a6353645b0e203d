#include "updater/download_state.h"

#include "common/gbk_text.h"

namespace trr {

DownloadState::DownloadState(const DownloadRequest& given)
    : source(TrimText(given.source ? given.source : "")),
      destination(given.destination ? given.destination : ""),
      userName(given.userName ? given.userName : ""),
      password(given.password ? given.password : ""),
      fileTypes(given.fileTypes ? given.fileTypes : ""),
      request(given),
      stopEvent_(CreateEventA(nullptr, TRUE, FALSE, nullptr)),
      openOver_(CreateEventA(nullptr, TRUE, FALSE, nullptr)),
      transferDone_(CreateEventA(nullptr, TRUE, FALSE, nullptr)) {
  request.source = request.destination = request.userName = request.password = request.fileTypes = nullptr;
  speedWindowMs_ = request.speedWindowMs > 0 ? static_cast<DWORD>(request.speedWindowMs) : 1000;
  AddReceived(0);
}

void DownloadState::Stop() {
  {
    std::lock_guard<std::mutex> guard(reportLock_);
    stopping_ = true;
  }
  SetEvent(stopEvent_.get());
}

bool DownloadState::ClaimOpened() {
  int expected = kOpening;
  bool claimed = phase_.compare_exchange_strong(expected, kReceiving);
  SetEvent(openOver_.get());
  return claimed;
}

bool DownloadState::ClaimGivenUp() {
  int expected = kOpening;
  return phase_.compare_exchange_strong(expected, kOver);
}

bool DownloadState::ClaimEnd() {
  bool claimed = phase_.exchange(kOver) != kOver;
  SetEvent(openOver_.get());
  return claimed;
}

void DownloadState::Report(int32_t code, int32_t value) {
  std::lock_guard<std::mutex> guard(reportLock_);
  if (stopping_ || !request.onEvent) return;
  request.onEvent(code, 0, value, 0, 0);
}

void DownloadState::AddReceived(int64_t bytes) {
  received_.store(bytes);
  std::lock_guard<std::mutex> lock(sampleLock_);
  DWORD now = GetTickCount();
  // One sample per sixteenth of a window keeps 64 slots covering four windows.
  // Within that time the newest sample only takes the new count, so the last one always holds the total.
  if (sampleCount_ > 0) {
    Sample& last = samples_[(sampleNext_ - 1 + kSamples) % kSamples];
    if (now - last.tick < speedWindowMs_ / 16) {
      last.bytes = bytes;
      return;
    }
  }
  samples_[sampleNext_] = {now, bytes};
  sampleNext_ = (sampleNext_ + 1) % kSamples;
  if (sampleCount_ < kSamples) ++sampleCount_;
}

int64_t DownloadState::Speed() const {
  std::lock_guard<std::mutex> lock(sampleLock_);
  if (sampleCount_ == 0) return 0;
  DWORD now = GetTickCount();
  int64_t bytesNow = received_.load();
  // The newest sample at least one window old, or the oldest kept when the transfer is younger than a window.
  const Sample* base = nullptr;
  for (int i = 1; i <= sampleCount_; ++i) {
    const Sample& s = samples_[(sampleNext_ - i + kSamples) % kSamples];
    base = &s;
    if (now - s.tick >= speedWindowMs_) break;
  }
  DWORD elapsed = now - base->tick;
  if (elapsed == 0) return 0;
  return (bytesNow - base->bytes) * 1000 / static_cast<int64_t>(elapsed);
}

}  // namespace trr
