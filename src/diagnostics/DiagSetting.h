// A diagnostic setting: a value the maintenance screens set on channel 1's engine (a mode, a
// power, a frequency, a raw attenuator value ...). Nothing is stored. One implementation for
// every kind of value; the named classes (DiagSettings.h) only give it its key, engine item
// and method names.
//
// A write: "No enabled channels" while none is; otherwise the value goes to channel 1's engine
// as it is now (no reference is kept), is read back and shown when it differs.
#pragma once

#include <cmath>
#include <string>
#include <vector>

#include <boost/bind/bind.hpp>

#include "ChannelChecks.h"
#include "Parameter.h"

namespace radalt {

// What differs between the kinds of value.
template <class Servant>
struct DiagKind;

template <>
struct DiagKind<Velmarin::EngineAttribEnum_i> {
  using ItemPtr = Velmarin::EngineAttribEnum_ptr;
  using Extra = std::vector<Velmarin::EngineAttribEnumParamElem>;
  static void Install(Velmarin::EngineAttribEnum_i& s, ItemPtr item) {
    Velmarin::EngineAttribEnumParams_var labels = item->GetParams();
    for (CORBA::ULong i = 0; i < labels->length(); ++i) s.AddParam(labels[i].value, labels[i].label.in());
  }
  static bool Same(CORBA::Long a, CORBA::Long b) { return a == b; }
  static CORBA::Long With(CORBA::Long, double v) { return static_cast<CORBA::Long>(v); }
};

template <>
struct DiagKind<Velmarin::EngineAttribLong_i> {
  using ItemPtr = Velmarin::EngineAttribLong_ptr;
  using Extra = Velmarin::EngineAttribLongParams;
  static void Install(Velmarin::EngineAttribLong_i& s, ItemPtr item) { s.SetParams(item->GetParams()); }
  static bool Same(CORBA::Long a, CORBA::Long b) { return a == b; }
  static CORBA::Long With(CORBA::Long, double v) { return static_cast<CORBA::Long>(v); }
};

template <>
struct DiagKind<Velmarin::EngineAttribValueLong_i> {
  using ItemPtr = Velmarin::EngineAttribValueLong_ptr;
  using Extra = Velmarin::EngineAttribValueLongParams;
  static void Install(Velmarin::EngineAttribValueLong_i& s, ItemPtr item) { s.SetParams(item->GetParams()); }
  static bool Same(const VALUE_LONG::VALUE& a, const VALUE_LONG::VALUE& b) { return a.val == b.val; }
  static VALUE_LONG::VALUE With(VALUE_LONG::VALUE r, double v) {
    r.val = static_cast<CORBA::Long>(v);
    return r;
  }
};

template <>
struct DiagKind<Velmarin::EngineAttribValueDouble_i> {
  using ItemPtr = Velmarin::EngineAttribValueDouble_ptr;
  using Extra = Velmarin::EngineAttribValueDoubleParams;
  static void Install(Velmarin::EngineAttribValueDouble_i& s, ItemPtr item) { s.SetParams(item->GetParams()); }
  // Powers closer than a thousandth are the same.
  static bool Same(const VALUE_DOUBLE::VALUE& a, const VALUE_DOUBLE::VALUE& b) { return std::fabs(a.val - b.val) <= 0.001; }
  static VALUE_DOUBLE::VALUE With(VALUE_DOUBLE::VALUE r, double v) {
    r.val = v;
    return r;
  }
};

template <class Servant>
class DiagSetting : public Parameter<Servant> {
  using Kind = DiagKind<Servant>;
  using ItemPtr = typename Kind::ItemPtr;

 public:
  using In = typename Servant::In;
  using Stored = typename Servant::Stored;

  Stored Value() const { return this->attr_.Value(); }
  // Writes the current value with v in place of its value field (the start-up values of Reset).
  void WriteValue(double v) { Write(Kind::With(this->attr_.Value(), v)); }

 protected:
  DiagSetting(Core* mc, const char* className, const char* key, const char* callbackName, ScItemOp<ItemPtr> item)
      : Parameter<Servant>(mc, nullptr, mc->Namer(), mc->Gui(), key, Channel1(mc, item)->Get(),
                           boost::bind(&DiagSetting::Write, this, boost::placeholders::_1), typename Kind::Extra()),
        prefix_(std::string(" ") + className + "::" + callbackName),
        item_(item) {
    Kind::Install(this->attr_, Channel1(mc, item).in());
  }

  void Write(In value) {
    RequireAnyChannelEnabled(*this->mc_, prefix_);
    OwnedRef<ItemPtr> item = Channel1(this->mc_, item_);
    const Velmarin::Locker_ID who = this->WriterId();
    SettingWrite{prefix_, {1}, {1}}.Run([&](int) { item->Set(who, value); },
                                        [&](int) {
                                          const Stored accepted = item->Get();
                                          if (!Kind::Same(accepted, this->attr_.Value())) this->attr_ = accepted;
                                        });
  }

 private:
  static OwnedRef<ItemPtr> Channel1(Core* mc, ScItemOp<ItemPtr> item) {
    return Item(mc->Items(), mc->GetSingleChannelPtr(1), item);
  }

  const std::string prefix_;
  const ScItemOp<ItemPtr> item_;
};

}  // namespace radalt
