#include "RfLevelObjects.h"

#include "AID_FIXED.h"
#include "AID_MODE.h"
#include "AID_VARIABLE.h"
#include "AutoCommand.h"
#include "COUPLED_MANUAL_RF_LEVEL.h"
#include "LOOP_LOSS.h"
#include "OFFSET.h"
#include "OUTPUT_POWER_LEVEL_CHAN1.h"
#include "OUTPUT_POWER_LEVEL_CHAN2.h"
#include "OUTPUT_POWER_LEVEL_CHAN3.h"
#include "Core.h"
#include <exception>
#include <stdexcept>
#include "RFLEVEL_MODE.h"
#include "RF_LEVEL_OFFSET.h"
#include "RX_CABLE_LOSS_CHAN1.h"
#include "RX_CABLE_LOSS_CHAN2.h"
#include "RX_CABLE_LOSS_CHAN3.h"
#include "RX_COUPLER_LOSS_CHAN1.h"
#include "RX_COUPLER_LOSS_CHAN2.h"
#include "RX_COUPLER_LOSS_CHAN3.h"
#include "RX_EXTERNAL_LOSS.h"
#include "TX_CABLE_LOSS_CHAN1.h"
#include "TX_CABLE_LOSS_CHAN2.h"
#include "TX_CABLE_LOSS_CHAN3.h"
#include "TX_COUPLER_LOSS_CHAN1.h"
#include "TX_COUPLER_LOSS_CHAN2.h"
#include "TX_COUPLER_LOSS_CHAN3.h"
#include "TX_EXTERNAL_LOSS.h"
#include "Keys.h"

