#include "SimulationSubsystem.h"

#include "ABORT_ALT_IND_ZERO.h"
#include "ALT_SIM_TOTAL_DURATION.h"
#include "AltSimDataParameter.h"
#include "AltSimNameParameter.h"
#include "Core.h"
#include "PAUSE_RESUME_TEST.h"
#include "RUN_STOP_TEST.h"
#include "RampParameter.h"
#include "SIMULATION_MODE.h"
#include "SimulationCommon.h"
#include "SimulationObjects.h"

namespace radalt {

namespace {

class SimulationSubsystem : public Subsystem, public SimulationState, public SimulationDisplay {
 public:
  explicit SimulationSubsystem(Core& core) : core_(core) {
    core.Provide(objects_);
    core.Provide<SimulationState>(*this);
    core.Provide<SimulationDisplay>(*this);
  }
  const char* Name() const override { return "simulation"; }

  void Construct(int group) override {
    if (group < 2) return;
    ConstructSimulationGroup(group, core_, objects_);
    // The current altitudes can only be set while a simulation runs.
    if (group == 5) Take(core_, LockGroup::CURRENTALT, activity::kCurrentAltitude, lock_text::kNotRunning);
  }

  void Reset(ResetStep step) override {
    SimulationObjects& sim = objects_;
    switch (step) {
      case ResetStep::StopActivities:
        if (sim.runStopTest) sim.runStopTest->RunStopTestCallback(false);
        if (sim.abortAltIndZero) sim.abortAltIndZero->AbortAltIndZeroCallback();
        break;
      case ResetStep::Profiles:
        PerEnabledChannel([&](int ch) {
          if (auto* p = sim.AltSimData(ch)) p->Callback(AltSimDataParameter::EmptyProfile());
        });
        break;
      case ResetStep::RampSettings:
        ResetRamp<RampRole::CurrentAltitude>(0.0);
        ResetRamp<RampRole::Duration>(1);
        ResetRamp<RampRole::Rate>(0.0);
        ResetRamp<RampRole::StartAltitude>(0.0);
        ResetRamp<RampRole::StopAltitude>(0.0);
        break;
      case ResetStep::PauseResume:
        if (sim.pauseResumeTest) sim.pauseResumeTest->PauseResumeTestCallback(false);
        break;
      case ResetStep::SimulationMode:
        if (sim.simulationMode) sim.simulationMode->SimulationModeCallback(0);
        break;
      case ResetStep::ProfileNames:
        PerEnabledChannel([&](int ch) {
          if (auto* p = sim.AltSimName(ch)) p->Callback("Profile1");
        });
        break;
      default:
        break;
    }
  }

  void ChannelsChanged(unsigned, unsigned) override {
    if (objects_.runStopTest) objects_.runStopTest->EndRunOnLostEngine();
  }

  void RecallSettings(RecallStep step) override {
    if (step != RecallStep::Simulation) return;
    SimulationObjects& sim = objects_;
    if (sim.simulationMode) sim.simulationMode->RecallSimulationMode();
    PerRegisteredChannel([&](int ch) {
      if (auto* p = sim.Ramp<RampRole::StartAltitude>(ch)) p->Recall();
      if (auto* p = sim.Ramp<RampRole::StopAltitude>(ch)) p->Recall();
      if (auto* p = sim.Ramp<RampRole::Rate>(ch)) p->Recall();
      if (auto* p = sim.Ramp<RampRole::Duration>(ch)) p->Recall();
      if (auto* p = sim.AltSimName(ch)) p->Recall();
      if (auto* p = sim.Ramp<RampRole::CurrentAltitude>(ch)) p->Recall();
    });
  }

  void ShowEngine(int channel) override {
    FollowEngines({channel});
  }

  void RecallProfile() override {
    SimulationObjects& sim = objects_;
    if (sim.altSimTotalDuration) sim.altSimTotalDuration->RecallAltSimTotalDuration();
    PerRegisteredChannel([&](int ch) {
      if (auto* p = sim.AltSimData(ch)) p->Recall();
    });
  }

  // SimulationState
  bool SimulationRunning() const override { return objects_.runStopTest && objects_.runStopTest->Value(); }
  int SimulationMode() const override { return SimulationModeValue(objects_); }

  // SimulationDisplay
  void FollowEngines(const std::vector<int>& channels) override {
    for (int ch : channels) {
      try {
        ShowRampSettings(core_, ch);
        if (auto* p = objects_.AltSimData(ch)) p->ShowEngine();
        if (auto* p = objects_.AltSimName(ch)) p->ShowEngine();
      } catch (const CORBA::Exception&) {
        // that channel keeps what it showed; the writer learns of the failure from its write
      }
    }
    FollowTotalDuration(core_);
  }

 private:
  // Runs set for channel 1, then for channels 2 and 3 as far as they are enabled.
  template <class F>
  void PerEnabledChannel(F&& set) {
    const int enabled = core_.EnabledChannels();
    for (int ch = 1; ch <= 3 && (ch == 1 || ch <= enabled); ++ch) set(ch);
  }
  // Runs recall for each channel with an engine, in channel order.
  template <class F>
  void PerRegisteredChannel(F&& recall) {
    for (int ch = 1; ch <= 3; ++ch)
      if (core_.HasChannelEngine(ch) && RecallScope::Reaches(ch)) recall(ch);
  }
  template <RampRole R, class V>
  void ResetRamp(V value) {
    PerEnabledChannel([&](int ch) {
      if (auto* p = objects_.Ramp<R>(ch)) p->Callback(p->WithValue(value));
    });
  }

  Core& core_;
  SimulationObjects objects_;
};

}  // namespace

std::unique_ptr<Subsystem> MakeSimulationSubsystem(Core& core) { return std::make_unique<SimulationSubsystem>(core); }

}  // namespace radalt
