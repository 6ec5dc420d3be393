// Channel 3's transmit cable loss ("CH3TXCBLLOSS").
#pragma once

#include "PathLossParameter.h"
#include "Keys.h"

class TX_CABLE_LOSS_CHAN3 : public radalt::PathLossParameter {
 public:
  TX_CABLE_LOSS_CHAN3(STpersistance* store, Velmarin::ItemNamer& namer, MY_GUIABLE_i& gui, radalt::Core* mc,
                      Velmarin::Lockable_i& settings)
      : PathLossParameter(radalt::PathRole::TxCable, 3, radalt::key::CH3TXCBLLOSS, store, namer, gui, mc, settings) {}

  void TxCableLossChan3Callback(const VALUE_DOUBLE::VALUE& value) { Callback(value); }
  void RecallTxCableLossChan3() { Recall(); }
  bool TxCableLossChan3SetValue(const VALUE_DOUBLE::VALUE& value) { return SetValue(value); }
  Velmarin::EngineAttribValueDouble_ptr TxCableLossChan3() { return Reference(); }
};
