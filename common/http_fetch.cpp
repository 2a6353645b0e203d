#include "common/http_fetch.h"

#include <windows.h>
#include <wininet.h>

#include <memory>
#include <mutex>
#include <thread>

#include "common/scoped_win.h"

namespace trr {
namespace {

// State shared between the caller and the worker that performs the request. The caller may give up at the
// deadline and return; the worker then finishes on its own and the last owner frees this.
struct FetchJob {
  std::mutex lock;
  HINTERNET session = nullptr;  // closed by whoever finishes first, which aborts a blocked call
  bool abandoned = false;
  std::string body;
  ScopedHandle done{CreateEventA(nullptr, TRUE, FALSE, nullptr)};
};

bool StatusIsSuccess(HINTERNET request) {
  DWORD status = 0, size = sizeof(status), index = 0;
  if (!HttpQueryInfoA(request, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size, &index))
    return false;
  return status >= 200 && status <= 299;
}

void RunFetch(const std::shared_ptr<FetchJob>& job, const std::string& url, const FetchTimeouts& timeouts) {
  HINTERNET session = nullptr;
  {
    std::lock_guard<std::mutex> guard(job->lock);
    if (job->abandoned) return;
    session = InternetOpenA("TiroRadio", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
    job->session = session;
  }
  std::string body;
  bool ok = false;
  if (session) {
    DWORD connect = timeouts.connectMs, receive = timeouts.receiveMs;
    InternetSetOptionA(session, INTERNET_OPTION_CONNECT_TIMEOUT, &connect, sizeof(connect));
    InternetSetOptionA(session, INTERNET_OPTION_RECEIVE_TIMEOUT, &receive, sizeof(receive));
    InternetSetOptionA(session, INTERNET_OPTION_SEND_TIMEOUT, &receive, sizeof(receive));
    const DWORD flags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_PRAGMA_NOCACHE |
                        INTERNET_FLAG_NO_UI | INTERNET_FLAG_NO_COOKIES;
    ScopedInternetHandle request(InternetOpenUrlA(session, url.c_str(), nullptr, 0, flags, 0));
    if (request && StatusIsSuccess(request.get())) {
      char buffer[16384];
      for (;;) {
        DWORD got = 0;
        if (!InternetReadFile(request.get(), buffer, sizeof(buffer), &got)) break;
        if (got == 0) {
          ok = true;
          break;
        }
        body.append(buffer, got);
      }
    }
  }
  std::lock_guard<std::mutex> guard(job->lock);
  if (job->session) {
    InternetCloseHandle(job->session);
    job->session = nullptr;
  }
  if (ok) job->body = std::move(body);
  SetEvent(job->done.get());
}

}  // namespace

std::string HttpGet(const std::string& url, const FetchTimeouts& timeouts) {
  if (url.empty()) return {};
  auto job = std::make_shared<FetchJob>();
  if (!job->done) return {};
  try {
    std::thread([job, url, timeouts] { RunFetch(job, url, timeouts); }).detach();
  } catch (...) {
    return {};
  }
  if (WaitForSingleObject(job->done.get(), timeouts.totalMs) == WAIT_OBJECT_0) {
    std::lock_guard<std::mutex> guard(job->lock);
    return std::move(job->body);
  }
  // Past the deadline: closing the session makes the worker's blocked call fail; its result is dropped.
  std::lock_guard<std::mutex> guard(job->lock);
  job->abandoned = true;
  if (job->session) {
    InternetCloseHandle(job->session);
    job->session = nullptr;
  }
  return {};
}

}  // namespace trr
