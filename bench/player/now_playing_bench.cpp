// The now-playing reader's cost against the demo server's ICY stream at 128 kbit/s, for metadata intervals of
// 8 KiB and 16 KiB: the bytes the server wrote to the reader per minute (its connections included up to the
// moment the reader hung up) against the stream's own 960 KB a minute, and the time from a title change at the
// server to the title at the window. Needs TRRADIO_BENCH_SERVER (bench/player/now_playing_run.sh).
// Prints BENCH lines.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "common/http_fetch.h"
#include "player/nowplaying/now_playing_reader.h"

namespace {

constexpr UINT kTitleMessage = WM_APP + 1;
constexpr DWORD kRunMs = 150000;
constexpr DWORD kChangeEveryMs = 23000;  // not a multiple of the reader's pause, so the lag varies

std::string Server() {
  char value[256] = "";
  GetEnvironmentVariableA("TRRADIO_BENCH_SERVER", value, sizeof(value));
  return value;
}

std::string Control(const std::string& pathAndQuery) {
  return trr::HttpGet(Server() + "/__control/" + pathAndQuery, trr::kSmallReplyLimits);
}

void Run(size_t metaint) {
  HWND window = CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
  trr::NowPlayingReader reader(window, kTitleMessage);
  Control("reset");
  int change = 0;
  std::string expected = "title-0";
  Control("icytitle?text=" + expected);
  Control("icybytes?reset=1");
  const DWORD start = GetTickCount();
  DWORD changedAt = start;
  std::vector<double> lags;
  reader.Follow(Server() + "/icy/utf8?metaint=" + std::to_string(metaint), "", nullptr);
  std::string shown;
  while (GetTickCount() - start < kRunMs) {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      std::string title;
      if (msg.message == kTitleMessage && reader.TakeTitle(msg.wParam, title) && title != shown) {
        shown = title;
        if (title == expected && change > 0) lags.push_back((GetTickCount() - changedAt) / 1000.0);
      }
    }
    if (GetTickCount() - changedAt >= kChangeEveryMs) {
      expected = "title-" + std::to_string(++change);
      Control("icytitle?text=" + expected);
      changedAt = GetTickCount();
    }
    Sleep(20);
  }
  reader.Stop();
  const double minutes = (GetTickCount() - start) / 60000.0;
  const double written = std::stod("0" + Control("icybytes"));
  const std::string label = std::to_string(metaint / 1024) + "k";
  std::printf("BENCH now_playing_bytes_per_minute_%s %.1f KB\n", label.c_str(), written / 1000 / minutes);
  std::printf("BENCH now_playing_share_of_stream_%s %.2f %%\n", label.c_str(), 100 * written / minutes / 960000);
  std::sort(lags.begin(), lags.end());
  if (!lags.empty()) {
    std::printf("BENCH now_playing_title_lag_median_%s %.1f s\n", label.c_str(), lags[lags.size() / 2]);
    std::printf("BENCH now_playing_title_lag_max_%s %.1f s\n", label.c_str(), lags.back());
  }
  DestroyWindow(window);
}

}  // namespace

int main() {
  if (Server().empty()) {
    std::printf("BENCH now_playing_skipped 1 flag (no TRRADIO_BENCH_SERVER)\n");
    return 0;
  }
  Run(8192);
  Run(16384);
  return 0;
}
