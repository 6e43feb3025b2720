// Waiting for something another process does: a bounded poll. Portable.
#pragma once

#include <chrono>
#include <thread>

namespace testsupport {

constexpr unsigned kPollMs = 20;
// Bounds, not measures: for a whole run of a program of ours, and for a program told to end.
constexpr unsigned kRunWait = 120000;
constexpr unsigned kExitWait = 30000;

// True as soon as condition() holds, false once timeoutMs have passed without it; the condition
// is always asked at least once, and once more at the end of the time.
template <typename Condition>
bool WaitUntil(Condition condition, unsigned timeoutMs) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  for (;;) {
    if (condition()) return true;
    if (std::chrono::steady_clock::now() >= end) return condition();
    std::this_thread::sleep_for(std::chrono::milliseconds(kPollMs));
  }
}

}  // namespace testsupport
