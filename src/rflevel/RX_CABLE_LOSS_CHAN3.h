// Channel 3's receive cable loss ("CH3RXCBLLOSS").
#pragma once

#include "PathLossParameter.h"
#include "Keys.h"

class RX_CABLE_LOSS_CHAN3 : public radalt::PathLossParameter {
 public:
  RX_CABLE_LOSS_CHAN3(STpersistance* store, Velmarin::ItemNamer& namer, MY_GUIABLE_i& gui, radalt::Core* mc,
                      Velmarin::Lockable_i& settings)
      : PathLossParameter(radalt::PathRole::RxCable, 3, radalt::key::CH3RXCBLLOSS, store, namer, gui, mc, settings) {}

  void RxCableLossChan3Callback(const VALUE_DOUBLE::VALUE& value) { Callback(value); }
  void RecallRxCableLossChan3() { Recall(); }
  bool RxCableLossChan3SetValue(const VALUE_DOUBLE::VALUE& value) { return SetValue(value); }
  Velmarin::EngineAttribValueDouble_ptr RxCableLossChan3() { return Reference(); }
};
