// Channel 2's transmit coupler loss ("CH2TXCOUPLOSS").
#pragma once

#include "PathLossParameter.h"
#include "Keys.h"

class TX_COUPLER_LOSS_CHAN2 : public radalt::PathLossParameter {
 public:
  TX_COUPLER_LOSS_CHAN2(STpersistance* store, Velmarin::ItemNamer& namer, MY_GUIABLE_i& gui, radalt::Core* mc,
                        Velmarin::Lockable_i& settings)
      : PathLossParameter(radalt::PathRole::TxCoupler, 2, radalt::key::CH2TXCOUPLOSS, store, namer, gui, mc, settings) {}

  void TxCouplerLossChan2Callback(const VALUE_DOUBLE::VALUE& value) { Callback(value); }
  void RecallTxCouplerLossChan2() { Recall(); }
  bool TxCouplerLossChan2SetValue(const VALUE_DOUBLE::VALUE& value) { return SetValue(value); }
  Velmarin::EngineAttribValueDouble_ptr TxCouplerLossChan2() { return Reference(); }
};
