#include "ChannelsSubsystem.h"

#include "COUPLED_ALTITUDE_SIMULATION.h"
#include "Core.h"
#include "NO_OF_AVAILABLE_CHANNELS.h"
#include "NO_OF_ENABLED_CHANNELS.h"
#include "RF_CONNECTION.h"
#include "SLAVE_MODE.h"

namespace radalt {

namespace {

class ChannelsSubsystem : public Subsystem, public ChannelConfiguration {
 public:
  explicit ChannelsSubsystem(Core& core) : core_(core) { core.Provide<ChannelConfiguration>(*this); }
  const char* Name() const override { return "channels"; }

  void Construct(int group) override {
    Core* mc = &core_;
    STpersistance* store = core_.SettingsStore();
    if (group == 1) {
      available_.reset(new NO_OF_AVAILABLE_CHANNELS(store, core_.Namer(), core_.Gui(), mc));
      core_.Provide(*available_);
      enabled_.reset(new NO_OF_ENABLED_CHANNELS(store, core_.Namer(), core_.Gui(), mc));
      core_.Provide(*enabled_);
      core_.Provide<EnabledCountChange>(*enabled_);
      slaveMode_.reset(new SLAVE_MODE(store, core_.Namer(), core_.Gui(), mc));
      core_.Provide(*slaveMode_);
      coupled_.reset(new COUPLED_ALTITUDE_SIMULATION(store, core_.Namer(), core_.Gui(), mc));
      core_.Provide(*coupled_);
    } else if (group == 5) {
      rfConnection_.reset(new RF_CONNECTION(store, core_.Namer(), core_.Gui(), mc));
      core_.Provide(*rfConnection_);
    }
  }

  void Reset(ResetStep step) override {
    switch (step) {
      case ResetStep::Coupling:
        if (coupled_) coupled_->CoupledAltitudeSimulationCallback(0);
        break;
      case ResetStep::RfConnection:
        if (rfConnection_) rfConnection_->RfConnectionCallback(0);
        break;
      case ResetStep::SlaveMode:
        if (slaveMode_) slaveMode_->SlaveModeCallback(0);
        break;
      default:
        break;
    }
  }

  void RecallSettings(RecallStep step) override {
    if (step == RecallStep::ChannelConfiguration) {
      if (available_) available_->RecallNoOfAvailChans();
      if (enabled_) enabled_->RecallNoOfEnabledChans();
      if (slaveMode_) slaveMode_->RecallSlaveMode();
      if (coupled_) coupled_->RecallCoupledAltSim();
    } else if (step == RecallStep::RfConnection) {
      if (rfConnection_) rfConnection_->RecallRfConnection();
    }
  }

  void ChannelsChanged(unsigned available, unsigned enabled) override {
    if (!available_ || !enabled_) return;
    // The registry has changed: the attributes show it.
    available_->Show(static_cast<int>(available));
    enabled_->Show(static_cast<int>(enabled));
  }

  // ChannelConfiguration
  int EnabledChannels() const override { return enabled_ ? enabled_->Value() : 0; }
  bool CoupledAltitudeSimulation() const override { return coupled_ && coupled_->Value(); }

 private:
  Core& core_;
  std::unique_ptr<NO_OF_AVAILABLE_CHANNELS> available_;
  std::unique_ptr<NO_OF_ENABLED_CHANNELS> enabled_;
  std::unique_ptr<SLAVE_MODE> slaveMode_;
  std::unique_ptr<COUPLED_ALTITUDE_SIMULATION> coupled_;
  std::unique_ptr<RF_CONNECTION> rfConnection_;
};

}  // namespace

std::unique_ptr<Subsystem> MakeChannelsSubsystem(Core& core) { return std::make_unique<ChannelsSubsystem>(core); }

}  // namespace radalt
