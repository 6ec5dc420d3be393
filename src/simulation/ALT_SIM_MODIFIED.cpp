#include "ALT_SIM_MODIFIED.h"

#include "Core.h"

Velmarin::EngineAttribBoolean_ptr ALT_SIM_MODIFIED::AltSimModified() {
  radalt::RequireChannelEnabled(*mc_, channel_, " ALT_SIM_MODIFIED::AltSimModified");
  return mc_->GetSingleChannelPtr(channel_)->AltSimModified();
}
