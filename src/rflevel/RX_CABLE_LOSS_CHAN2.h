// Channel 2's receive cable loss ("CH2RXCBLLOSS").
#pragma once

#include "PathLossParameter.h"
#include "Keys.h"

class RX_CABLE_LOSS_CHAN2 : public radalt::PathLossParameter {
 public:
  RX_CABLE_LOSS_CHAN2(STpersistance* store, Velmarin::ItemNamer& namer, MY_GUIABLE_i& gui, radalt::Core* mc,
                      Velmarin::Lockable_i& settings)
      : PathLossParameter(radalt::PathRole::RxCable, 2, radalt::key::CH2RXCBLLOSS, store, namer, gui, mc, settings) {}

  void RxCableLossChan2Callback(const VALUE_DOUBLE::VALUE& value) { Callback(value); }
  void RecallRxCableLossChan2() { Recall(); }
  bool RxCableLossChan2SetValue(const VALUE_DOUBLE::VALUE& value) { return SetValue(value); }
  Velmarin::EngineAttribValueDouble_ptr RxCableLossChan2() { return Reference(); }
};
