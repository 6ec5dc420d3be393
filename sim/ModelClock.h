// A model's clock: a thread that calls step(seconds since the last call) once per period
// until it is stopped. A period of zero starts no thread (the model then moves only when
// told).
#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

namespace radaltsim {

class ModelClock {
 public:
  ModelClock() = default;
  ~ModelClock() { Stop(); }
  ModelClock(const ModelClock&) = delete;
  ModelClock& operator=(const ModelClock&) = delete;

  void Start(std::chrono::milliseconds period, std::function<void(double)> step) {
    if (period.count() > 0) thread_ = std::thread([this, period, step] { Run(period, step); });
  }
  // Ends the thread for good; a step under way finishes first.
  void Stop() {
    {
      std::lock_guard<std::mutex> hold(mutex_);
      stop_ = true;
    }
    wake_.notify_all();
    if (thread_.joinable()) thread_.join();
  }

 private:
  void Run(std::chrono::milliseconds period, const std::function<void(double)>& step) {
    using Clock = std::chrono::steady_clock;
    Clock::time_point last = Clock::now();
    std::unique_lock<std::mutex> hold(mutex_);
    while (!wake_.wait_for(hold, period, [this] { return stop_; })) {
      const Clock::time_point now = Clock::now();
      const double seconds = std::chrono::duration<double>(now - last).count();
      last = now;
      hold.unlock();
      step(seconds);
      hold.lock();
    }
  }

  std::mutex mutex_;
  std::condition_variable wake_;
  bool stop_ = false;
  std::thread thread_;
};

}  // namespace radaltsim
