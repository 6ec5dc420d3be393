// Waiting in tests for what another thread or process does.
#pragma once

#include <chrono>
#include <thread>

// Polls cond every 5 ms until it holds or the limit (generous, against a hang) passes; the
// answer is cond() at the end.
template <class F>
bool Eventually(F&& cond, std::chrono::milliseconds limit = std::chrono::seconds(20)) {
  const auto end = std::chrono::steady_clock::now() + limit;
  while (std::chrono::steady_clock::now() < end) {
    if (cond()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return cond();
}
