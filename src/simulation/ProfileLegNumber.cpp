#include "ProfileLegNumber.h"

#include "Core.h"

namespace radalt {

Velmarin::EngineReadingLong_ptr ProfileLegNumber::Reading() {
  const std::string digit = std::to_string(channel_);
  RequireChannelEnabled(*mc_, channel_, LogPrefix("PROFILE_LEG_NUMBER_CHAN" + digit, "ProfileLegNumberChan" + digit));
  return mc_->GetSingleChannelPtr(channel_)->ProfileLegNumber();
}

}  // namespace radalt
