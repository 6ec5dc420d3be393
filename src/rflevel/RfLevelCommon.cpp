#include "RfLevelCommon.h"

#include "COUPLED_MANUAL_RF_LEVEL.h"
#include "Core.h"
#include "RFLEVEL_MODE.h"
#include "RfLevelObjects.h"

namespace radalt {

namespace {
const char* const kAutoReason = "Auto rf level mode";
const char* const kAutoRfLevelMessage =
    "Locked because auto rf level mode selected. Select manual rf level mode to set rf level manually";
const char* const kAutoLoopLossMessage =
    "Locked because auto rf level mode selected. Select manual rf level mode to set loop loss manually";
}  // namespace

int EnabledNow(radalt::Core& mc) { return mc.EnabledChannels(); }

int RfLevelModeNow(radalt::Core& mc) {
  RFLEVEL_MODE* mode = RfLevel(mc).rfLevelMode.get();
  return mode ? mode->Value() : kAutomaticRfLevel;
}

bool CoupledManualRfLevelNow(radalt::Core& mc) {
  COUPLED_MANUAL_RF_LEVEL* coupled = RfLevel(mc).coupledManualRfLevel.get();
  return coupled && coupled->Value();
}

bool TestRunningNow(radalt::Core& mc) { return mc.SimulationRunning(); }

void ApplyRfLevelLocks(radalt::Core& mc, int mode) {
  LockGroups& locks = mc.Locks();
  if (mode == kAutomaticRfLevel) {
    locks.Take(LockGroup::RFLEVEL, kAutoRfLevelActivity, kAutoReason, kAutoRfLevelMessage);
    locks.Take(LockGroup::LOOPLOSS, kAutoRfLevelActivity, kAutoReason, kAutoLoopLossMessage);
  } else {
    locks.Release(LockGroup::RFLEVEL, kAutoRfLevelActivity);
    locks.Release(LockGroup::LOOPLOSS, kAutoRfLevelActivity);
  }
}

void RequireEngine(CORBA::Object_ptr engine, const std::string& prefix, const std::string& text) {
  if (CORBA::is_nil(engine))
    LogThrow(prefix + ":throw Pointer is zero", Velmarin::Operation_errors::NotConfigured(text.c_str()));
}

KeptChannel::KeptChannel(int channel, unsigned available, unsigned enabled, ChannelAccess& channels)
    : channel_(channel), channels_(channels), available_(available), enabled_(enabled) {}

void KeptChannel::Update(unsigned available, unsigned enabled) {
  std::lock_guard<std::mutex> lock(mutex_);
  available_ = available;
  enabled_ = enabled;
}

SCI::RADALTSC_MAIN_INTERFACE_var KeptChannel::Engine() const {
  if (!channels_.HasChannelEngine(channel_)) return SCI::RADALTSC_MAIN_INTERFACE::_nil();
  try {
    return SCI::RADALTSC_MAIN_INTERFACE::_duplicate(channels_.GetSingleChannelPtr(channel_));
  } catch (const Velmarin::Operation_errors::NotConfigured&) {
    return SCI::RADALTSC_MAIN_INTERFACE::_nil();  // it went meanwhile
  }
}

unsigned KeptChannel::Available() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return available_;
}

unsigned KeptChannel::Enabled() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return enabled_;
}

}  // namespace radalt
