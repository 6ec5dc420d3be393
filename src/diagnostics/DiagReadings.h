// The diagnostic readings of channel 1's engine (received power, loopback and passthrough
// power and spectrum), handed out as the engine's own reading objects while channel 1 is
// enabled.
#pragma once

#include "ChannelReading.h"

#define RADALT_DIAG_READING(CLASS, GETTER, ITEM)                                                         \
  class CLASS : public radalt::ChannelReading<Velmarin::EngineReadingValueDouble_ptr> {                  \
   public:                                                                                               \
    explicit CLASS(radalt::Core* mc)                                                                     \
        : ChannelReading(mc, 1, #CLASS, #GETTER,                                                         \
                         &radalt::FetchOp<&radalt::SCI::_objref_RADALTSC_MAIN_INTERFACE::ITEM>) {}      \
    virtual Velmarin::EngineReadingValueDouble_ptr GETTER() { return Fetch(); }                          \
  };

RADALT_DIAG_READING(DIAG_RX_POWER, DiagRxPower, DiagRxPower)
RADALT_DIAG_READING(DiagLoopbackPower, DiagLoopbackPowerAccess, DiagLoopbackPower)
RADALT_DIAG_READING(DiagLoopbackSPA, DiagLoopbackSPAAccess, DiagLoopbackSPA)
RADALT_DIAG_READING(DiagPassthruPower, DiagPassthruPowerAccess, DiagPassthruPower)
RADALT_DIAG_READING(DiagPassthruSPA, DiagPassthruSPAAccess, DiagPassthruSPA)

#undef RADALT_DIAG_READING
