#include "RADALTMC_main_i.h"

#include <iostream>
#include <map>

#include "ChannelChecks.h"
#include "Core.h"
#include "Exceptions.h"
#include "platform/Orb.h"

namespace OE = Velmarin::Operation_errors;

namespace {

const char* const kClass = " Velmarin_RADALTMC_RADALTMC_MAIN_INTERFACE_i::";

// Engine operation -> the key its item is registered under, from the engine's item table.
const std::map<std::string, std::string>& EngineKeys() {
  static const std::map<std::string, std::string> keys = {
#define SC_ITEM(op, kind, key, mn, mx, st, init, unit, text) {#op, key},
#include "radaltsc_items.def"
#include "Keys.h"
#undef SC_ITEM
  };
  return keys;
}

[[noreturn]] void NotConfigured(const std::string& who, const std::string& text) {
  radalt::LogThrow(who + " throw NotConfigured:" + text, OE::NotConfigured(text.c_str()));
}

}  // namespace

std::string Velmarin_RADALTMC_RADALTMC_MAIN_INTERFACE_i::EngineItemName(int channel,
                                                                       const std::string& engineOperation) {
  auto it = EngineKeys().find(engineOperation);
  if (it == EngineKeys().end()) return std::string();
  return "CH" + std::to_string(channel) + ":" + it->second;
}

Velmarin::EngineReadingBase_ptr Velmarin_RADALTMC_RADALTMC_MAIN_INTERFACE_i::Registered(const std::string& name) {
  return mc_->Gui().Get_attr(name.c_str());
}

Velmarin::EngineReadingBase_ptr Velmarin_RADALTMC_RADALTMC_MAIN_INTERFACE_i::Attribute(const char* op,
                                                                                      const std::string& key) {
  Velmarin::EngineReadingBase_var attr = Registered(key);
  if (CORBA::is_nil(attr))
    NotConfigured(kClass + std::string(op),
                  std::string(op) + ": attribute \"" + key + "\" is not configured in this master control");
  return attr._retn();
}

CORBA::Long Velmarin_RADALTMC_RADALTMC_MAIN_INTERFACE_i::LongValue(const std::string& key) {
  Velmarin::EngineReadingBase_var attr = Registered(key);
  Velmarin::EngineReadingLong_var reading = Velmarin::EngineReadingLong::_narrow(attr);
  if (CORBA::is_nil(reading))
    NotConfigured(kClass + std::string("LongValue"),
                  "attribute \"" + key + "\" is not configured in this master control");
  return reading->Get();
}

Velmarin::EngineReadingBase_ptr Velmarin_RADALTMC_RADALTMC_MAIN_INTERFACE_i::EngineItem(int channel,
                                                                                       const char* engineOperation,
                                                                                       const std::string& who) {
  radalt::RequireChannelEnabled(LongValue(radalt::key::NOOFENABLEDCHANNELS), channel, who,
                                radalt::NotEnabledText::kNumbered);
  const std::string name = EngineItemName(channel, engineOperation);
  Velmarin::EngineReadingBase_var item = name.empty() ? Velmarin::EngineReadingBase::_nil() : Registered(name);
  if (CORBA::is_nil(item))
    NotConfigured(who, std::string("channel ") + std::to_string(channel) + " engine offers no " + engineOperation);
  return item._retn();
}

Velmarin::EngineReadingBase_ptr Velmarin_RADALTMC_RADALTMC_MAIN_INTERFACE_i::SweepRate(int channel,
                                                                                      const std::string& who) {
  radalt::RequireChannelEnabled(LongValue(radalt::key::NOOFENABLEDCHANNELS), channel, who,
                                radalt::NotEnabledText::kNumbered);
  const bool type3 = LongValue(EngineItemName(channel, "UutType")) == 3;
  return EngineItem(channel, type3 ? "UUTSweepRateType3" : "UUTSweepRate", who);
}

Velmarin::EngineReadingBase_ptr Velmarin_RADALTMC_RADALTMC_MAIN_INTERFACE_i::CalibrationItem(
    const char* engineOperation, const std::string& who) {
  const CORBA::Long ch = LongValue(radalt::key::FACTORYCALIBRATIONCHANNEL);
  const CORBA::Long n = LongValue(radalt::key::NOOFENABLEDCHANNELS);
  if (ch > n || ch < 1)
    radalt::LogThrow(who + " throw DataOutOfRangeException:Factory calibration channel out of range",
                     OE::DataOutOfRangeException<int>("Factory calibration channel out of range", 1, n, ch));
  if (!mc_->GetSingleChannelIsLocal(ch))
    radalt::LogThrow(who + " throw NotSupported:Factory calibration channel set to an external channel",
                     OE::NotSupported("Factory calibration channel set to an external channel"));
  const std::string name = EngineItemName(ch, engineOperation);
  Velmarin::EngineReadingBase_var item = name.empty() ? Velmarin::EngineReadingBase::_nil() : Registered(name);
  if (CORBA::is_nil(item))
    NotConfigured(who, std::string("channel ") + std::to_string(ch) + " engine offers no " + engineOperation);
  return item._retn();
}

void Velmarin_RADALTMC_RADALTMC_MAIN_INTERFACE_i::RunOnEngine(int channel, const std::string& who,
                                                             const char* nilText, EngineCommand command) {
  radalt::RequireChannelEnabled(LongValue(radalt::key::NOOFENABLEDCHANNELS), channel, who,
                                radalt::NotEnabledText::kNumberedLogOnly);
  if (!mc_->HasChannelEngine(channel))
    radalt::LogThrow(who + ":throw Pointer is zero", OE::NotConfigured(nilText));
  (mc_->GetSingleChannelPtr(channel)->*command)();
}

SCI::RADALTSC_MAIN_INTERFACE_ptr Velmarin_RADALTMC_RADALTMC_MAIN_INTERFACE_i::GetChannelPointer(CORBA::ULong channel) {
  try {
    // The number is checked before it is narrowed to the registry's int.
    if (channel < 1 || channel > 3)
      throw OE::DataOutOfRangeException<int>("illegal channel index", 1, 3, channel > 3 ? 4 : 0);
    return SCI::RADALTSC_MAIN_INTERFACE::_duplicate(mc_->GetSingleChannelPtr(static_cast<int>(channel)));
  } catch (...) {
    std::cout << " Velmarin_RADALTMC_RADALTMC_MAIN_INTERFACE_i::GetChannelPointer caught exception" << std::endl;
    return SCI::RADALTSC_MAIN_INTERFACE::_nil();
  }
}

Velmarin_RADALTMC_RADALTMC_MAIN_INTERFACE_i::~Velmarin_RADALTMC_RADALTMC_MAIN_INTERFACE_i() {
  Velmarin::DeactivateServant(this);
}
