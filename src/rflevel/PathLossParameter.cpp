#include "PathLossParameter.h"

#include "Core.h"

namespace radalt {

namespace {

// In PathRole order.
const PathRoleInfo kPaths[] = {
    {{"TX_CABLE_LOSS_CHAN", "TxCableLossChan", true}, "TxCableLossChan", &ScMain::TxCableLoss},
    {{"RX_CABLE_LOSS_CHAN", "RxCableLossChan", true}, "RxCableLossChan", &ScMain::RxCableLoss},
    {{"TX_COUPLER_LOSS_CHAN", "TxCouplerLossChan", true}, "TxCouplerLossChan", &ScMain::TxCouplerLoss},
    {{"RX_COUPLER_LOSS_CHAN", "RxCouplerLossChan", true}, "RxCouplerLossChan", &ScMain::RxCouplerLoss},
    {{"TX_EXTERNAL_LOSS", "TxExternalLoss", false}, "TxExternalLossChan", &ScMain::TxExternalLoss},
    {{"RX_EXTERNAL_LOSS", "RxExternalLoss", false}, "RxExternalLossChan", &ScMain::RxExternalLoss},
    {{"OFFSET", "Offset", false}, "OffsetChan", &ScMain::DistanceOffset},
};

}  // namespace

const PathRoleInfo& PathInfo(PathRole role) { return kPaths[static_cast<int>(role)]; }

PathLossParameter::PathLossParameter(PathRole role, int channel, const char* key, STpersistance* store,
                                     Velmarin::ItemNamer& namer, MY_GUIABLE_i& gui, radalt::Core* mc,
                                     Velmarin::Lockable_i& settings)
    : ChannelDoubleSetting(channel, PathInfo(role).item, PathInfo(role).names,
                           PathInfo(role).persistStem + std::to_string(channel), key, store, namer, gui, mc) {
  // The stored value is the engine's own (for the offset: in the engine's distance unit).
  // What a store of the settings takes is the engine's value too; without an engine, what is shown.
  Persist<double>(persistanceName_.c_str(), Value().val, [this] {
    if (!mc_->HasChannelEngine(channel_)) return attr_.Value().val;
    try {
      return Item(mc_->Items(), mc_->GetSingleChannelPtr(channel_), item_)->Get().val;
    } catch (const CORBA::Exception&) {
      return attr_.Value().val;
    }
  });
  attr_.GuardWith(settings);
}

SCI::RADALTSC_MAIN_INTERFACE_var PathLossParameter::EngineNow(const std::string&) {
  return SCI::RADALTSC_MAIN_INTERFACE::_duplicate(mc_->GetSingleChannelPtr(channel_));
}

SCI::RADALTSC_MAIN_INTERFACE_var BoundPathLoss::EngineNow(const std::string& prefix) {
  SCI::RADALTSC_MAIN_INTERFACE_var engine = kept_.Engine();
  RequireEngine(engine.in(), prefix, prefix.substr(1) + " - scptr is zero");
  return engine;
}

PathLossParameter::Record PathLossParameter::EngineValueShown(SCI::RADALTSC_MAIN_INTERFACE_ptr engine) const {
  return ToShown(Item(mc_->Items(), engine, item_)->Get());
}

void PathLossParameter::Callback(const Record& value) {
  const std::string prefix = Prefix(ClassName(), MethodName("Callback"));
  RequireChannelEnabled(*mc_, channel_, prefix,
                        names_.digitInNames ? NotEnabledText::kNumbered : NotEnabledText::kUnnumbered);
  SCI::RADALTSC_MAIN_INTERFACE_var engine = EngineNow(prefix);
  const Velmarin::Locker_ID who = WriterId();
  const Record forwarded = ToEngine(value);
  SettingWrite{prefix, {channel_}, {channel_}}.Run(
      [&](int) { Item(mc_->Items(), engine.in(), item_)->Set(who, forwarded); },
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
        OwnedRef<Velmarin::EngineAttribValueDouble_ptr> item = Item(mc_->Items(), engine.in(), item_);
        Record stored = item->Get();
        stored.val = Recalled<double>(persistanceName_.c_str());
        item->Set(who, stored);
      },
      [&](int) { return SetValue(EngineValueShown(engine.in())); });
}

}  // namespace radalt
