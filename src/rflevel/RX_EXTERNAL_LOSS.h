// The receive external loss of one channel ("CH1RXEXTLOSS" .. "CH3RXEXTLOSS"); one class for the three channels.
#pragma once

#include "PathLossParameter.h"

class RX_EXTERNAL_LOSS : public radalt::BoundPathLoss {
 public:
  RX_EXTERNAL_LOSS(int channel, unsigned available, unsigned enabled, radalt::SCI::RADALTSC_MAIN_INTERFACE_ptr engine,
                   const char* key, STpersistance* store, Velmarin::ItemNamer& namer, MY_GUIABLE_i& gui, radalt::Core* mc,
                   Velmarin::Lockable_i& settings)
      : BoundPathLoss(radalt::PathRole::RxExternal, channel, available, enabled, engine, key, store, namer, gui, mc,
                      settings) {}

  void RxExternalLossCallback(const VALUE_DOUBLE::VALUE& value) { Callback(value); }
  void RecallRxExternalLoss() { Recall(); }
  bool RxExternalLossSetValue(const VALUE_DOUBLE::VALUE& value) { return SetValue(value); }
  Velmarin::EngineAttribValueDouble_ptr RxExternalLoss() { return Reference(); }
};
