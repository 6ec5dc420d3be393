#include "RADALTMC_inhouse_i.h"

#include "Core.h"
#include "platform/Orb.h"

Velmarin::RadAltSingleChannelStateControl::RADALTSC_INHOUSE_INTERFACE_ptr Velmarin_RADALTMC_INHOUSE_INTERFACE_i::Channel1() {
  return mc_->GetSingleChannelInhousePtr(1);
}

Velmarin_RADALTMC_INHOUSE_INTERFACE_i::~Velmarin_RADALTMC_INHOUSE_INTERFACE_i() { Velmarin::DeactivateServant(this); }
