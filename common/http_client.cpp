#include "common/http_client.h"

#include <algorithm>
#include <cstring>

namespace trr {
namespace {

// Passed to WinINet as the request's context while it is sent; read only for the "request sent" notice.
struct SentNotice {
  const std::function<void()>* onSent;
  bool called;
};

void CALLBACK OnRequestStatus(HINTERNET, DWORD_PTR context, DWORD status, LPVOID, DWORD) {
  if (status != INTERNET_STATUS_REQUEST_SENT || !context) return;
  auto* notice = reinterpret_cast<SentNotice*>(context);
  if (notice->called) return;
  notice->called = true;
  try {
    (*notice->onSent)();
  } catch (...) {
    // The notice is a courtesy to the caller; the request goes on.
  }
}

bool IsRedirectStatus(DWORD status) {
  return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

bool SameTextIgnoringCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
    if (x != y) return false;
  }
  return true;
}

// "scheme://host:port" of `url`, the base of an address that starts with "/".
std::string OriginOf(const UrlParts& url) {
  std::string origin = url.scheme == INTERNET_SCHEME_HTTPS ? "https://" : "http://";
  const bool bare6 = url.host.find(':') != std::string::npos && url.host.front() != '[';
  origin += bare6 ? "[" + url.host + "]" : url.host;
  return origin + ":" + std::to_string(url.port);
}

// The Location header of a redirect; empty when it is missing or longer than any address of ours.
std::string LocationOf(HINTERNET request) {
  char text[4096];
  DWORD size = sizeof(text) - 1, index = 0;
  if (!HttpQueryInfoA(request, HTTP_QUERY_LOCATION, text, &size, &index) || size >= sizeof(text)) return {};
  return std::string(text, size);
}

// One request of a GET on the session `reply.session`: connects to `url` and sends, replacing the connection
// and request of a hop before. False, with `error` set, when the request could not be made or sent.
bool SendOneGet(const UrlParts& url, const HttpTimeouts& timeouts, const char* extraHeaders, SentNotice& notice,
                OpenedGet& reply, DWORD& error) {
  reply.request.reset();
  reply.connection.reset();
  reply.connection.reset(InternetConnectA(reply.session.get(), url.host.c_str(), url.port,
                                          url.user.empty() ? nullptr : url.user.c_str(),
                                          url.user.empty() ? nullptr : url.password.c_str(), INTERNET_SERVICE_HTTP,
                                          0, 0));
  if (!reply.connection) {
    error = GetLastError();
    return false;
  }
  const bool secure = url.scheme == INTERNET_SCHEME_HTTPS;
  const bool notify = notice.onSent && *notice.onSent && !notice.called;
  reply.request.reset(HttpOpenRequestA(reply.connection.get(), "GET", url.object.c_str(), nullptr, nullptr, nullptr,
                                       kHttpRequestFlags | (secure ? INTERNET_FLAG_SECURE : 0),
                                       notify ? reinterpret_cast<DWORD_PTR>(&notice) : 0));
  if (!reply.request) {
    error = GetLastError();
    return false;
  }
  ApplyTimeouts(reply.request.get(), timeouts);
  if (notify) InternetSetStatusCallbackA(reply.request.get(), OnRequestStatus);
  const BOOL sent = HttpSendRequestA(reply.request.get(), extraHeaders,
                                     extraHeaders ? static_cast<DWORD>(-1) : 0, nullptr, 0);
  error = sent ? 0 : GetLastError();
  // The notice lives on the caller's stack: no callback may reach it once this call is over.
  if (notify) InternetSetStatusCallbackA(reply.request.get(), nullptr);
  return sent != FALSE;
}

}  // namespace

