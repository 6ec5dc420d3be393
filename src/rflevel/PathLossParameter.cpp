#include "PathLossParameter.h"

#include <boost/bind/bind.hpp>

#include "Core.h"

namespace radalt {

namespace {

// In PathRole order.
const PathRoleInfo kPaths[] = {
    {"TX_CABLE_LOSS_CHAN", "TxCableLossChan", "TxCableLossChan", false, &ScMain::TxCableLoss},
    {"RX_CABLE_LOSS_CHAN", "RxCableLossChan", "RxCableLossChan", false, &ScMain::RxCableLoss},
    {"TX_COUPLER_LOSS_CHAN", "TxCouplerLossChan", "TxCouplerLossChan", false, &ScMain::TxCouplerLoss},
    {"RX_COUPLER_LOSS_CHAN", "RxCouplerLossChan", "RxCouplerLossChan", false, &ScMain::RxCouplerLoss},
    {"TX_EXTERNAL_LOSS", "TxExternalLoss", "TxExternalLossChan", true, &ScMain::TxExternalLoss},
    {"RX_EXTERNAL_LOSS", "RxExternalLoss", "RxExternalLossChan", true, &ScMain::RxExternalLoss},
    {"OFFSET", "Offset", "OffsetChan", true, &ScMain::DistanceOffset},
};

}  // namespace

const PathRoleInfo& PathInfo(PathRole role) { return kPaths[static_cast<int>(role)]; }

PathLossParameter::Initial PathLossParameter::FromChannel1(radalt::Core* mc, PathRole role) {
  OwnedRef<Velmarin::EngineAttribValueDouble_ptr> item = Item(mc->Items(), mc->GetSingleChannelPtr(1), PathInfo(role).item);
  return Initial{item->Get(), item->GetParams()};
}

PathLossParameter::PathLossParameter(PathRole role, int channel, const char* key, STpersistance* store,
                                     Velmarin::ItemNamer& namer, MY_GUIABLE_i& gui, radalt::Core* mc,
                                     Velmarin::Lockable_i& settings)
    : PathLossParameter(role, channel, key, store, namer, gui, mc, settings, FromChannel1(mc, role)) {}

PathLossParameter::PathLossParameter(PathRole role, int channel, const char* key, STpersistance* store,
                                     Velmarin::ItemNamer& namer, MY_GUIABLE_i& gui, radalt::Core* mc,
                                     Velmarin::Lockable_i& settings, const Initial& initial)
    : Parameter(mc, store, namer, gui, key, initial.value,
                boost::bind(&PathLossParameter::Callback, this, boost::placeholders::_1), initial.params),
      role_(role),
      channel_(channel),
      persistanceName_(PathInfo(role).persistStem + std::to_string(channel)) {
  // The stored value is the engine's own (for the offset: in the engine's distance unit).
  // What a store of the settings takes is the engine's value too; without an engine, what is shown.
  Persist<double>(persistanceName_.c_str(), initial.value.val, [this] {
    if (!mc_->HasChannelEngine(channel_)) return attr_.Value().val;
    try {
      return Item(mc_->Items(), mc_->GetSingleChannelPtr(channel_), PathInfo(role_).item)->Get().val;
    } catch (const CORBA::Exception&) {
      return attr_.Value().val;
    }
  });
  attr_.GuardWith(settings);
}

std::string PathLossParameter::ClassName() const {
  const PathRoleInfo& info = PathInfo(role_);
  return info.channelBound ? info.classStem : info.classStem + std::to_string(channel_);
}

std::string PathLossParameter::MethodName(const std::string& what) const {
  const PathRoleInfo& info = PathInfo(role_);
  return std::string(info.methodStem) + (info.channelBound ? "" : std::to_string(channel_)) + what;
}

SCI::RADALTSC_MAIN_INTERFACE_var PathLossParameter::EngineNow(const std::string&) {
  return SCI::RADALTSC_MAIN_INTERFACE::_duplicate(mc_->GetSingleChannelPtr(channel_));
}

SCI::RADALTSC_MAIN_INTERFACE_var BoundPathLoss::EngineNow(const std::string& prefix) {
  SCI::RADALTSC_MAIN_INTERFACE_var engine = kept_.Engine();
  RequireEngine(engine.in(), prefix, prefix.substr(1) + " - scptr is zero");
  return engine;
}

bool PathLossParameter::SetValue(const Record& value) {
  if (ValueDoubleSame(value, attr_.Value(), 0.001, 0.001)) return false;
  attr_ = value;
  return true;
}

PathLossParameter::Record PathLossParameter::WithValue(double v) const {
  Record r = attr_.Value();
  r.val = v;
  return r;
}

PathLossParameter::Record PathLossParameter::EngineValueShown(SCI::RADALTSC_MAIN_INTERFACE_ptr engine) const {
  return ToShown(Item(mc_->Items(), engine, PathInfo(role_).item)->Get());
}

void PathLossParameter::Callback(const Record& value) {
  const std::string prefix = Prefix(ClassName(), MethodName("Callback"));
  RequireChannelEnabled(*mc_, channel_, prefix,
                        PathInfo(role_).channelBound ? NotEnabledText::kUnnumbered : NotEnabledText::kNumbered);
  SCI::RADALTSC_MAIN_INTERFACE_var engine = EngineNow(prefix);
  const Velmarin::Locker_ID who = WriterId();
  const Record forwarded = ToEngine(value);
  SettingWrite{prefix, {channel_}, {channel_}}.Run(
      [&](int) { Item(mc_->Items(), engine.in(), PathInfo(role_).item)->Set(who, forwarded); },
      [&](int) { return SetValue(EngineValueShown(engine.in())); });
}

bool PathLossParameter::ReadBack() {
  SCI::RADALTSC_MAIN_INTERFACE_var engine = EngineNow(Prefix(ClassName(), MethodName("ReadBack")));
  return SetValue(EngineValueShown(engine.in()));
}

void PathLossParameter::Recall() {
  const std::string prefix = Prefix(ClassName(), "Recall" + MethodName(""));
  SCI::RADALTSC_MAIN_INTERFACE_var engine = EngineNow(prefix);
  // The stored value is in the engine's unit: it goes to the engine with the engine's record.
  const Velmarin::Locker_ID who = WriterId();
  SettingWrite{prefix, {channel_}, {channel_}}.Run(
      [&](int) {
        OwnedRef<Velmarin::EngineAttribValueDouble_ptr> item = Item(mc_->Items(), engine.in(), PathInfo(role_).item);
        Record stored = item->Get();
        stored.val = Recalled<double>(persistanceName_.c_str());
        item->Set(who, stored);
      },
      [&](int) { return SetValue(EngineValueShown(engine.in())); });
}

}  // namespace radalt
