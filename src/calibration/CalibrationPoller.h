// A background task of a self-running calibration: it refreshes a reading once per period
// until the calibration is over, then ends it. The owner stops and joins it; no poller
// outlives its owner.
#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

namespace radalt {

class CalibrationPoller {
 public:
  // threadName: the name the thread runs under; task: the prefix of its error lines
  // ("CALIBRATION::UserCalTimerTask: ").
  CalibrationPoller(std::string threadName, std::string task);
  ~CalibrationPoller();
  CalibrationPoller(const CalibrationPoller&) = delete;
  CalibrationPoller& operator=(const CalibrationPoller&) = delete;

  // Stops a previous run, then every period runs refresh (its exceptions are written to
  // standard error and the loop goes on) and asks done; when done says so, calls end once and
  // returns. Must not be called from the poller's own thread.
  void Start(std::chrono::microseconds period, std::function<void()> refresh, std::function<bool()> done,
             std::function<void()> end);
  // Ends the loop at its next wait (end is not called) and joins the thread.
  void Stop();

 private:
  void Loop(std::chrono::microseconds period, const std::function<void()>& refresh,
            const std::function<bool()>& done, const std::function<void()>& end);
  // Runs f; writes what it throws to standard error.
  void Guarded(const std::function<void()>& f) const;

  const std::string threadName_;
  const std::string task_;
  std::mutex mutex_;
  std::condition_variable wake_;
  bool stop_ = false;
  std::thread thread_;
};

}  // namespace radalt
