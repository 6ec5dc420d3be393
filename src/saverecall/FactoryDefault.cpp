#include "FactoryDefault.h"

#include <boost/bind/bind.hpp>

#include "SaveRecallCommon.h"
#include "Keys.h"

namespace radalt {

namespace {

namespace OE = Velmarin::Operation_errors;

struct Default {
  const char* key;  // per channel: the key after "CH<n>"
  double value;
};

// The diagnostic outputs, switched off first: each releases its holds and the calibration
// buttons' code.
constexpr const char* kDiagnosticOutputs[] = {radalt::key::DIAGOUTPUTSTATUS,         radalt::key::DIAGRXMEASURING,
                                              radalt::key::DIAGATTENOUTPUTSTATUS,    radalt::key::DIAGLOOPBACKOUTPUTSTATUS,
                                              radalt::key::DIAGLOOPBACKMEASURING,    radalt::key::DIAGPASSTHRURUNNING};

// One channel's RF path, in the order applied.
constexpr Default kPerChannel[] = {
    {"OFFSET", 0.0},     {"OUTPWRLVL", -55.0},  {"LOOPLOSS", 48.9},  {"TXCBLLOSS", 0.0}, {"RXCBLLOSS", 0.0},
    {"TXCOUPLOSS", 0.0}, {"RXCOUPLOSS", 0.0},   {"TXEXTLOSS", 0.0},  {"RXEXTLOSS", 0.0},
};

// The shared settings, applied once after the channels, in this order.
constexpr Default kShared[] = {
    {radalt::key::AIDMODE, 0},    {radalt::key::AIDFIXED, 1},          {radalt::key::AIDVAR, 0},          {radalt::key::ALTUNITS, 0},
    {radalt::key::DISTUNITS, 0},  {radalt::key::RFLVLMODE, 0},         {radalt::key::COUPLEDMANUALRFLVL, 0}, {radalt::key::UUTDETECT, 0},
    {radalt::key::RFCONNECT, 0},  {radalt::key::UUTTYPE, 0},           {radalt::key::UUTCDFSUBTYPE, 0},   {radalt::key::CDFALTCORRECTION, 1},
    {radalt::key::RFLVLOFFSET, 0}, {radalt::key::FREQDISPLAYMODE, 0},  {radalt::key::PROFILEDISPLAYUNITS, 0}, {radalt::key::POWERDISPLAYMODE, 0},
};

}  // namespace

FactoryDefault::FactoryDefault(int channel, Velmarin::ItemNamer& namer, MY_GUIABLE_i& gui, radalt::Core* mc)
    : Parameter(mc, nullptr, namer, gui, ("CH" + std::to_string(channel) + "FACTORYDEFAULT").c_str(),
                boost::bind(&FactoryDefault::Callback, this)),
      channel_(channel),
      prefix_(TwinPrefix("Factory_Default_Chan", ("FactoryDefaultChan" + std::to_string(channel) + "Callback").c_str(),
                         channel)) {
  // A client sees the command refused while a simulation holds the settings.
  attr_.GuardWith(mc->Group(LockGroup::SETTINGS));
}

void FactoryDefault::Callback() {
  radalt::Core& mc = *mc_;
  const int n = RequireChannelEnabled(mc, channel_, prefix_, NotEnabledText::kNumbered);
  // The values below are written as the master control: its own groups (auto modes) do
  // not stop them, so a running simulation's hold is refused here.
  Velmarin::Lockable_i& settings = mc.Group(LockGroup::SETTINGS);
  if (settings.IsLocked()) {
    const Velmarin::Locker_ID holder = settings.Holder();
    LogThrow(prefix_ + " throw Locking_Error_Exception:" + settings.Reason(),
             OE::Locking_Error_Exception(holder.name.in(), settings.Reason().c_str(), settings.Message().c_str()));
  }
  for (const char* key : kDiagnosticOutputs) Apply(key, 0);
  const bool coupled = mc.CoupledAltitudeSimulation();
  for (int ch : TargetChannels(channel_, n, coupled)) {
    if (ch < 1 || ch > 3) {
      const std::string text = "FactoryDefaultChan" + std::to_string(channel_) + "Callback - current_Channel";
      LogThrow(prefix_ + " throw " + text, Velmarin::Runtime_errors::Unhandled_switch(text.c_str()));
    }
    ApplyChannel(ch);
  }
  for (const Default& d : kShared) Apply(d.key, d.value);
}

void FactoryDefault::ApplyChannel(int channel) {
  for (const Default& d : kPerChannel) Apply("CH" + std::to_string(channel) + d.key, d.value);
}

void FactoryDefault::Apply(const std::string& key, double value) {
  Velmarin::EngineReadingBase_i* attr = mc_->Gui().Local(key);
  const Velmarin::Locker_ID& who = mc_->McLocker().Id();
  // A value record keeps every field its attribute reports but the value.
  if (auto* d = dynamic_cast<Velmarin::EngineAttribValueDouble_i*>(attr)) {
    VALUE_DOUBLE::VALUE r = d->Value();
    r.val = value;
    d->Set(who, r);
  } else if (auto* l = dynamic_cast<Velmarin::EngineAttribValueLong_i*>(attr)) {
    VALUE_LONG::VALUE r = l->Value();
    r.val = static_cast<CORBA::Long>(value);
    l->Set(who, r);
  } else if (auto* e = dynamic_cast<Velmarin::EngineAttribEnum_i*>(attr)) {
    e->Set(who, static_cast<CORBA::Long>(value));
  } else if (auto* i = dynamic_cast<Velmarin::EngineAttribLong_i*>(attr)) {
    i->Set(who, static_cast<CORBA::Long>(value));
  } else if (auto* b = dynamic_cast<Velmarin::EngineAttribBoolean_i*>(attr)) {
    b->Set(who, value != 0.0);
  } else {
    const std::string text = "No settable attribute " + key;
    LogThrow(prefix_ + " throw NotConfigured:" + text, OE::NotConfigured(text.c_str()));
  }
}

}  // namespace radalt
