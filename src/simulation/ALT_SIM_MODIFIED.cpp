#include "ALT_SIM_MODIFIED.h"

#include "Core.h"
#include "EngineItems.h"

Velmarin::EngineAttribBoolean_ptr ALT_SIM_MODIFIED::AltSimModified() {
  radalt::RequireChannelEnabled(*mc_, channel_, " ALT_SIM_MODIFIED::AltSimModified", radalt::NotEnabledText::kNumbered,
                                radalt::BroughtBack::kPasses);
  return radalt::Item(mc_->Items(), mc_->GetSingleChannelPtr(channel_), &SCI::_objref_RADALTSC_MAIN_INTERFACE::AltSimModified)
      ._retn();
}
