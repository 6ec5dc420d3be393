// The transmit external loss of one channel ("CH1TXEXTLOSS" .. "CH3TXEXTLOSS"); one class for the three channels.
#pragma once

#include "PathLossParameter.h"

class TX_EXTERNAL_LOSS : public radalt::BoundPathLoss {
 public:
  TX_EXTERNAL_LOSS(int channel, unsigned available, unsigned enabled, radalt::SCI::RADALTSC_MAIN_INTERFACE_ptr engine,
                   const char* key, STpersistance* store, Velmarin::ItemNamer& namer, MY_GUIABLE_i& gui, radalt::Core* mc,
                   Velmarin::Lockable_i& settings)
      : BoundPathLoss(radalt::PathRole::TxExternal, channel, available, enabled, engine, key, store, namer, gui, mc,
                      settings) {}

  void TxExternalLossCallback(const VALUE_DOUBLE::VALUE& value) { Callback(value); }
  void RecallTxExternalLoss() { Recall(); }
  bool TxExternalLossSetValue(const VALUE_DOUBLE::VALUE& value) { return SetValue(value); }
  Velmarin::EngineAttribValueDouble_ptr TxExternalLoss() { return Reference(); }
};
