#include "RFLEVEL_MODE.h"

#include <boost/bind/bind.hpp>

#include "LevelParameter.h"
#include "Core.h"
#include "RfLevelCommon.h"
#include "Keys.h"

namespace {
radalt::OwnedRef<Velmarin::EngineAttribEnum_ptr> ModeItem(radalt::Core* mc, int channel) {
  return radalt::Item(mc->Items(), mc->GetSingleChannelPtr(channel), &radalt::ScMain::RfLevelMode);
}
}  // namespace

const char* const RFLEVEL_MODE::PersistanceName = "RfLevelMode";

RFLEVEL_MODE::RFLEVEL_MODE(STpersistance* store, Velmarin::ItemNamer& namer, MY_GUIABLE_i& gui, radalt::Core* mc,
                           Velmarin::Lockable_i& settings, Velmarin::Lockable_i& rfLevelMode)
    : Parameter(mc, store, namer, gui, radalt::key::RFLVLMODE, ModeItem(mc, 1)->Get(),
                boost::bind(&RFLEVEL_MODE::RfLevelModeCallback, this, boost::placeholders::_1)) {
  get_RfLevelModeParams();
  Persist<int>(PersistanceName, attr_.Value());
  attr_.GuardWith(settings);
  attr_.GuardWith(rfLevelMode);
}

Velmarin::EngineAttribEnumParams RFLEVEL_MODE::get_RfLevelModeParams() {
  Velmarin::EngineAttribEnumParams_var params = ModeItem(mc_, 1)->GetParams();
  for (CORBA::ULong i = 0; i < params->length(); ++i)
    if (!attr_.HasValue(params[i].value)) attr_.AddParam(params[i].value, params[i].label.in());
  return attr_.ParamsCopy();
}

int RFLEVEL_MODE::Show(int channel) {
  const int shown = ModeItem(mc_, channel)->Get();
  if (shown != attr_.Value()) attr_ = shown;
  radalt::ApplyRfLevelLocks(*mc_, shown);
  return shown;
}

int RFLEVEL_MODE::WriteAndShow(int n, int mode, const std::string& prefix) {
  const Velmarin::Locker_ID who = WriterId();
  // The mode and its locks show the last channel's engine (after a failure, the last engine that
  // took the mode); without an enabled channel they stay.
  using radalt::SettingWrite;
  SettingWrite::ToEnabled(prefix, n, SettingWrite::kLastEnabled, radalt::EngineLocks::kTranslated,
                          radalt::AfterFailure::kLastTaken)
      .Run([&](int ch) { ModeItem(mc_, ch)->Set(who, mode); }, [&](int ch) { Show(ch); });
  return attr_.Value();
}

void RFLEVEL_MODE::RfLevelModeCallback(int mode) {
  const std::string prefix = " RFLEVEL_MODE::RfLevelModeCallback";
  // Only the two modes the master control knows reach an engine.
  if (mode != radalt::kAutomaticRfLevel && mode != radalt::kManualRfLevel)
    radalt::LogThrow(prefix + " throw DataOutOfRangeException:illegal rf level mode",
                     Velmarin::Operation_errors::DataOutOfRangeException<int>(
                         "Attribute : RfLevelModeCallback - illegal rf level mode", radalt::kAutomaticRfLevel,
                         radalt::kManualRfLevel, mode));
  const int n = radalt::RequireAnyChannelEnabled(*mc_, prefix);
  const bool coupled = radalt::CoupledManualRfLevelNow(*mc_);
  const int before = attr_.Value();
  const int shown = WriteAndShow(n, mode, prefix);
  // Automatic to manual with coupling on: the channels start from channel 1's level and loss.
  if (before == radalt::kAutomaticRfLevel && shown == radalt::kManualRfLevel && coupled) {
    const Velmarin::Locker_ID who = WriterId();
    radalt::CopyChannel1Level(*mc_, radalt::LevelRole::OutputPower, n, who, prefix);
    radalt::CopyChannel1Level(*mc_, radalt::LevelRole::LoopLoss, n, who, prefix);
  }
}

void RFLEVEL_MODE::RecallRfLevelMode() {
  WriteAndShow(radalt::EnabledNow(*mc_), Recalled<int>(PersistanceName), " RFLEVEL_MODE::RecallRfLevelMode");
}
