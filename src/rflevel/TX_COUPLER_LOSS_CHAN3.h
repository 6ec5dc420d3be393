// Channel 3's transmit coupler loss ("CH3TXCOUPLOSS").
#pragma once

#include "PathLossParameter.h"
#include "Keys.h"

class TX_COUPLER_LOSS_CHAN3 : public radalt::PathLossParameter {
 public:
  TX_COUPLER_LOSS_CHAN3(STpersistance* store, Velmarin::ItemNamer& namer, MY_GUIABLE_i& gui, radalt::Core* mc,
                        Velmarin::Lockable_i& settings)
      : PathLossParameter(radalt::PathRole::TxCoupler, 3, radalt::key::CH3TXCOUPLOSS, store, namer, gui, mc, settings) {}

  void TxCouplerLossChan3Callback(const VALUE_DOUBLE::VALUE& value) { Callback(value); }
  void RecallTxCouplerLossChan3() { Recall(); }
  bool TxCouplerLossChan3SetValue(const VALUE_DOUBLE::VALUE& value) { return SetValue(value); }
  Velmarin::EngineAttribValueDouble_ptr TxCouplerLossChan3() { return Reference(); }
};
