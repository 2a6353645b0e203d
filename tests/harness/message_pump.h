// Running the test thread's message loop while a test waits for windows to react.
#pragma once
#include <functional>

namespace trr::test {

// Dispatches messages for `milliseconds`.
void PumpMessages(unsigned milliseconds);

// Dispatches messages until `done` returns true or `timeoutMs` passes; returns the last value of `done`.
bool PumpUntil(const std::function<bool()>& done, unsigned timeoutMs);

}  // namespace trr::test