bool FollowRedirect(const UrlParts& from, const std::string& location, const RedirectRule& rule, UrlParts& to) {
  if (location.empty()) return false;
  // A server sends its Location escaped; anything else is no address of ours.
  for (char c : location)
    if (static_cast<unsigned char>(c) <= 0x20 || static_cast<unsigned char>(c) >= 0x7F || c == '\\') return false;
  std::string target;
  const size_t colon = location.find(':'), pathStart = location.find_first_of("/?#");
  if (colon != std::string::npos && (pathStart == std::string::npos || colon < pathStart)) {
    target = location;  // absolute: its scheme is checked below
  } else if (location.compare(0, 2, "//") == 0) {
    target = (from.scheme == INTERNET_SCHEME_HTTPS ? "https:" : "http:") + location;
  } else if (location[0] == '/') {
    target = OriginOf(from) + location;
  } else {
    const std::string path = from.object.substr(0, from.object.find_first_of("?#"));
    target = OriginOf(from) + path.substr(0, path.rfind('/') + 1) + location;
  }
  if (!SplitUrl(target, to) || !to.user.empty() || !to.password.empty()) return false;
  if (to.scheme != INTERNET_SCHEME_HTTPS && (to.scheme != INTERNET_SCHEME_HTTP || from.scheme == INTERNET_SCHEME_HTTPS))
    return false;
  if (rule.sameHostOnly && !SameTextIgnoringCase(from.host, to.host)) return false;
  return !rule.allowed || rule.allowed(target);
}

std::string AddressText(const UrlParts& url) { return OriginOf(url) + url.object; }

bool SplitUrl(const std::string& url, UrlParts& parts) {
  URL_COMPONENTSA components = {};
  components.dwStructSize = sizeof(components);
  // Non-zero lengths with null pointers ask for pointers into `url` itself, so no part is ever cut short.
  components.dwHostNameLength = components.dwUrlPathLength = components.dwExtraInfoLength = 1;
  components.dwUserNameLength = components.dwPasswordLength = 1;
  if (url.empty() || !InternetCrackUrlA(url.c_str(), static_cast<DWORD>(url.size()), 0, &components)) return false;
  if (components.nScheme != INTERNET_SCHEME_HTTP && components.nScheme != INTERNET_SCHEME_HTTPS &&
      components.nScheme != INTERNET_SCHEME_FTP)
    return false;
  if (!components.lpszHostName || components.dwHostNameLength == 0) return false;
  parts = UrlParts();
  parts.scheme = components.nScheme;
  parts.host.assign(components.lpszHostName, components.dwHostNameLength);
  parts.port = components.nPort;
  if (components.lpszUrlPath) parts.object.assign(components.lpszUrlPath, components.dwUrlPathLength);
  if (components.lpszExtraInfo) parts.object.append(components.lpszExtraInfo, components.dwExtraInfoLength);
  if (parts.object.empty()) parts.object = "/";
  if (components.lpszUserName) parts.user.assign(components.lpszUserName, components.dwUserNameLength);
  if (components.lpszPassword) parts.password.assign(components.lpszPassword, components.dwPasswordLength);
  return true;
}

long long ParseContentLength(std::string_view text) {
  if (text.empty()) return -1;
  long long length = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return -1;
    length = length * 10 + (c - '0');
    if (length > kMaxAnnouncedLength) return -1;
  }
  return length;
}

void ApplyTimeouts(HINTERNET handle, const HttpTimeouts& timeouts) {
  const DWORD options[][2] = {{INTERNET_OPTION_CONNECT_TIMEOUT, timeouts.connectMs},
                              {INTERNET_OPTION_SEND_TIMEOUT, timeouts.sendMs},
                              {INTERNET_OPTION_RECEIVE_TIMEOUT, timeouts.receiveMs}};
  for (const auto& option : options) {
    DWORD value = option[1];
    if (value > 0) InternetSetOptionA(handle, option[0], &value, sizeof(value));
  }
}

DWORD ReplyStatus(HINTERNET request) {
  DWORD status = 0, size = sizeof(status), index = 0;
  if (!HttpQueryInfoA(request, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size, &index)) return 0;
  return status;
}

