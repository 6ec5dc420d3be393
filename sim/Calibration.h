// The calibrations of a simulated channel: stepped factory calibrations that prompt the
// operator step by step, the self-running loopback and user calibrations, and the readings
// they show on the way.
#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>

#include "ScItems.h"

namespace radaltsim {

struct CalibrationTiming {
  // How long the instrument takes to complete one step after the command.
  std::chrono::milliseconds step{100};
  // Length of a loopback calibration (its percentage rises over it).
  std::chrono::milliseconds loopback{3000};
  // Length of a user calibration of this channel.
  std::chrono::milliseconds user{1000};
  // Period at which the calibration's clock looks at running work.
  std::chrono::milliseconds tick{20};
};

class CalibrationModel {
 public:
  // Takes over the calibration commands of items.
  CalibrationModel(ItemStore& items, CalibrationTiming timing);
  ~CalibrationModel();
  CalibrationModel(const CalibrationModel&) = delete;
  CalibrationModel& operator=(const CalibrationModel&) = delete;

  // Ends every running calibration, as the abort command does.
  void Abort();
  // Number of steps of each stepped kind (by its start command key), for tests.
  static long TotalSteps(const std::string& startKey);

  // One stepped calibration kind: its command and reading keys.
  struct Stepped;

 private:
  using Lock = std::unique_lock<std::mutex>;
  using Clock = std::chrono::steady_clock;

  // command handlers, each with mutex_ held
  void Start(const Stepped& kind);
  void Step(const Stepped& kind);
  void Save(const Stepped& kind);
  void StartLoopback();
  void StartUser();
  void AbortLocked();

  // Refuses unless nothing calibrates.
  void RequireIdle(const char* what) const;
  // Shows step `step` of kind: its number, prompts and ADC value.
  void ShowStep(const Stepped& kind, long step);
  void Finish(const char* validKey, const char* dateKey);
  void Run();  // the clock
  void Advance();

  ItemStore& items_;
  const CalibrationTiming timing_;
  mutable std::mutex mutex_;
  const Stepped* active_ = nullptr;  // the stepped kind that runs, if any
  bool stepPending_ = false;
  Clock::time_point stepDue_;
  bool loopback_ = false;
  Clock::time_point loopbackStart_;
  bool user_ = false;
  Clock::time_point userDue_;

  std::condition_variable wake_;
  bool stop_ = false;
  std::thread clock_;
};

}  // namespace radaltsim
