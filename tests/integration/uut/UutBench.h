// The test set with a UUT to plug in (engine clocks stopped, so a test moves the readings
// itself) and the platform's self-test engine lock.
#pragma once

#include "../../support/TestSet.h"
#include "CALIBRATION.h"

namespace uutbench {

using namespace Velmarin;
using radalt::LockGroup;
using Operation_errors::Locking_Error;
using Operation_errors::Settings_Conflict;

class Bench : public testset::Bench {
 public:
  explicit Bench(std::vector<int> channels, std::string root = FreshTestRoot("uut"))
      : testset::Bench({std::move(channels), testset::Stopped(), true, std::move(root)}) {}
  unsigned CalButtons() { return mc.CalibrationObj()->CalibrationButtonsLocked(); }
};

}  // namespace uutbench
