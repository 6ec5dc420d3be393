// Channel 1's receive cable loss ("CH1RXCBLLOSS").
#pragma once

#include "PathLossParameter.h"
#include "Keys.h"

class RX_CABLE_LOSS_CHAN1 : public radalt::PathLossParameter {
 public:
  RX_CABLE_LOSS_CHAN1(STpersistance* store, Velmarin::ItemNamer& namer, MY_GUIABLE_i& gui, radalt::Core* mc,
                      Velmarin::Lockable_i& settings)
      : PathLossParameter(radalt::PathRole::RxCable, 1, radalt::key::CH1RXCBLLOSS, store, namer, gui, mc, settings) {}

  void RxCableLossChan1Callback(const VALUE_DOUBLE::VALUE& value) { Callback(value); }
  void RecallRxCableLossChan1() { Recall(); }
  bool RxCableLossChan1SetValue(const VALUE_DOUBLE::VALUE& value) { return SetValue(value); }
  Velmarin::EngineAttribValueDouble_ptr RxCableLossChan1() { return Reference(); }
};
