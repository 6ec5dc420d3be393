// One of the three AID settings: a value of channel 1's engine, written to the engine as it is
// now (not a reference kept from start-up) and shown as the engine accepted it.
#pragma once

#include <string>
#include <vector>

#include <boost/bind/bind.hpp>

#include "MYGUIABLE.h"
#include "Parameter.h"
#include "RfLevelCommon.h"

namespace radalt {

// What tells the three apart.
struct AidInfo {
  const char* className;       // AID_FIXED
  const char* callbackName;    // AidFixedCallback
  const char* recallName;      // RecallAidFixed
  const char* key;             // AIDFIXED
  const char* persistanceName; // AidFixed
};

// The enumerations (fixed AID, AID mode) and the variable AID record.
struct AidEnumKind {
  using Servant = Velmarin::EngineAttribEnum_i;
  using Item = Velmarin::EngineAttribEnum;
  using Value = int;
  using Extra = std::vector<Velmarin::EngineAttribEnumParamElem>;
  static Extra ExtraOf(Item::_ptr_type item) {
    Velmarin::EngineAttribEnumParams_var params = item->GetParams();
    Extra out;
    for (CORBA::ULong i = 0; i < params->length(); ++i) out.push_back(params[i]);
    return out;
  }
  static bool Same(int a, int b) { return a == b; }
  static int Stored(int v) { return v; }
  static int WithStored(int, int stored) { return stored; }
};
struct AidLongKind {
  using Servant = Velmarin::EngineAttribValueLong_i;
  using Item = Velmarin::EngineAttribValueLong;
  using Value = VALUE_LONG::VALUE;
  using Extra = Velmarin::EngineAttribValueLongParams;
  static Extra ExtraOf(Item::_ptr_type item) { return item->GetParams(); }
  static bool Same(const Value& a, const Value& b) { return ValueLongSame(a, b); }
  static int Stored(const Value& v) { return v.val; }
  static Value WithStored(Value current, int stored) {
    current.val = stored;
    return current;
  }
};

template <class Kind>
class AidSetting : public Parameter<typename Kind::Servant> {
  using Base = Parameter<typename Kind::Servant>;

 public:
  using Value = typename Kind::Value;
  using ItemOp = typename Kind::Item::_ptr_type (ScMain::*)();

  // Write handler: refused with no enabled channel; written to channel 1's engine.
  void Callback(const Value& v) {
    const std::string prefix = Prefix(info_.className, info_.callbackName);
    RequireAnyChannelEnabled(*this->mc_, prefix);
    WriteAndShow(v, prefix);
  }
  // Writes the persisted value to channel 1's engine and shows what it accepted.
  void Recall() {
    const std::string prefix = Prefix(info_.className, info_.recallName);
    WriteAndShow(Kind::WithStored(this->attr_.Value(), this->template Recalled<int>(info_.persistanceName)), prefix);
  }
  Value Current() const { return this->attr_.Value(); }
  typename Base::Ref Reference() { return this->This(); }

 protected:
  AidSetting(const AidInfo& info, ItemOp op, STpersistance* store, Velmarin::ItemNamer& namer, MY_GUIABLE_i& gui,
             radalt::Core* mc)
      : AidSetting(info, op, store, namer, gui, mc, Channel1Item(mc, op)) {}

 private:
  using ItemVar = typename Kind::Item::_var_type;
  static ItemVar Channel1Item(radalt::Core* mc, ItemOp op);
  AidSetting(const AidInfo& info, ItemOp op, STpersistance* store, Velmarin::ItemNamer& namer, MY_GUIABLE_i& gui,
             radalt::Core* mc, const ItemVar& item)
      : Base(mc, store, namer, gui, info.key, item->Get(), boost::bind(&AidSetting::Callback, this, boost::placeholders::_1),
             Kind::ExtraOf(item.in())),
        info_(info),
        op_(op) {
    this->template Persist<int>(info.persistanceName, Kind::Stored(this->attr_.Value()));
  }

  void WriteAndShow(const Value& v, const std::string& prefix) {
    ItemVar item = Channel1Item(this->mc_, op_);
    const Velmarin::Locker_ID who = this->WriterId();
    SettingWrite{prefix, {1}, {1}}.Run([&](int) { item->Set(who, v); },
                                       [&](int) {
                                         const Value accepted = item->Get();
                                         if (!Kind::Same(accepted, this->attr_.Value())) this->attr_ = accepted;
                                       });
  }

  const AidInfo& info_;
  const ItemOp op_;
};

}  // namespace radalt

#include "Core.h"

namespace radalt {

template <class Kind>
typename AidSetting<Kind>::ItemVar AidSetting<Kind>::Channel1Item(radalt::Core* mc, ItemOp op) {
  // The registry's entry as it is now: a restarted engine is reached at its new reference.
  return radalt::Item(mc->Items(), mc->GetSingleChannelPtr(1), op)._retn();
}

}  // namespace radalt
