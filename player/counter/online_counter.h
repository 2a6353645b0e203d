// The online-user count shown in 透明标签2. A refresh runs on the counter's one long-lived worker thread: three
// GETs of the counter page (id=3, id=1, id=3, in that order, each made even when an earlier one failed, each
// within kSmallReplyLimits) through one HttpSession; the number of the id=1 reply becomes the label text. The
// worker never touches a window: it keeps the text and hands it on by a posted message, so the window's own
// thread writes the label. At most one refresh runs at a time, and the session keeps at most one request it
// gave up on at its deadline alive (the next request waits for it within its own deadline, and fails without
// going out when it does not end), so a hanging or trickling counter server holds at most the worker and two
// requests' threads.
#pragma once
#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "common/job_worker.h"
#include "player/counter/counter_reply.h"

namespace trr {

// Posted to the main window when an online-count refresh has ended.
constexpr UINT kCounterTextMessage = WM_APP + 0x133;

class OnlineCounter {
 public:
  // Runs on the worker thread at the end of each refresh with the new label text. It must only post the text
  // to the window's thread (for example with PostMessage), never touch a window itself.
  using Delivery = std::function<void(const std::string& labelText)>;

  explicit OnlineCounter(Delivery deliver);
  // Each finished refresh posts `message` (wParam 0, lParam 0) to `window`, whose thread reads LatestText().
  OnlineCounter(HWND window, UINT message);
  ~OnlineCounter();
  OnlineCounter(const OnlineCounter&) = delete;
  OnlineCounter& operator=(const OnlineCounter&) = delete;

  // Hands one refresh to the worker and returns at once. False (and nothing started) while an earlier refresh
  // is still running, or when the worker could not take it.
  bool StartRefresh();

  // Label text of the last finished refresh; empty before the first has finished.
  std::string LatestText() const;

  // True from a started refresh to its end.
  bool IsRefreshing() const;

 private:
  struct Shared;
  // One refresh, on the worker: the three requests, then the text kept and handed on.
  static void Refresh(Shared& shared);

  std::shared_ptr<Shared> shared_;  // also held by a running refresh, which may outlive this object
  JobWorker worker_;
};

}  // namespace trr
