#include "player/nowplaying/now_playing_reader.h"

#include <algorithm>
#include <mutex>
#include <utility>

#include "common/gbk_convert.h"
#include "common/scoped_win.h"
#include "player/nowplaying/title_text.h"
#include "common/http_client.h"

namespace trr {

struct NowPlayingReader::Shared {
  HWND window = nullptr;
  UINT message = 0;
  JobWorker tries;             // runs one try at a time; a try given up at its deadline keeps it busy
  std::mutex lock;
  unsigned station = 0;        // number of the station followed; 0: none
  std::string title;           // display text of its latest title
  std::shared_ptr<ScopedHandle> stopStation;  // manual reset: set when the station followed is left
};

namespace {

// The stream's rate in bytes per second: its own word, or a modest guess so that the pause errs long.
double StreamBytesPerSecond(const ProbeResult& result) {
  return (result.bitrateKbps ? result.bitrateKbps : 64) * 1000.0 / 8;
}

// How long to wait after `result`: the reader's bytes, requests and answers' headers included, stay under a
// tenth of the stream's rate. It aims at 8%: a server may have sent more than had arrived when the reader hung
// up.
DWORD PauseAfter(const ProbeResult& result) {
  if (result.outcome != ProbeResult::Outcome::Title) return kRetryPauseMs;
  constexpr double kHeaderBytes = 1000, kShare = 0.08;
  const double trafficMs = (result.bytesReceived + kHeaderBytes) / kShare * 1000.0 / StreamBytesPerSecond(result);
  return static_cast<DWORD>(std::min<double>(kRetryPauseMs, std::max<double>(kTitlePauseMs, trafficMs)));
}

struct TryOutcome {
  std::mutex lock;
  bool done = false;
  ProbeResult result;
  ScopedHandle finished;  // manual reset
};

bool StillFollowing(NowPlayingReader::Shared& shared, unsigned station) {
  std::lock_guard<std::mutex> guard(shared.lock);
  return shared.station == station;
}

// The loop of one station, on the loop worker. Ends as soon as another station is followed or Stop is called.
void FollowStation(const std::shared_ptr<NowPlayingReader::Shared>& shared, unsigned station, std::string url,
                   std::string stationName, ProbeAddressCheck allowed, const std::shared_ptr<ScopedHandle>& stop) {
  while (StillFollowing(*shared, station)) {
    // A try given up at its deadline still holds its connection: wait for the platform to let it go.
    if (shared->tries.Busy()) {
      WaitForSingleObject(stop->get(), 500);
      continue;
    }
    auto outcome = std::make_shared<TryOutcome>();
    outcome->finished.reset(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    const ULONGLONG start = GetTickCount64();
    const bool posted = outcome->finished && shared->tries.Post([outcome, url, allowed, start] {
      ProbeResult result = ProbeStreamTitle(url, allowed, kPlayerAgent, start);
      std::lock_guard<std::mutex> guard(outcome->lock);
      outcome->result = std::move(result);
      outcome->done = true;
      SetEvent(outcome->finished.get());
    });
    ProbeResult result;
    if (posted) {
      const HANDLE events[] = {outcome->finished.get(), stop->get()};
      WaitForMultipleObjects(2, events, FALSE, kProbeDeadlineMs + 500);
      std::lock_guard<std::mutex> guard(outcome->lock);
      if (outcome->done) result = outcome->result;  // otherwise given up: no title
    }
    if (!StillFollowing(*shared, station)) return;
    std::string title = result.outcome == ProbeResult::Outcome::Title
                            ? TitleDisplayText(result.title, stationName, &GbkCharacterOf)
                            : std::string();
    // The look-up address of a built-in station is asked once; later tries go straight to its stream.
    if (!result.streamUrl.empty()) url = result.streamUrl;
    {
      std::lock_guard<std::mutex> guard(shared->lock);
      if (shared->station != station) return;
      shared->title = std::move(title);
    }
    PostMessageA(shared->window, shared->message, station, 0);
    WaitForSingleObject(stop->get(), PauseAfter(result));
  }
}

}  // namespace

NowPlayingReader::NowPlayingReader(HWND window, UINT message) : shared_(std::make_shared<Shared>()) {
  shared_->window = window;
  shared_->message = message;
}

NowPlayingReader::~NowPlayingReader() { Stop(); }

unsigned NowPlayingReader::Follow(const std::string& url, const std::string& stationName, ProbeAddressCheck allowed) {
  Stop();
  UrlParts parts;
  if (!SplitUrl(url, parts) || parts.scheme == INTERNET_SCHEME_FTP) return 0;
  auto stop = std::make_shared<ScopedHandle>(CreateEventA(nullptr, TRUE, FALSE, nullptr));
  if (!*stop) return 0;
  const unsigned station = ++lastStation_ ? lastStation_ : ++lastStation_;
  {
    std::lock_guard<std::mutex> guard(shared_->lock);
    shared_->station = station;
    shared_->title.clear();
    shared_->stopStation = stop;
  }
  // The loop of the station before has been told to end; this one starts after it on the same worker.
  std::shared_ptr<Shared> shared = shared_;
  if (!loop_.Post([shared, station, url, stationName, allowed, stop] {
        FollowStation(shared, station, url, stationName, allowed, stop);
      })) {
    Stop();
    return 0;
  }
  current_ = station;
  return station;
}

void NowPlayingReader::Stop() {
  current_ = 0;
  std::shared_ptr<ScopedHandle> stop;
  {
    std::lock_guard<std::mutex> guard(shared_->lock);
    shared_->station = 0;
    shared_->title.clear();
    stop = std::move(shared_->stopStation);
  }
  if (stop && *stop) SetEvent(stop->get());
}

bool NowPlayingReader::TakeTitle(WPARAM station, std::string& title) {
  std::lock_guard<std::mutex> guard(shared_->lock);
  if (station == 0 || station != shared_->station) return false;
  title = shared_->title;
  return true;
}

}  // namespace trr
