#include "OutputPowerLevel.h"

#include "OUTPUT_POWER_LEVEL_CHAN1.h"
#include "OUTPUT_POWER_LEVEL_CHAN2.h"
#include "OUTPUT_POWER_LEVEL_CHAN3.h"
#include "Core.h"

const char* const OUTPUT_POWER_LEVEL_CHAN1::PersistanceName = "OutputPowerLevelChan1";
const char* const OUTPUT_POWER_LEVEL_CHAN2::PersistanceName = "OutputPowerLevelChan2";
const char* const OUTPUT_POWER_LEVEL_CHAN3::PersistanceName = "OutputPowerLevelChan3";

namespace radalt {

SCI::RADALTSC_MAIN_INTERFACE_var OutputPowerLevel::EngineNow(const std::string&) {
  // The registry refuses a channel without engine with NotConfigured.
  return SCI::RADALTSC_MAIN_INTERFACE::_duplicate(mc_->GetSingleChannelPtr(Channel()));
}

}  // namespace radalt
