// The test set with engines that behave like the instrument (step rounding, own units,
// per-key counts), written through the master control's attributes as a client writes them.
#pragma once

#include "../../support/TestSet.h"
#include "LevelParameter.h"
#include "RFLEVEL_MODE.h"
#include "RUN_STOP_TEST.h"
#include "RfLevelObjects.h"
#include "SimulationObjects.h"

namespace rfbench {

using namespace Velmarin;
using radalt::LockGroup;
using SimEngine = radaltsim::ScEngine_i;

inline std::string FreshRoot() { return FreshTestRoot("rflevel"); }

class Bench : public testset::Bench {
 public:
  explicit Bench(std::vector<int> channels = {1, 2, 3}, std::string root = FreshRoot())
      : testset::Bench({std::move(channels), testset::Stopped(), false, std::move(root)}) {}

  radalt::RfLevelObjects& rf() { return radalt::RfLevel(mc); }
  double EngineValue(int channel, const char* key) { return EngineNumber(channel, key); }
  void Manual(bool coupled) {
    SetInt("RFLVLMODE", radalt::kManualRfLevel);
    SetBool("COUPLEDMANUALRFLVL", coupled);
  }
  // A running simulation, as far as the RF level settings ask.
  void Running(bool on) { mc.Simulation().runStopTest->Attr() = on; }
};

}  // namespace rfbench
