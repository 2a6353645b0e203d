#include "common/http_fetch.h"

#include <windows.h>
#include <wininet.h>

#include <algorithm>

namespace trr {
namespace {

constexpr DWORD kRequestFlags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_PRAGMA_NOCACHE |
                                INTERNET_FLAG_NO_UI | INTERNET_FLAG_NO_COOKIES;

// The whole-request deadline. Each blocking WinINet call gets at most the time that is left, so no call can
// outlast it by more than the connect phase (a connection made late can still wait one clipped receive time).
class Deadline {
 public:
  explicit Deadline(unsigned totalMs) : start_(GetTickCount64()), totalMs_(totalMs) {}
  bool Passed() const { return GetTickCount64() - start_ >= totalMs_; }
  // `ms`, or what is left of the deadline when that is shorter; at least 1 (0 would mean "no timeout").
  DWORD Clip(unsigned ms) const {
    ULONGLONG used = GetTickCount64() - start_;
    ULONGLONG left = used >= totalMs_ ? 1 : totalMs_ - used;
    return static_cast<DWORD>(std::max<ULONGLONG>(1, std::min<ULONGLONG>(ms, left)));
  }

 private:
  ULONGLONG start_;
  ULONGLONG totalMs_;
};

void SetTimeout(HINTERNET handle, DWORD option, DWORD ms) { InternetSetOptionA(handle, option, &ms, sizeof(ms)); }

bool StatusIsSuccess(HINTERNET request) {
  DWORD status = 0, size = sizeof(status), index = 0;
  if (!HttpQueryInfoA(request, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size, &index))
    return false;
  return status >= 200 && status <= 299;
}

// The announced body length; -1 when the reply announces none (chunked or ended by closing) or an unreadable
// one. Read as text: the numeric form of the query is 32 bits wide.
long long AnnouncedLength(HINTERNET request) {
  char text[32] = "";
  DWORD size = sizeof(text) - 1, index = 0;
  if (!HttpQueryInfoA(request, HTTP_QUERY_CONTENT_LENGTH, text, &size, &index) || size == 0) return -1;
  long long length = 0;
  for (DWORD i = 0; i < size; ++i) {
    if (text[i] < '0' || text[i] > '9' || length > (1LL << 40)) return -1;
    length = length * 10 + (text[i] - '0');
  }
  return length;
}

struct UrlParts {
  std::string host;
  INTERNET_PORT port = 0;
  bool secure = false;
  std::string object;  // path and query
};

// Splits an http or https address; false for anything else.
bool SplitUrl(const std::string& url, UrlParts& parts) {
  URL_COMPONENTSA components = {};
  components.dwStructSize = sizeof(components);
  // Non-zero lengths with null pointers ask for pointers into `url` itself.
  components.dwHostNameLength = components.dwUrlPathLength = components.dwExtraInfoLength = 1;
  if (!InternetCrackUrlA(url.c_str(), static_cast<DWORD>(url.size()), 0, &components)) return false;
  if (components.nScheme != INTERNET_SCHEME_HTTP && components.nScheme != INTERNET_SCHEME_HTTPS) return false;
  if (!components.lpszHostName || components.dwHostNameLength == 0) return false;
  parts.host.assign(components.lpszHostName, components.dwHostNameLength);
  parts.port = components.nPort;
  parts.secure = components.nScheme == INTERNET_SCHEME_HTTPS;
  if (components.lpszUrlPath) parts.object.assign(components.lpszUrlPath, components.dwUrlPathLength);
  if (components.lpszExtraInfo) parts.object.append(components.lpszExtraInfo, components.dwExtraInfoLength);
  if (parts.object.empty()) parts.object = "/";
  return true;
}

// Reads the body of `request` within `limits`; false (and `body` undefined) on any failure.
bool ReadBody(HINTERNET request, const FetchLimits& limits, const Deadline& deadline, std::string& body) {
  const long long announced = AnnouncedLength(request);
  if (announced > static_cast<long long>(limits.maxBytes)) return false;
  if (announced > 0) body.reserve(static_cast<size_t>(announced));
  char buffer[16384];
  for (;;) {
    if (deadline.Passed()) return false;
    SetTimeout(request, INTERNET_OPTION_RECEIVE_TIMEOUT, deadline.Clip(limits.idleMs));
    // Waiting for what has arrived, then reading no more than that, keeps each call to one idle wait: a read of
    // a whole buffer would block for as long as a dripping server keeps sending.
    DWORD available = 0;
    if (!InternetQueryDataAvailable(request, &available, 0, 0)) return false;
    if (available == 0) break;
    DWORD got = 0;
    if (!InternetReadFile(request, buffer, std::min<DWORD>(available, sizeof(buffer)), &got)) return false;
    if (got == 0) break;
    if (got > limits.maxBytes - body.size()) return false;
    body.append(buffer, got);
  }
  // A connection closed before the announced length is a cut body, not a short one.
  return announced < 0 || body.size() == static_cast<size_t>(announced);
}

}  // namespace

HttpSession::HttpSession()
    : session_(InternetOpenA("TiroRadio", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0)) {}

std::string HttpSession::Get(const std::string& url, const FetchLimits& limits) {
  if (!session_) return {};
  try {
    Deadline deadline(limits.totalMs);
    UrlParts parts;
    if (!SplitUrl(url, parts)) return {};
    ScopedInternetHandle connection(InternetConnectA(session_.get(), parts.host.c_str(), parts.port, nullptr,
                                                     nullptr, INTERNET_SERVICE_HTTP, 0, 0));
    if (!connection) return {};
    ScopedInternetHandle request(HttpOpenRequestA(connection.get(), "GET", parts.object.c_str(), nullptr, nullptr,
                                                  nullptr, kRequestFlags | (parts.secure ? INTERNET_FLAG_SECURE : 0),
                                                  0));
    if (!request) return {};
    // Set on the request itself: WinINet here ignores send and receive timeouts given to the session.
    SetTimeout(request.get(), INTERNET_OPTION_CONNECT_TIMEOUT, deadline.Clip(limits.connectMs));
    SetTimeout(request.get(), INTERNET_OPTION_SEND_TIMEOUT, deadline.Clip(limits.idleMs));
    SetTimeout(request.get(), INTERNET_OPTION_RECEIVE_TIMEOUT, deadline.Clip(limits.idleMs));
    if (!HttpSendRequestA(request.get(), nullptr, 0, nullptr, 0) || !StatusIsSuccess(request.get())) return {};
    std::string body;
    if (!ReadBody(request.get(), limits, deadline, body)) return {};
    return body;
  } catch (...) {
    // Only allocation can throw here; whatever was read is dropped with the request.
    return {};
  }
}

std::string HttpGet(const std::string& url, const FetchLimits& limits) {
  HttpSession session;
  return session.Get(url, limits);
}

}  // namespace trr
