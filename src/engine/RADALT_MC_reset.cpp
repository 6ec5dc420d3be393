// Reset: every parameter back to its start-up value through its own callback, so that every
// check, lock and forward rule applies. The steps run over the subsystems in their order.
#include "RADALT_MC.h"

void RADALT_MC::Reset() {
  const int n = EnabledChannels();
  for (radalt::ResetStep step : radalt::kResetSteps) {
    for (auto& subsystem : subsystems_) subsystem->Reset(step);
    if (step != radalt::ResetStep::StopActivities) continue;
    // With everything stopped, the channel engines are reset.
    for (int ch = 1; ch <= 3 && (ch == 1 || ch <= n); ++ch) {
      SCI::RADALTSC_MAIN_INTERFACE_ptr sc = GetSingleChannelPtr(ch);
      sc->ResetState();
      sc->ResetHardware();
    }
  }
}
