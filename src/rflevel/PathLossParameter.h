// A loss or offset of one channel's RF path: the transmit and receive cable, coupler and
// external losses and the distance offset. A write goes to the channel's engine as entered
// (the offset in the engine's distance unit) and the attribute shows what the engine accepted.
// The cable and coupler losses reach their engine through the registry; the external losses
// and the offset are bound to their channel's engine and told when engines come or go.
#pragma once

#include <string>

#include "ChannelBound.h"
#include "ChannelDoubleSetting.h"

namespace radalt {

enum class PathRole { TxCable, RxCable, TxCoupler, RxCoupler, TxExternal, RxExternal, Offset };

struct PathRoleInfo {
  SettingNames names;       // TX_CABLE_LOSS_CHAN + digit; TX_EXTERNAL_LOSS (one class for the three channels)
  const char* persistStem;  // + channel digit: TxCableLossChan1, TxExternalLossChan1
  ScItemOp<Velmarin::EngineAttribValueDouble_ptr> item;
};
const PathRoleInfo& PathInfo(PathRole role);

class PathLossParameter : public ChannelDoubleSetting {
 public:
  // Write handler: channel check, forward, show what the engine accepted.
  void Callback(const Record& value) override;
  // Writes the persisted value to the engine and shows what it accepted.
  void Recall();
  // Shows what the channel's engine holds now; returns whether that changed the attribute.
  bool ReadBack();

 protected:
  PathLossParameter(PathRole role, int channel, const char* key, STpersistance* store, Velmarin::ItemNamer& namer,
                    MY_GUIABLE_i& gui, radalt::Core* mc, Velmarin::Lockable_i& settings);

  // The channel's engine as it is now; a missing one is refused with NotConfigured.
  virtual SCI::RADALTSC_MAIN_INTERFACE_var EngineNow(const std::string& prefix);
  // The record the engine gets for a written one, and the record shown for the engine's own.
  virtual Record ToEngine(const Record& written) const { return written; }
  virtual Record ToShown(const Record& engine) const { return engine; }
  // The engine's value, as shown.
  Record EngineValueShown(SCI::RADALTSC_MAIN_INTERFACE_ptr engine) const;

  radalt::Core& Mc() { return *mc_; }
};

// The channel-bound shape: the engine is the one last told through updateChannelData.
class BoundPathLoss : public PathLossParameter, public ChannelBound {
 public:
  void updateChannelData(unsigned available, unsigned enabled, SCI::RADALTSC_MAIN_INTERFACE_ptr engine) override {
    kept_.Update(available, enabled);
  }

 protected:
  BoundPathLoss(PathRole role, int channel, unsigned available, unsigned enabled,
                SCI::RADALTSC_MAIN_INTERFACE_ptr engine, const char* key, STpersistance* store,
                Velmarin::ItemNamer& namer, MY_GUIABLE_i& gui, radalt::Core* mc, Velmarin::Lockable_i& settings)
      : PathLossParameter(role, channel, key, store, namer, gui, mc, settings),
        kept_(channel, available, enabled, mc->Channels()) {}
  SCI::RADALTSC_MAIN_INTERFACE_var EngineNow(const std::string& prefix) override;

 private:
  KeptChannel kept_;
};

}  // namespace radalt
