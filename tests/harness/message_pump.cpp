#include "tests/harness/message_pump.h"

#include <windows.h>

namespace trr::test {
namespace {

void DispatchPending() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

}  // namespace

void PumpMessages(unsigned milliseconds) {
  DWORD start = GetTickCount();
  do {
    DispatchPending();
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  } while (GetTickCount() - start < milliseconds);
  DispatchPending();
}

bool PumpUntil(const std::function<bool()>& done, unsigned timeoutMs) {
  DWORD start = GetTickCount();
  for (;;) {
    DispatchPending();
    if (done()) return true;
    if (GetTickCount() - start >= timeoutMs) return done();
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  }
}

}  // namespace trr::test
