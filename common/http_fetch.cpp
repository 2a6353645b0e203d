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
  if (!OpenHttpGet(parts, request.agent.c_str(), timeouts, reply, error, &sent)) return false;
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

// Waits for `request`, started on its worker, until its deadline. Empty on failure or at the deadline.
std::string WaitForAnswer(const std::shared_ptr<Request>& request) {
  const ULONGLONG used = GetTickCount64() - request->startTick;
  const DWORD left = used >= request->limits.totalMs ? 0 : static_cast<DWORD>(request->limits.totalMs - used);
  if (WaitForSingleObject(request->done.get(), left) != WAIT_OBJECT_0) return {};  // given up: the worker ends alone
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
                                     const RequestSent& onSent) {
  auto request = std::make_shared<Request>();
  request->startTick = GetTickCount64();
  request->url = url;
  request->limits = limits;
  request->agent = agent ? agent : kPlayerAgent;
  request->onSent = onSent;
  request->done.reset(CreateEventA(nullptr, TRUE, FALSE, nullptr));
  return request;
}

}  // namespace

std::string HttpGet(const std::string& url, const FetchLimits& limits, const char* agent, RequestSent onSent) {
  std::shared_ptr<Request> request;
  try {
    request = MakeRequest(url, limits, agent, onSent);
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

HttpSession::HttpSession(const char* agent)
    : agent_(agent ? agent : kPlayerAgent) {}

HttpSession::~HttpSession() = default;

bool HttpSession::Busy() const { return last_ && WaitForSingleObject(last_->done.get(), 0) == WAIT_TIMEOUT; }

std::string HttpSession::Get(const std::string& url, const FetchLimits& limits) {
  if (Busy()) return {};
  try {
    last_ = MakeRequest(url, limits, agent_.c_str(), RequestSent());
    std::shared_ptr<Request> request = last_;
    if (!request->done || !worker_.Post([request] { RunWorker(request); })) {
      last_.reset();
      return {};
    }
  } catch (...) {
    // No memory: nothing went out.
    last_.reset();
    return {};
  }
  return WaitForAnswer(last_);
}

}  // namespace trr
