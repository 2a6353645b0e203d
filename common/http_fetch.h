// HTTP GET through WinINet, within limits the caller states.
#pragma once
#include <cstddef>
#include <string>

#include "common/scoped_win.h"

namespace trr {

struct FetchLimits {
  size_t maxBytes;     // a longer body is a failure, never a truncated result
  unsigned connectMs;  // to open the connection
  unsigned idleMs;     // between received bytes
  unsigned totalMs;    // for the whole request, a trickling server included
};

// Replies of a few lines: the counter page, the version file, the updater's notes.
constexpr FetchLimits kSmallReplyLimits = {64 * 1024, 3000, 3000, 6000};

// One WinINet session, used by one thread at a time. Requests made through the same session share WinINet's
// kept-alive connections, so a caller that asks the same server often keeps one session for its whole life.
// Every handle a request opens is owned and closed by the thread that runs the request, exactly once: the
// deadline is kept by shortening WinINet's own timeouts to the time that is left, never by closing a handle
// from another thread.
class HttpSession {
 public:
  HttpSession();
  HttpSession(const HttpSession&) = delete;
  HttpSession& operator=(const HttpSession&) = delete;

  // The body of a GET of the http or https `url`. Empty on any failure: no session, no connection within
  // connectMs, a status outside 200..299, more than maxBytes, fewer bytes than the reply announced, idleMs
  // without a byte, or totalMs passed. Never served from or written to the WinINet cache. Never throws.
  std::string Get(const std::string& url, const FetchLimits& limits);

 private:
  ScopedInternetHandle session_;
};

// The same through a session of its own. Empty on any failure, as HttpSession::Get.
std::string HttpGet(const std::string& url, const FetchLimits& limits);

}  // namespace trr
