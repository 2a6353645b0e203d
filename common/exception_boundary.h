// The places no exception may leave: window procedures, timer procedures and thread functions. In practice
// only allocation throws here (a row made when its group is first shown, a refresh started by a timer); each
// boundary turns it into the failure path it has, named by its `failed` value.
#pragma once
#include <thread>
#include <utility>

namespace trr {

// `body()`, or `failed` when it throws.
template <typename Body, typename Result>
Result CatchAll(Body&& body, Result failed) noexcept {
  try {
    return body();
  } catch (...) {
    return failed;
  }
}

// `body()`, doing nothing more when it throws.
template <typename Body>
void CatchAll(Body&& body) noexcept {
  try {
    body();
  } catch (...) {
  }
}

// Starts `body` on a thread of its own that nobody joins; an exception from `body` ends that thread and nothing
// else. False when no thread could be started.
template <typename Body>
bool StartDetachedThread(Body body) noexcept {
  try {
    std::thread([body = std::move(body)]() mutable { CatchAll(body); }).detach();
    return true;
  } catch (...) {
    return false;
  }
}

}  // namespace trr
