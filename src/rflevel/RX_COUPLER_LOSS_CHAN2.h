// Channel 2's receive coupler loss ("CH2RXCOUPLOSS").
#pragma once

#include "PathLossParameter.h"
#include "Keys.h"

class RX_COUPLER_LOSS_CHAN2 : public radalt::PathLossParameter {
 public:
  RX_COUPLER_LOSS_CHAN2(STpersistance* store, Velmarin::ItemNamer& namer, MY_GUIABLE_i& gui, radalt::Core* mc,
                        Velmarin::Lockable_i& settings)
      : PathLossParameter(radalt::PathRole::RxCoupler, 2, radalt::key::CH2RXCOUPLOSS, store, namer, gui, mc, settings) {}

  void RxCouplerLossChan2Callback(const VALUE_DOUBLE::VALUE& value) { Callback(value); }
  void RecallRxCouplerLossChan2() { Recall(); }
  bool RxCouplerLossChan2SetValue(const VALUE_DOUBLE::VALUE& value) { return SetValue(value); }
  Velmarin::EngineAttribValueDouble_ptr RxCouplerLossChan2() { return Reference(); }
};
