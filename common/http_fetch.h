// HTTP GET into memory, within limits the caller states, answered by a deadline whatever the server does.
//
// The contract. A blocking WinINet call cannot be cut short from outside here: closing its handle or lowering
// its timeouts from another thread changes nothing, and asynchronous completion arrives only when the server
// closes. A server that sends its status line and then trickles header bytes keeps HttpSendRequest waiting for
// as long as it trickles, each byte restarting the receive timeout. So every GET runs on a worker thread of its
// own, which owns the request's handles and closes each exactly once, when its call returns. The caller waits
// for the worker until the deadline (`totalMs` from the call) and then stops waiting: it takes the failure path
// (an empty body) within a second of the deadline, and the worker finishes alone. What the two share is held
// by shared_ptr, so nothing dangles whichever ends first. Ending the program never waits for a worker.
//
// A worker given up on keeps its thread until its WinINet call returns. One-off fetches (directory, version
// file, notes) can give up at most one each; a caller that fetches again and again uses an HttpSession, which
// has one worker thread and starts no request while its last one still runs.
#pragma once
#include <cstddef>
#include <functional>
#include <memory>
#include <string>

#include "common/http_client.h"
#include "common/job_worker.h"

namespace trr {

struct FetchLimits {
  size_t maxBytes;     // a longer body is a failure, never a truncated result
  unsigned connectMs;  // to open the connection
  unsigned idleMs;     // between received bytes
  unsigned totalMs;    // for the whole request, however the server delivers: the caller's deadline
};

// Replies of a few lines: the counter page, the version file, the updater's notes.
constexpr FetchLimits kSmallReplyLimits = {64 * 1024, 3000, 3000, 6000};

// Called once the request has been written to the connection, or once it is clear that it never will be (the
// request failed before, or gave up at its deadline first); exactly once, on the request's worker or, when no
// worker could be started, on the calling thread.
using RequestSent = std::function<void()>;

// The body of a GET of the http or https `url`, sent with the agent name `agent`. Empty on any failure: a bad
// address, no connection within connectMs, a status outside 200..299, more than maxBytes, fewer bytes than
// the reply announced, idleMs without a byte, or totalMs passed (the caller then has its answer within a
// second, the contract above). Never served from or written to the WinINet cache. Never throws.
std::string HttpGet(const std::string& url, const FetchLimits& limits, const char* agent = kPlayerAgent,
                    RequestSent onSent = {});

// Repeated fetches by one caller (used by one thread at a time), at most one request alive at a time. The
// requests run one after the other on the session's one worker thread, made at the first request and ended
// (not waited for) once the session is gone and its last request is over.
class HttpSession {
 public:
  explicit HttpSession(const char* agent = kPlayerAgent);
  ~HttpSession();
  HttpSession(const HttpSession&) = delete;
  HttpSession& operator=(const HttpSession&) = delete;

  // As HttpGet. While the session's previous request still runs on its worker (given up at its deadline),
  // empty at once and nothing is sent.
  std::string Get(const std::string& url, const FetchLimits& limits);

  // True while the session's last request still runs on its worker.
  bool Busy() const;

  struct Request;  // one request, shared by its caller and its worker

 private:
  std::string agent_;
  std::shared_ptr<Request> last_;
  JobWorker worker_;  // runs the requests one after the other
};

}  // namespace trr
