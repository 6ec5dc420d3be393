// Channel 1's transmit cable loss ("CH1TXCBLLOSS").
#pragma once

#include "PathLossParameter.h"
#include "Keys.h"

class TX_CABLE_LOSS_CHAN1 : public radalt::PathLossParameter {
 public:
  TX_CABLE_LOSS_CHAN1(STpersistance* store, Velmarin::ItemNamer& namer, MY_GUIABLE_i& gui, radalt::Core* mc,
                      Velmarin::Lockable_i& settings)
      : PathLossParameter(radalt::PathRole::TxCable, 1, radalt::key::CH1TXCBLLOSS, store, namer, gui, mc, settings) {}

  void TxCableLossChan1Callback(const VALUE_DOUBLE::VALUE& value) { Callback(value); }
  void RecallTxCableLossChan1() { Recall(); }
  bool TxCableLossChan1SetValue(const VALUE_DOUBLE::VALUE& value) { return SetValue(value); }
  Velmarin::EngineAttribValueDouble_ptr TxCableLossChan1() { return Reference(); }
};
