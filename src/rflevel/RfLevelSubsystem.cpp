#include "RfLevelSubsystem.h"

#include "Core.h"
#include "RecallScope.h"
#include "RFLEVEL_MODE.h"
#include "RfLevelCommon.h"
#include "RfLevelObjects.h"

namespace radalt {

namespace {

class RfLevelSubsystem : public Subsystem, public RfLevelModeLocking, public DistanceOffsets {
 public:
  explicit RfLevelSubsystem(Core& core) : core_(core) {
    core.Provide(objects_);
    core.Provide<RfLevelModeLocking>(*this);
    core.Provide<DistanceOffsets>(*this);
  }
  const char* Name() const override { return "rflevel"; }

  void Construct(int group) override {
    if (group == 5) ConstructRfLevelObjects(core_, objects_);
  }

  void Reset(ResetStep step) override {
    switch (step) {
      case ResetStep::AidSettings:
        ResetAidSettings(objects_);
        break;
      case ResetStep::Coupling:
        ResetCoupledManualRfLevel(objects_);
        break;
      case ResetStep::RfLevels:
        ResetChannelLevels(objects_, ResetChannels());
        break;
      case ResetStep::RfLevelMode:
        ResetRfLevelMode(objects_);
        ResetRfLevelOffset(objects_);
        ResetChannelLosses(objects_, ResetChannels());
        break;
      default:
        break;
    }
  }

  void RecallSettings(RecallStep step) override {
    switch (step) {
      case RecallStep::RfLevelMode:
        RecallRfLevelModeAndCoupling(objects_);
        break;
      case RecallStep::AidSettings:
        RecallAidSettings(objects_);
        break;
      case RecallStep::RfLevels:
        RecallRfLevelOffset(objects_);
        for (int ch = 1; ch <= 3; ++ch) {
          if (!core_.HasChannelEngine(ch) || !RecallScope::Reaches(ch)) continue;
          if (RecallScope::Brings(ch)) {
            BringBackChannel(objects_, ch);
          } else {
            RecallChannelLevels(objects_, ch);
            RecallChannelPath(objects_, ch);
          }
        }
        break;
      default:
        break;
    }
  }

  void ChannelsChanged(unsigned available, unsigned enabled) override {
    TellChannelsChanged(core_, objects_, available, enabled);
  }

  void ShowEngine(int channel) override { ShowChannelFromEngine(objects_, channel); }

  // The locks follow the mode shown (at start-up, and again when a simulation stops).
  void rfLevelModeLock() override { ApplyRfLevelLocks(core_, RfLevelModeNow(core_)); }

  void OffsetUpdateFromSC() override { ShowOffsetsFromEngines(core_, objects_); }

 private:
  // Channel 1, and 2 and 3 as far as they are enabled.
  std::vector<int> ResetChannels() const {
    std::vector<int> channels;
    const int enabled = core_.EnabledChannels();
    for (int ch = 1; ch <= 3 && (ch == 1 || ch <= enabled); ++ch) channels.push_back(ch);
    return channels;
  }

  Core& core_;
  RfLevelObjects objects_;
};

}  // namespace

std::unique_ptr<Subsystem> MakeRfLevelSubsystem(Core& core) { return std::make_unique<RfLevelSubsystem>(core); }

}  // namespace radalt
