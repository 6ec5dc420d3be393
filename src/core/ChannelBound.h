// An object bound to one channel's engine, told when engines come or go.
#pragma once

#include "RadAltSC.hh"

namespace radalt {

class ChannelBound {
 public:
  virtual ~ChannelBound() = default;
  virtual void updateChannelData(unsigned available, unsigned enabled,
                                 Velmarin::RadAltSingleChannelStateControl::RADALTSC_MAIN_INTERFACE_ptr main) = 0;
};

}  // namespace radalt
