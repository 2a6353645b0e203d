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
// keeps at most kMaxAbandonedRequests requests given up on alive at once, each on a worker of its own.
#pragma once
#include <array>
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
// second, the contract above), a redirect that `redirects` refuses (from https to http always). Never served
// from or written to the WinINet cache. Never throws.
std::string HttpGet(const std::string& url, const FetchLimits& limits, const char* agent = kPlayerAgent,
                    RequestSent onSent = {}, const RedirectRule& redirects = RedirectRule());

// Requests given up at their deadline that a session keeps alive at once, at most.
constexpr size_t kMaxAbandonedRequests = 2;

// Repeated fetches by one caller (used by one thread at a time). Each request has its own try and deadline,
// whatever the one before did: one given up at its deadline goes on alone on its worker, and the next request
// runs on another. While `maxAbandoned` of them still run, the next request waits for one to end, up to its own
// deadline (and fails unsent when none ends by then), so a session never holds more than maxAbandoned + 1
// worker threads. The workers are made as needed and end (not waited for) once the session is gone and their
// last request is over.
class HttpSession {
 public:
  // `maxAbandoned` is 1 or kMaxAbandonedRequests (a value outside is taken as the nearer of the two).
  explicit HttpSession(const char* agent = kPlayerAgent, const RedirectRule& redirects = RedirectRule(),
                       size_t maxAbandoned = kMaxAbandonedRequests);
  ~HttpSession();
  HttpSession(const HttpSession&) = delete;
  HttpSession& operator=(const HttpSession&) = delete;

  // As HttpGet, with the session's agent and redirect rule.
  std::string Get(const std::string& url, const FetchLimits& limits);

  // The session's requests given up at their deadline that still run on their workers.
  size_t Abandoned() const;

  struct Request;  // one request, shared by its caller and its worker

 private:
  // A worker and the request it was last given.
  struct Slot {
    JobWorker worker;
    std::shared_ptr<Request> last;
    bool Busy() const;
  };

  std::string agent_;
  RedirectRule redirects_;
  size_t maxAbandoned_;
  std::array<Slot, kMaxAbandonedRequests + 1> slots_;
};

}  // namespace trr
