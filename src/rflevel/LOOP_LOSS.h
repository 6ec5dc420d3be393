// The loop loss of one channel ("CH1LOOPLOSS" .. "CH3LOOPLOSS"); refused to other users while
// LOOPLOSS is held. One class for the three channels, bound to its channel's engine.
#pragma once

#include "ChannelBound.h"
#include "LevelParameter.h"

class LOOP_LOSS : public radalt::LevelParameter, public radalt::ChannelBound {
 public:
  LOOP_LOSS(int channel, unsigned available, unsigned enabled, radalt::SCI::RADALTSC_MAIN_INTERFACE_ptr engine,
            const char* key, STpersistance* store, Velmarin::ItemNamer& namer, MY_GUIABLE_i& gui, radalt::Core* mc,
            Velmarin::Lockable_i& loopLoss);

  void LoopLossCallback(const VALUE_DOUBLE::VALUE& value) { Callback(value); }
  void RecallLoopLoss() { Recall(); }
  bool LoopLossSetValue(const VALUE_DOUBLE::VALUE& value) { return SetValue(value); }
  Velmarin::EngineAttribValueDouble_ptr LoopLoss() { return Reference(); }

  void updateChannelData(unsigned available, unsigned enabled, radalt::SCI::RADALTSC_MAIN_INTERFACE_ptr engine) override {
    kept_.Update(available, enabled);
  }
  radalt::SCI::RADALTSC_MAIN_INTERFACE_var EngineNow(const std::string& prefix) override;

 private:
  radalt::KeptChannel kept_;
};
