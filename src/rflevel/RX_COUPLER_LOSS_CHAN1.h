// Channel 1's receive coupler loss ("CH1RXCOUPLOSS").
#pragma once

#include "PathLossParameter.h"
#include "Keys.h"

class RX_COUPLER_LOSS_CHAN1 : public radalt::PathLossParameter {
 public:
  RX_COUPLER_LOSS_CHAN1(STpersistance* store, Velmarin::ItemNamer& namer, MY_GUIABLE_i& gui, radalt::Core* mc,
                        Velmarin::Lockable_i& settings)
      : PathLossParameter(radalt::PathRole::RxCoupler, 1, radalt::key::CH1RXCOUPLOSS, store, namer, gui, mc, settings) {}

  void RxCouplerLossChan1Callback(const VALUE_DOUBLE::VALUE& value) { Callback(value); }
  void RecallRxCouplerLossChan1() { Recall(); }
  bool RxCouplerLossChan1SetValue(const VALUE_DOUBLE::VALUE& value) { return SetValue(value); }
  Velmarin::EngineAttribValueDouble_ptr RxCouplerLossChan1() { return Reference(); }
};
