#include "LevelParameter.h"

#include <algorithm>

#include "ChannelWrites.h"
#include "Core.h"
#include "EngineFailure.h"
#include "SettingWrite.h"
#include "RfLevelObjects.h"

namespace radalt {

namespace {

// In LevelRole order.
const LevelRoleInfo kLevels[] = {
    {{"OUTPUT_POWER_LEVEL_CHAN", "OutputPowerLevelChan", true}, NotEnabledText::kNumbered, true, LockGroup::RFLEVEL,
     &ScMain::OutputPowerLevel, &ScMain::UpdateOutputPower},
    {{"LOOP_LOSS", "LoopLoss", false}, NotEnabledText::kUnnumbered, false, LockGroup::LOOPLOSS, &ScMain::LoopLoss,
     &ScMain::UpdateLoopLoss},
};

}  // namespace

const LevelRoleInfo& LevelInfo(LevelRole role) { return kLevels[static_cast<int>(role)]; }

LevelParameter::LevelParameter(LevelRole role, int channel, const char* key, const char* persistanceName,
                               STpersistance* store, Velmarin::ItemNamer& namer, MY_GUIABLE_i& gui, radalt::Core* mc,
                               Velmarin::Lockable_i& group)
    : ChannelDoubleSetting(channel, LevelInfo(role).item, LevelInfo(role).names, persistanceName, key, store, namer,
                           gui, mc),
      role_(role) {
  Persist<double>(persistanceName_.c_str(), Value().val);
  attr_.GuardWith(group);
}

bool LevelParameter::ReadBack() {
  SCI::RADALTSC_MAIN_INTERFACE_var engine = EngineNow(Prefix(ClassName(), MethodName("ReadBack")));
  return SetValue(Item(mc_->Items(), engine.in(), item_)->Get());
}

void LevelParameter::Callback(const Record& value) {
  const LevelRoleInfo& info = LevelInfo(role_);
  const std::string method = MethodName("Callback");
  const std::string prefix = Prefix(ClassName(), method);
  radalt::Core& mc = *mc_;
  const int n = RequireChannelEnabled(mc, channel_, prefix, info.refusal);

  // The engine's limits and step, as this channel's engine has them now.
  SCI::RADALTSC_MAIN_INTERFACE_var own = EngineNow(prefix);
  attr_.SetParams(OnChannel(channel_, prefix, [&] { return Item(mc_->Items(), own.in(), item_)->GetParams(); }));

  const int mode = RfLevelModeNow(mc);
  const bool coupled = CoupledManualRfLevelNow(mc);
  std::vector<int> targets;
  bool update = false;
  if (mode == kAutomaticRfLevel) {
    if (info.automaticWritesOwn && channel_ != 1) targets = {channel_};
  } else if (mode == kManualRfLevel) {
    targets = (coupled && n > 1) ? ChannelsUpTo(n) : std::vector<int>{channel_};
    update = TestRunningNow(mc);
  } else {
    const std::string text = method + " - rf_mode";
    LogThrow(prefix + " throw " + text, Velmarin::Runtime_errors::Unhandled_switch(text.c_str()));
  }
  WriteAndShow(targets, value, update, prefix);
}

void LevelParameter::WriteAndShow(const std::vector<int>& targets, const Record& value, bool update,
                                  const std::string& prefix) {
  const LevelRoleInfo& info = LevelInfo(role_);
  radalt::Core& mc = *mc_;
  const Velmarin::Locker_ID who = WriterId();
  std::vector<int> shown = targets;
  if (std::find(shown.begin(), shown.end(), channel_) == shown.end()) shown.push_back(channel_);
  std::sort(shown.begin(), shown.end());
  const SettingWrite write{prefix, targets, shown, EngineLocks::kAsTheyAre};
  write.Run(
      [&](int ch) {
        SCI::RADALTSC_MAIN_INTERFACE_var engine = RfLevel(mc).Level(role_, ch)->EngineNow(prefix);
        Item(mc_->Items(), engine.in(), info.item)->Set(who, value);
        if (update) Item(mc_->Items(), engine.in(), info.update)->Execute(who);
      },
      [&](int ch) { return RfLevel(mc).Level(role_, ch)->ReadBack(); });
}

void LevelParameter::Recall() {
  const std::string prefix = Prefix(ClassName(), "Recall" + MethodName(""));
  const Record stored = WithValue(Recalled<double>(persistanceName_.c_str()));
  const Velmarin::Locker_ID who = WriterId();
  const SettingWrite write{prefix, {channel_}, {channel_}, EngineLocks::kAsTheyAre};
  write.Run(
      [&](int) {
        SCI::RADALTSC_MAIN_INTERFACE_var engine = EngineNow(prefix);
        Item(mc_->Items(), engine.in(), item_)->Set(who, stored);
      },
      [&](int) { return ReadBack(); });
}

void CopyChannel1Level(radalt::Core& mc, LevelRole role, int n, const Velmarin::Locker_ID& who,
                       const std::string& prefix) {
  const LevelRoleInfo& info = LevelInfo(role);
  LevelParameter* first = RfLevel(mc).Level(role, 1);
  if (!first || n < 2) return;
  SCI::RADALTSC_MAIN_INTERFACE_var source = first->EngineNow(prefix);
  const VALUE_DOUBLE::VALUE level = OnChannel(1, prefix, [&] { return Item(mc.Items(), source.in(), info.item)->Get(); });
  const std::vector<int> targets = ChannelsUpTo(n, 2);
  const SettingWrite write{prefix, targets, targets};
  write.Run(
      [&](int ch) {
        SCI::RADALTSC_MAIN_INTERFACE_var engine = RfLevel(mc).Level(role, ch)->EngineNow(prefix);
        Item(mc.Items(), engine.in(), info.item)->Set(who, level);
      },
      [&](int ch) { return RfLevel(mc).Level(role, ch)->ReadBack(); });
}

}  // namespace radalt
