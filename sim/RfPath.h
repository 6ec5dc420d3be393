// The RF path of a simulated channel: output power, loop loss, the path losses and the
// distance offset as the instrument takes them, and its automatic RF level runs.
#pragma once

#include <mutex>
#include <string>

#include "ScItems.h"

namespace radaltsim {

// The automatic runs of the instrument.
enum class AutoRun { RfLevel, LoopLoss, OutputPowerLevelDiff, Count };

class RfPathModel {
 public:
  // Takes over the writes of the RF path items of items.
  explicit RfPathModel(ItemStore& items);
  RfPathModel(const RfPathModel&) = delete;
  RfPathModel& operator=(const RfPathModel&) = delete;

  // One automatic run; refused (Runtime_errors::Generic) while made to fail.
  void Run(AutoRun run);
  // Makes the run named ("AutoRfLevel", "AutoLoopLoss", "AutoOutputPowerLevelDiff") fail, or
  // succeed again. An unknown name is refused with Object_Not_Found.
  void FailAutomatic(const std::string& name, bool fail);

  // The path length the remote fibre module adds to the distance offset, in feet.
  static constexpr double kFibreModuleFeet = 25.0;
  // What the automatic loop-loss run measures beyond the entered path losses, in dB.
  static constexpr double kLoopBaseDb = 42.3;
  // The level the automatic RF level run presents at the unit under test, in dBm.
  static constexpr double kUutLevelDbm = -10.0;

 private:
  // The nearest value on the item's step grid, inside its limits.
  double OnStep(const std::string& key, double v) const;
  void SetOnStep(const std::string& key, double v);
  double MeasuredLoopLoss() const;

  ItemStore& items_;
  std::mutex mutex_;
  bool failing_[static_cast<int>(AutoRun::Count)] = {};
};

// The operation name of a run ("AutoRfLevel", ...), under which its executions are counted.
const char* AutoRunName(AutoRun run);

}  // namespace radaltsim
