// Channel 3's receive coupler loss ("CH3RXCOUPLOSS").
#pragma once

#include "PathLossParameter.h"
#include "Keys.h"

class RX_COUPLER_LOSS_CHAN3 : public radalt::PathLossParameter {
 public:
  RX_COUPLER_LOSS_CHAN3(STpersistance* store, Velmarin::ItemNamer& namer, MY_GUIABLE_i& gui, radalt::Core* mc,
                        Velmarin::Lockable_i& settings)
      : PathLossParameter(radalt::PathRole::RxCoupler, 3, radalt::key::CH3RXCOUPLOSS, store, namer, gui, mc, settings) {}

  void RxCouplerLossChan3Callback(const VALUE_DOUBLE::VALUE& value) { Callback(value); }
  void RecallRxCouplerLossChan3() { Recall(); }
  bool RxCouplerLossChan3SetValue(const VALUE_DOUBLE::VALUE& value) { return SetValue(value); }
  Velmarin::EngineAttribValueDouble_ptr RxCouplerLossChan3() { return Reference(); }
};
