// The main remote interface: every attribute of the test set, handed out by operation. It
// carries no logic of its own: an operation looks its attribute up in the GUI registry when
// it is called, so a subsystem's attributes become reachable here by being registered under
// the keys of idl/radaltmc_attributes.def.
#pragma once

#include <string>

#include "RadAltMC.hh"

namespace radalt {
class Core;
}

namespace SCI = Velmarin::RadAltSingleChannelStateControl;

class Velmarin_RADALTMC_RADALTMC_MAIN_INTERFACE_i : public virtual POA_Velmarin::RADALTMC::RADALTMC_MAIN_INTERFACE {
 public:
  explicit Velmarin_RADALTMC_RADALTMC_MAIN_INTERFACE_i(radalt::Core* mc) : mc_(mc) {}
  ~Velmarin_RADALTMC_RADALTMC_MAIN_INTERFACE_i() override;

#define MC_ATTR(op, key) \
  Velmarin::EngineReadingBase_ptr op() override { return Attribute(#op, key); }
#define MC_KEY(key)
#define MC_ENGINE_ITEM(op, ch, item, who) \
  Velmarin::EngineReadingBase_ptr op() override { return EngineItem(ch, #item, who); }
#define MC_SWEEP_ITEM(op, ch, who) \
  Velmarin::EngineReadingBase_ptr op() override { return SweepRate(ch, who); }
#define MC_CAL_ITEM(op, item, who) \
  Velmarin::EngineReadingBase_ptr op() override { return CalibrationItem(#item, who); }
#define MC_ENGINE_RUN(op, ch, item, who, text) \
  void op() override { RunOnEngine(ch, who, text, &SCI::_objref_RADALTSC_MAIN_INTERFACE::item); }
#define MC_CHANNEL_POINTER(op) SCI::RADALTSC_MAIN_INTERFACE_ptr op(CORBA::ULong channel) override;
#include "radaltmc_attributes.def"
#undef MC_ATTR
#undef MC_KEY
#undef MC_ENGINE_ITEM
#undef MC_SWEEP_ITEM
#undef MC_CAL_ITEM
#undef MC_ENGINE_RUN
#undef MC_CHANNEL_POINTER

  // The key under which a channel engine's item is registered ("CH2:FREQ"), from the
  // engine's item table; empty when the table has no such item.
  static std::string EngineItemName(int channel, const std::string& engineOperation);

 private:
  using EngineCommand = void (SCI::_objref_RADALTSC_MAIN_INTERFACE::*)();

  // The attribute registered under key; NotConfigured while nothing is.
  Velmarin::EngineReadingBase_ptr Attribute(const char* op, const std::string& key);
  // A channel engine's item, once the channel is found enabled.
  Velmarin::EngineReadingBase_ptr EngineItem(int channel, const char* engineOperation, const std::string& who);
  Velmarin::EngineReadingBase_ptr SweepRate(int channel, const std::string& who);
  // An item of the factory calibration channel's engine, after the calibration channel check.
  Velmarin::EngineReadingBase_ptr CalibrationItem(const char* engineOperation, const std::string& who);
  void RunOnEngine(int channel, const std::string& who, const char* nilText, EngineCommand command);

  // The value of a long attribute or reading registered under key.
  CORBA::Long LongValue(const std::string& key);
  // Looks name up in the registry; nil when not registered.
  Velmarin::EngineReadingBase_ptr Registered(const std::string& name);

  radalt::Core* mc_;
};
