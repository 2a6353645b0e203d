// The one HTTP client layer under every fetch of both programs: the agent names, the request flags, splitting
// addresses, the timeouts set on a request, the status and announced length of a reply, and opening a GET up
// to the end of its headers. These are plain blocking WinINet calls: whoever calls them owns the handles, and
// calls them where a long wait harms nobody (common/http_fetch.h runs them on workers with deadlines, the
// updater's downloader on its transfer thread).
#pragma once
#include <windows.h>
#include <wininet.h>

#include <functional>
#include <string>
#include <string_view>

#include "common/scoped_win.h"

namespace trr {

// The agent names the servers see.
constexpr char kPlayerAgent[] = "TiroRadio";
constexpr char kUpdaterAgent[] = "TiroRadio Updater";

// Every request: never served from or written to the WinINet cache, no dialogs, no cookies, and no redirect
// followed by WinINet itself (OpenHttpGet follows them by its RedirectRule).
constexpr DWORD kHttpRequestFlags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE |
                                    INTERNET_FLAG_PRAGMA_NOCACHE | INTERNET_FLAG_NO_UI | INTERNET_FLAG_NO_COOKIES |
                                    INTERNET_FLAG_NO_AUTO_REDIRECT;

// Bodies this long are never ours; a longer announcement reads as no announcement at all.
constexpr long long kMaxAnnouncedLength = 1LL << 40;

struct UrlParts {
  INTERNET_SCHEME scheme = INTERNET_SCHEME_UNKNOWN;
  std::string host;
  INTERNET_PORT port = 0;
  std::string object;  // path and query; "/" when the address has none
  std::string user;
  std::string password;
};

// Splits an http, https or ftp address with a host; false for anything else.
bool SplitUrl(const std::string& url, UrlParts& parts);

// Which redirects (301, 302, 303, 307, 308) a GET follows. Whatever the rule, a redirect from https to anything
// but https, to an address with a user name, or to one that is no http or https address is refused.
struct RedirectRule {
  int maxRedirects = 5;       // one more is a failure
  bool sameHostOnly = false;  // a redirect to another host name is a failure
  // Another check of each target address, beyond the rule's own; nullptr lets every one through.
  bool (*allowed)(std::string_view url) = nullptr;
};

// The http or https address `url` names, as text ("scheme://host:port/object"; no user name or password).
std::string AddressText(const UrlParts& url);

// Where the redirect from `from` to `location` (the Location header: absolute, "//host/...", "/path" or a path
// relative to `from`'s) leads, when `rule` lets it be followed. False, with `to` undefined, when it does not.
bool FollowRedirect(const UrlParts& from, const std::string& location, const RedirectRule& rule, UrlParts& to);

// The value of a Content-Length header; -1 when it is empty, holds anything but digits or exceeds
// kMaxAnnouncedLength.
long long ParseContentLength(std::string_view text);

// Waits of one request, in milliseconds; 0 leaves the platform's own.
struct HttpTimeouts {
  DWORD connectMs = 0;
  DWORD sendMs = 0;
  DWORD receiveMs = 0;
};

// Sets the timeouts on `handle`. On an HTTP request they must be set on the request itself: WinINet here
// ignores send and receive timeouts given to its session.
void ApplyTimeouts(HINTERNET handle, const HttpTimeouts& timeouts);

// The reply's status code; 0 when it cannot be read.
DWORD ReplyStatus(HINTERNET request);

// The reply's announced body length (read as text: the numeric query is 32 bits wide); -1 when the reply
// announces none (chunked, or ended by closing) or an unreadable one.
long long AnnouncedLength(HINTERNET request);

// A request's deadline, counted from `startTick`. Each blocking WinINet call gets at most the time that is
// left, so a worker given up on also ends soon unless the server holds one call open (trickled headers).
class RequestDeadline {
 public:
  RequestDeadline(ULONGLONG startTick, unsigned totalMs) : start_(startTick), totalMs_(totalMs) {}
  bool Passed() const { return GetTickCount64() - start_ >= totalMs_; }
  // `ms`, or what is left of the deadline when that is shorter; at least 1 (0 would mean "no timeout").
  DWORD Clip(unsigned ms) const;

 private:
  ULONGLONG start_;
  ULONGLONG totalMs_;
};

// Waits (at most `idleMs`, within `deadline`) for bytes of `request`'s body, then appends what has arrived to
// `body`, at most `most` bytes. Reading no more than what has arrived keeps each call to one idle wait: a read
// of a whole buffer would block for as long as a dripping server keeps sending. True with nothing appended at
// the end of the body; false on an error, a silence of `idleMs` or the deadline passed.
bool ReadArrived(HINTERNET request, const RequestDeadline& deadline, unsigned idleMs, size_t most,
                 std::string& body);

// The text of the reply header `name` (the first one of that name); empty when there is none.
std::string ReplyHeader(HINTERNET request, const char* name);

// An HTTP GET whose headers have arrived. Owns its handles; the members close in reverse order, so no handle
// outlives its parent.
struct OpenedGet {
  ScopedInternetHandle session;
  ScopedInternetHandle connection;
  ScopedInternetHandle request;
  DWORD status = 0;
  long long length = -1;  // AnnouncedLength
  UrlParts address;       // the address that answered: the last of the redirects followed
};

// Opens a session named `agent`, connects to an http or https address and sends a GET with kHttpRequestFlags,
// every wait within `timeouts`, follows the redirects that `redirects` allows (each a new request), then reads
// the status and the announced length. Blocks until the headers have arrived: a server that trickles them
// holds it for as long as it trickles. `onSent`, when given, is called on this thread as soon as the first
// request has been written to the connection. False, with `error` set (a Win32 or WinINet error,
// ERROR_HTTP_REDIRECT_FAILED for a refused redirect, or the status outside 200..299), on any failure; `reply`
// then holds nothing. `extraHeaders` ("Name: value\r\n" lines), when given, go with every request of it.
bool OpenHttpGet(const UrlParts& url, const char* agent, const HttpTimeouts& timeouts, OpenedGet& reply,
                 DWORD& error, const std::function<void()>* onSent = nullptr,
                 const RedirectRule& redirects = RedirectRule(), const char* extraHeaders = nullptr);

}  // namespace trr