namespace radalt {

namespace {

const char* const kKeys[][3] = {
    {radalt::key::CH1TXEXTLOSS, radalt::key::CH2TXEXTLOSS, radalt::key::CH3TXEXTLOSS},
    {radalt::key::CH1RXEXTLOSS, radalt::key::CH2RXEXTLOSS, radalt::key::CH3RXEXTLOSS},
    {radalt::key::CH1OFFSET, radalt::key::CH2OFFSET, radalt::key::CH3OFFSET},
    {radalt::key::CH1LOOPLOSS, radalt::key::CH2LOOPLOSS, radalt::key::CH3LOOPLOSS},
};
enum KeyRow { kTxExt, kRxExt, kOffset, kLoopLoss };

// The engine of channel as the registry has it now, nil when it has none.
SCI::RADALTSC_MAIN_INTERFACE_ptr EngineOrNil(radalt::Core& mc, int channel) {
  return mc.HasChannelEngine(channel) ? mc.GetSingleChannelPtr(channel) : SCI::RADALTSC_MAIN_INTERFACE::_nil();
}

template <class T>
void Setting(std::unique_ptr<T>& slot, radalt::Core& mc, LockGroup group) {
  slot.reset(new T(mc.SettingsStore(), mc.Namer(), mc.Gui(), &mc, mc.Group(group)));
}

// The twins C1 to C3 of a per-channel setting.
template <class C1, class C2, class C3, class T>
void Twins(PerChannel<T>& slots, radalt::Core& mc, LockGroup group) {
  slots.template BuildEach<C1, C2, C3>(mc.SettingsStore(), mc.Namer(), mc.Gui(), &mc, mc.Group(group));
}

template <class T>
void PathPerChannel(PerChannel<T>& slots, radalt::Core& mc, KeyRow row, LockGroup group) {
  for (int ch = 1; ch <= 3; ++ch)
    slots.Build(ch, ch, mc.Channels().AvailableCount(), mc.Channels().EnabledCount(), EngineOrNil(mc, ch),
                kKeys[row][ch - 1], mc.SettingsStore(), mc.Namer(), mc.Gui(), &mc, mc.Group(group));
}

template <class T>
void AutoPerChannel(PerChannel<T>& slots, radalt::Core& mc) {
  for (int ch = 1; ch <= 3; ++ch)
    slots.Build(ch, ch, mc.Channels().AvailableCount(), mc.Channels().EnabledCount(), EngineOrNil(mc, ch), mc.Namer(),
                mc.Gui(), &mc);
}

}  // namespace

RfLevelObjects::RfLevelObjects() = default;
RfLevelObjects::~RfLevelObjects() = default;

LevelParameter* RfLevelObjects::Level(LevelRole role, int channel) const {
  if (role == LevelRole::LoopLoss) return loopLoss.At(channel);
  return outputPowerLevel.At(channel);
}

PathLossParameter* RfLevelObjects::Path(PathRole role, int channel) const {
  switch (role) {
    case PathRole::TxCable:
      return txCableLoss.At(channel);
    case PathRole::RxCable:
      return rxCableLoss.At(channel);
    case PathRole::TxCoupler:
      return txCouplerLoss.At(channel);
    case PathRole::RxCoupler:
      return rxCouplerLoss.At(channel);
    case PathRole::TxExternal:
      return txExternalLoss.At(channel);
    case PathRole::RxExternal:
      return rxExternalLoss.At(channel);
    case PathRole::Offset:
      return offset.At(channel);
  }
  return nullptr;
}

void ConstructRfLevelObjects(radalt::Core& mc, RfLevelObjects& o) {
  AutoPerChannel(o.autoRfLevel, mc);
  AutoPerChannel(o.autoLoopLoss, mc);
  o.rfLevelMode.reset(new RFLEVEL_MODE(mc.SettingsStore(), mc.Namer(), mc.Gui(), &mc, mc.Group(LockGroup::SETTINGS),
                                       mc.Group(LockGroup::RFLEVELMODE)));
  Velmarin::Lockable_i& settings = mc.Group(LockGroup::SETTINGS);
  Velmarin::Lockable_i& aidItems = mc.Group(LockGroup::AIDITEMS);
  o.aidMode.reset(new AID_MODE(mc.SettingsStore(), mc.Namer(), mc.Gui(), &mc, settings, aidItems));
  o.aidFixed.reset(new AID_FIXED(mc.SettingsStore(), mc.Namer(), mc.Gui(), &mc, settings, aidItems));
  o.aidVariable.reset(new AID_VARIABLE(mc.SettingsStore(), mc.Namer(), mc.Gui(), &mc, settings));
  Twins<OUTPUT_POWER_LEVEL_CHAN1, OUTPUT_POWER_LEVEL_CHAN2, OUTPUT_POWER_LEVEL_CHAN3>(o.outputPowerLevel, mc,
                                                                                      LockGroup::RFLEVEL);
  Setting(o.rfLevelOffset, mc, LockGroup::SETTINGS);
  Twins<TX_CABLE_LOSS_CHAN1, TX_CABLE_LOSS_CHAN2, TX_CABLE_LOSS_CHAN3>(o.txCableLoss, mc, LockGroup::SETTINGS);
  Twins<RX_CABLE_LOSS_CHAN1, RX_CABLE_LOSS_CHAN2, RX_CABLE_LOSS_CHAN3>(o.rxCableLoss, mc, LockGroup::SETTINGS);
  Twins<TX_COUPLER_LOSS_CHAN1, TX_COUPLER_LOSS_CHAN2, TX_COUPLER_LOSS_CHAN3>(o.txCouplerLoss, mc, LockGroup::SETTINGS);
  Twins<RX_COUPLER_LOSS_CHAN1, RX_COUPLER_LOSS_CHAN2, RX_COUPLER_LOSS_CHAN3>(o.rxCouplerLoss, mc, LockGroup::SETTINGS);
  PathPerChannel(o.txExternalLoss, mc, kTxExt, LockGroup::SETTINGS);
  PathPerChannel(o.rxExternalLoss, mc, kRxExt, LockGroup::SETTINGS);
  PathPerChannel(o.offset, mc, kOffset, LockGroup::SETTINGS);
  o.coupledManualRfLevel.reset(new COUPLED_MANUAL_RF_LEVEL(mc.SettingsStore(), mc.Namer(), mc.Gui(), &mc));
  PathPerChannel(o.loopLoss, mc, kLoopLoss, LockGroup::LOOPLOSS);
  AutoPerChannel(o.pwrLvlDiff, mc);
}

// ---- recall ---------------------------------------------------------------------------------

void RecallRfLevelModeAndCoupling(RfLevelObjects& o) {
  if (o.rfLevelMode) o.rfLevelMode->RecallRfLevelMode();
  if (o.coupledManualRfLevel) o.coupledManualRfLevel->RecallCoupledManualRfLevel();
}

void RecallAidSettings(RfLevelObjects& o) {
  if (o.aidMode) o.aidMode->RecallAidMode();
  if (o.aidFixed) o.aidFixed->RecallAidFixed();
  if (o.aidVariable) o.aidVariable->RecallAidVarible();
}

void RecallRfLevelOffset(RfLevelObjects& o) {
  if (o.rfLevelOffset) o.rfLevelOffset->RecallRfLevelOffset();
}

void RecallChannelLevels(RfLevelObjects& o, int channel) {
  for (LevelRole role : {LevelRole::OutputPower, LevelRole::LoopLoss})
    if (LevelParameter* p = o.Level(role, channel)) p->Recall();
}

void RecallChannelPath(RfLevelObjects& o, int channel) {
  for (PathRole role : {PathRole::TxCable, PathRole::RxCable, PathRole::TxCoupler, PathRole::RxCoupler,
                        PathRole::Offset})
    if (PathLossParameter* p = o.Path(role, channel)) p->Recall();
}

void BringBackChannel(RfLevelObjects& o, int channel) {
  std::exception_ptr first;
  auto recall = [&](auto* p) {
    if (!p) return;
    try {
      p->Recall();
    } catch (...) {
      if (!first) first = std::current_exception();
    }
  };
  for (LevelRole role : {LevelRole::OutputPower, LevelRole::LoopLoss}) recall(o.Level(role, channel));
  for (PathRole role : {PathRole::TxCable, PathRole::RxCable, PathRole::TxCoupler, PathRole::RxCoupler,
                        PathRole::TxExternal, PathRole::RxExternal, PathRole::Offset})
    recall(o.Path(role, channel));
  if (first) std::rethrow_exception(first);
}

void ShowChannelFromEngine(RfLevelObjects& o, int channel) {
  for (LevelRole role : {LevelRole::OutputPower, LevelRole::LoopLoss})
    if (LevelParameter* p = o.Level(role, channel)) p->ReadBack();
  for (PathRole role : {PathRole::TxCable, PathRole::RxCable, PathRole::TxCoupler, PathRole::RxCoupler,
                        PathRole::TxExternal, PathRole::RxExternal, PathRole::Offset})
    if (PathLossParameter* p = o.Path(role, channel)) p->ReadBack();
}

// ---- reset ----------------------------------------------------------------------------------

void ResetAidSettings(RfLevelObjects& o) {
  if (!o.aidMode || !o.aidFixed || !o.aidVariable) return;
  o.aidMode->AidModeCallback(1);
  VALUE_LONG::VALUE none = o.aidVariable->Current();
  none.val = 0;
  o.aidVariable->AidVariableCallback(none);
  o.aidMode->AidModeCallback(0);
  o.aidFixed->AidFixedCallback(1);
}

void ResetCoupledManualRfLevel(RfLevelObjects& o) {
  if (o.coupledManualRfLevel) o.coupledManualRfLevel->CoupledManualRfLevelCallback(0);
}

// Each setting on every channel given before the next setting.
void ResetChannelLevels(RfLevelObjects& o, const std::vector<int>& channels) {
  for (int ch : channels)
    if (PathLossParameter* p = o.Path(PathRole::Offset, ch)) p->Callback(p->WithValue(0.0));
  for (int ch : channels)
    if (LevelParameter* p = o.Level(LevelRole::OutputPower, ch)) p->Callback(p->WithValue(-55.0));
  for (int ch : channels)
    if (LevelParameter* p = o.Level(LevelRole::LoopLoss, ch)) p->Callback(p->Value());
}

void ResetRfLevelMode(RfLevelObjects& o) {
  if (o.rfLevelMode) o.rfLevelMode->RfLevelModeCallback(0);
}

void ResetRfLevelOffset(RfLevelObjects& o) {
  if (!o.rfLevelOffset) return;
  VALUE_LONG::VALUE none = o.rfLevelOffset->Value();
  none.val = 0;
  o.rfLevelOffset->RfLevelOffsetCallback(none);
}

void ResetChannelLosses(RfLevelObjects& o, const std::vector<int>& channels) {
  for (PathRole role : {PathRole::RxCable, PathRole::RxCoupler, PathRole::RxExternal, PathRole::TxCable,
                        PathRole::TxCoupler, PathRole::TxExternal})
    for (int ch : channels)
      if (PathLossParameter* p = o.Path(role, ch)) p->Callback(p->WithValue(0.0));
}

void TellChannelsChanged(radalt::Core& mc, RfLevelObjects& o, unsigned available, unsigned enabled) {
  SCI::RADALTSC_MAIN_INTERFACE_ptr refs[3];
  for (int ch = 1; ch <= 3; ++ch) refs[ch - 1] = EngineOrNil(mc, ch);
  auto tell = [&](const auto& perChannel) {
    for (auto [ch, bound] : perChannel) bound->updateChannelData(available, enabled, refs[ch - 1]);
  };
  // In this order, channel 1 to 3 each.
  tell(o.pwrLvlDiff);
  tell(o.txExternalLoss);
  tell(o.rxExternalLoss);
  tell(o.autoRfLevel);
  tell(o.autoLoopLoss);
  tell(o.loopLoss);
  tell(o.offset);
}

void ShowOffsetsFromEngines(radalt::Core& mc, RfLevelObjects& o) {
  for (int ch : ChannelsUpTo(mc.EnabledChannels()))
    if (OFFSET* offset = o.offset.At(ch)) offset->OffsetUpdateFromSC();
}

RfLevelObjects& RfLevel(radalt::Core& mc) {
  RfLevelObjects* o = mc.Find<RfLevelObjects>();
  if (!o) throw std::logic_error("the RF level objects are not provided");
  return *o;
}

}  // namespace radalt
