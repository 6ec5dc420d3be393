// Channel 1's transmit coupler loss ("CH1TXCOUPLOSS").
#pragma once

#include "PathLossParameter.h"
#include "Keys.h"

class TX_COUPLER_LOSS_CHAN1 : public radalt::PathLossParameter {
 public:
  TX_COUPLER_LOSS_CHAN1(STpersistance* store, Velmarin::ItemNamer& namer, MY_GUIABLE_i& gui, radalt::Core* mc,
                        Velmarin::Lockable_i& settings)
      : PathLossParameter(radalt::PathRole::TxCoupler, 1, radalt::key::CH1TXCOUPLOSS, store, namer, gui, mc, settings) {}

  void TxCouplerLossChan1Callback(const VALUE_DOUBLE::VALUE& value) { Callback(value); }
  void RecallTxCouplerLossChan1() { Recall(); }
  bool TxCouplerLossChan1SetValue(const VALUE_DOUBLE::VALUE& value) { return SetValue(value); }
  Velmarin::EngineAttribValueDouble_ptr TxCouplerLossChan1() { return Reference(); }
};
