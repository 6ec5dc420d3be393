// Channel 2's transmit cable loss ("CH2TXCBLLOSS").
#pragma once

#include "PathLossParameter.h"
#include "Keys.h"

class TX_CABLE_LOSS_CHAN2 : public radalt::PathLossParameter {
 public:
  TX_CABLE_LOSS_CHAN2(STpersistance* store, Velmarin::ItemNamer& namer, MY_GUIABLE_i& gui, radalt::Core* mc,
                      Velmarin::Lockable_i& settings)
      : PathLossParameter(radalt::PathRole::TxCable, 2, radalt::key::CH2TXCBLLOSS, store, namer, gui, mc, settings) {}

  void TxCableLossChan2Callback(const VALUE_DOUBLE::VALUE& value) { Callback(value); }
  void RecallTxCableLossChan2() { Recall(); }
  bool TxCableLossChan2SetValue(const VALUE_DOUBLE::VALUE& value) { return SetValue(value); }
  Velmarin::EngineAttribValueDouble_ptr TxCableLossChan2() { return Reference(); }
};