long long AnnouncedLength(HINTERNET request) {
  char text[32] = "";
  DWORD size = sizeof(text) - 1, index = 0;
  if (!HttpQueryInfoA(request, HTTP_QUERY_CONTENT_LENGTH, text, &size, &index)) return -1;
  return ParseContentLength(std::string_view(text, size < sizeof(text) ? size : 0));
}

DWORD RequestDeadline::Clip(unsigned ms) const {
  const ULONGLONG used = GetTickCount64() - start_;
  const ULONGLONG left = used >= totalMs_ ? 1 : totalMs_ - used;
  return static_cast<DWORD>(std::max<ULONGLONG>(1, std::min<ULONGLONG>(ms, left)));
}

bool ReadArrived(HINTERNET request, const RequestDeadline& deadline, unsigned idleMs, size_t most,
                 std::string& body) {
  if (deadline.Passed()) return false;
  DWORD timeout = deadline.Clip(idleMs);
  InternetSetOptionA(request, INTERNET_OPTION_RECEIVE_TIMEOUT, &timeout, sizeof(timeout));
  DWORD available = 0;
  if (!InternetQueryDataAvailable(request, &available, 0, 0)) return false;
  if (available == 0 || most == 0) return true;
  char buffer[16384];
  DWORD got = 0;
  const DWORD want = static_cast<DWORD>(std::min<size_t>({available, sizeof(buffer), most}));
  if (!InternetReadFile(request, buffer, want, &got)) return false;
  body.append(buffer, got);
  return true;
}

std::string ReplyHeader(HINTERNET request, const char* name) {
  char text[1024];
  if (!name || std::strlen(name) >= sizeof(text)) return {};
  std::strcpy(text, name);
  DWORD size = sizeof(text) - 1, index = 0;
  if (!HttpQueryInfoA(request, HTTP_QUERY_CUSTOM, text, &size, &index) || size >= sizeof(text)) return {};
  return std::string(text, size);
}

bool OpenHttpGet(const UrlParts& url, const char* agent, const HttpTimeouts& timeouts, OpenedGet& reply,
                 DWORD& error, const std::function<void()>* onSent, const RedirectRule& redirects,
                 const char* extraHeaders) {
  reply = OpenedGet();
  error = 0;
  auto fail = [&](DWORD code) {
    error = code ? code : ERROR_INTERNET_INTERNAL_ERROR;
    reply = OpenedGet();
    return false;
  };
  if (url.scheme != INTERNET_SCHEME_HTTP && url.scheme != INTERNET_SCHEME_HTTPS)
    return fail(ERROR_INTERNET_UNRECOGNIZED_SCHEME);
  reply.session.reset(InternetOpenA(agent, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
  if (!reply.session) return fail(GetLastError());
  ApplyTimeouts(reply.session.get(), timeouts);
  SentNotice notice = {onSent, false};
  // WinINet would follow redirects by itself, from https to plain http too, and to any host: each hop is a
  // request of ours, sent only once the rule has accepted its address.
  UrlParts hop = url;
  for (int followed = 0;; ++followed) {
    DWORD sendError = 0;
    if (!SendOneGet(hop, timeouts, extraHeaders, notice, reply, sendError)) return fail(sendError);
    reply.status = ReplyStatus(reply.request.get());
    if (!IsRedirectStatus(reply.status)) break;
    UrlParts next;
    if (followed >= redirects.maxRedirects ||
        !FollowRedirect(hop, LocationOf(reply.request.get()), redirects, next))
      return fail(ERROR_HTTP_REDIRECT_FAILED);
    hop = std::move(next);
  }
  if (reply.status < 200 || reply.status > 299) return fail(reply.status);
  reply.length = AnnouncedLength(reply.request.get());
  reply.address = std::move(hop);
  return true;
}

}  // namespace trr
