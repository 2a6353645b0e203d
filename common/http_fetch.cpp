#include "common/http_fetch.h"

#include <windows.h>
#include <wininet.h>

#include <utility>

#include "common/job_worker.h"

namespace trr {

struct HttpSession::Request {
  std::string url;
  FetchLimits limits = {};
  std::string agent;
  RedirectRule redirects;
  RequestSent onSent;
  bool sentCalled = false;  // touched by the worker only, once it runs
  ULONGLONG startTick = 0;
  ScopedHandle done;  // manual-reset event, set by the worker once `body` is final
  std::string body;   // the worker's answer; the caller reads it only after `done`
};

namespace {

using Request = HttpSession::Request;

// Reads the body of `request` within `limits`; false (and `body` undefined) on any failure.
bool ReadBody(HINTERNET request, long long announced, const FetchLimits& limits, const RequestDeadline& deadline,
              std::string& body) {
  if (announced > static_cast<long long>(limits.maxBytes)) return false;
  if (announced > 0) body.reserve(static_cast<size_t>(announced));
  for (;;) {
    const size_t before = body.size();
    if (!ReadArrived(request, deadline, limits.idleMs, limits.maxBytes - body.size() + 1, body)) return false;
    if (body.size() == before) break;
    if (body.size() > limits.maxBytes) return false;
  }
  // A connection closed before the announced length is a cut body, not a short one.
  return announced < 0 || body.size() == static_cast<size_t>(announced);
}

void NoticeSent(Request& request) {
  if (request.sentCalled) return;
  request.sentCalled = true;
  if (!request.onSent) return;
  try {
    request.onSent();
  } catch (...) {
    // A courtesy to the caller; the request's outcome does not depend on it.
  }
}

// The request itself, on its worker: every handle it opens is closed here, when its call has returned.
bool Fetch(Request& request, std::string& body) {
  const RequestDeadline deadline(request.startTick, request.limits.totalMs);
  UrlParts parts;
  if (!SplitUrl(request.url, parts) || parts.scheme == INTERNET_SCHEME_FTP) return false;
  HttpTimeouts timeouts;
  timeouts.connectMs = deadline.Clip(request.limits.connectMs);
  timeouts.sendMs = timeouts.receiveMs = deadline.Clip(request.limits.idleMs);
  const std::function<void()> sent = [&request] { NoticeSent(request); };
  OpenedGet reply;
  DWORD error = 0;
  if (!OpenHttpGet(parts, request.agent.c_str(), timeouts, reply, error, &sent, request.redirects)) return false;
  return ReadBody(reply.request.get(), reply.length, request.limits, deadline, body);
}

void RunWorker(const std::shared_ptr<Request>& request) {
  std::string body;
  bool whole = false;
  try {
    whole = Fetch(*request, body);
  } catch (...) {
    // Only allocation can throw here; whatever was read is dropped with the request.
    whole = false;
  }
  NoticeSent(*request);
  if (whole) request->body = std::move(body);
  SetEvent(request->done.get());
}

// Milliseconds left until `request`'s deadline.
DWORD TimeLeft(const Request& request) {
  const ULONGLONG used = GetTickCount64() - request.startTick;
  return used >= request.limits.totalMs ? 0 : static_cast<DWORD>(request.limits.totalMs - used);
}

// Waits for `request`, started on its worker, until its deadline. Empty on failure or at the deadline.
std::string WaitForAnswer(const std::shared_ptr<Request>& request) {
  if (WaitForSingleObject(request->done.get(), TimeLeft(*request)) != WAIT_OBJECT_0) return {};  // the worker ends alone
  return std::move(request->body);
}

// Runs `request` on a worker of its own and waits for it. Empty on failure or at the deadline.
std::string RunOnNewWorker(const std::shared_ptr<Request>& request) {
  JobWorker worker;  // gone when this returns; a request given up on finishes alone
  if (!request->done || !worker.Post([request] { RunWorker(request); })) {
    NoticeSent(*request);
    return {};
  }
  return WaitForAnswer(request);
}

std::shared_ptr<Request> MakeRequest(const std::string& url, const FetchLimits& limits, const char* agent,
                                     const RedirectRule& redirects, const RequestSent& onSent) {
  auto request = std::make_shared<Request>();
  request->startTick = GetTickCount64();
  request->url = url;
  request->limits = limits;
  request->agent = agent ? agent : kPlayerAgent;
  request->redirects = redirects;
  request->onSent = onSent;
  request->done.reset(CreateEventA(nullptr, TRUE, FALSE, nullptr));
  return request;
}

}  // namespace

std::string HttpGet(const std::string& url, const FetchLimits& limits, const char* agent, RequestSent onSent,
                    const RedirectRule& redirects) {
  std::shared_ptr<Request> request;
  try {
    request = MakeRequest(url, limits, agent, redirects, onSent);
  } catch (...) {
    // No memory for the request: it fails without going out, and says so.
    try {
      if (onSent) onSent();
    } catch (...) {
    }
    return {};
  }
  return RunOnNewWorker(request);
}

bool HttpSession::Slot::Busy() const {
  return last && WaitForSingleObject(last->done.get(), 0) == WAIT_TIMEOUT;
}

HttpSession::HttpSession(const char* agent, const RedirectRule& redirects, size_t maxAbandoned)
    : agent_(agent ? agent : kPlayerAgent),
      redirects_(redirects),
      maxAbandoned_(std::min(std::max<size_t>(maxAbandoned, 1), kMaxAbandonedRequests)) {}

HttpSession::~HttpSession() = default;

size_t HttpSession::Abandoned() const {
  size_t running = 0;
  for (const Slot& slot : slots_) running += slot.Busy() ? 1 : 0;
  return running;
}

std::string HttpSession::Get(const std::string& url, const FetchLimits& limits) {
  std::shared_ptr<Request> request;
  try {
    request = MakeRequest(url, limits, agent_.c_str(), redirects_, RequestSent());
  } catch (...) {
    return {};  // no memory: nothing went out
  }
  if (!request->done) return {};
  // Every request before this one has ended or was given up on. With the most given up on still running, this
  // one waits for one of them to end, within its own deadline.
  for (;;) {
    HANDLE running[kMaxAbandonedRequests + 1];
    DWORD count = 0;
    for (const Slot& slot : slots_)
      if (slot.Busy()) running[count++] = slot.last->done.get();
    if (count < maxAbandoned_) break;
    const DWORD waited = WaitForMultipleObjects(count, running, FALSE, TimeLeft(*request));
    if (waited >= WAIT_OBJECT_0 + count) return {};  // none ended by the deadline: nothing is sent
  }
  for (Slot& slot : slots_) {
    if (slot.Busy()) continue;
    if (!slot.worker.Post([request] { RunWorker(request); })) return {};
    slot.last = request;
    return WaitForAnswer(request);
  }
  return {};
}

}  // namespace trr
