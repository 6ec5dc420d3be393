#include "ProfileLegNumber.h"

#include "Core.h"
#include "EngineItems.h"

namespace radalt {

Velmarin::EngineReadingLong_ptr ProfileLegNumber::Reading() {
  const std::string digit = std::to_string(channel_);
  RequireChannelEnabled(*mc_, channel_, LogPrefix("PROFILE_LEG_NUMBER_CHAN" + digit, "ProfileLegNumberChan" + digit),
                        NotEnabledText::kNumbered, BroughtBack::kPasses);
  return Item(mc_->Items(), mc_->GetSingleChannelPtr(channel_), &SCI::_objref_RADALTSC_MAIN_INTERFACE::ProfileLegNumber)
      ._retn();
}

}  // namespace radalt
