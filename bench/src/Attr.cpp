#include "Attr.h"

#include <cmath>
#include <stdexcept>
#include <vector>

#include "Values.h"
#include "platform/ORB_wrapper.h"

namespace radalt_bench {

Registry::Registry() {
  Velmarin::ORB_wrapper_base naming;
  for (const auto& name : naming.FindChildContext("Lumaren/local/GUI_ABLE")) {
    if (name.rfind("RADALT", 0) != 0 || name.rfind("RADALTSC", 0) == 0) continue;
    CORBA::Object_var obj = naming.LookupClient({"Lumaren", "local", "GUI_ABLE", name});
    gui_ = Velmarin::GUI_Able::_narrow(obj);
    if (!CORBA::is_nil(gui_)) return;
  }
  throw CORBA::TRANSIENT();
}

Velmarin::EngineReadingBase_ptr Registry::Find(const std::string& name) {
  return gui_->Get_attr(name.c_str());
}

bool Registry::Has(const std::string& name) {
  Velmarin::EngineReadingBase_var a = Find(name);
  return !CORBA::is_nil(a);
}

std::string DescribeException(const CORBA::Exception& e) {
  namespace OE = Velmarin::Operation_errors;
  namespace CE = Velmarin::Connection_errors;
  std::string text = e._name();
  if (auto* x = OE::DataOutOfRange::_downcast(&e)) return text + ": " + x->info.text.in();
  if (auto* x = OE::Locking_Error::_downcast(&e))
    return text + ": " + x->holder.in() + ", " + x->reason.in() + ", " + x->message.in();
  if (auto* x = OE::Settings_Conflict::_downcast(&e)) return text + ": " + x->text.in();
  if (auto* x = OE::NotConfigured::_downcast(&e)) return text + ": " + x->text.in();
  if (auto* x = OE::NotSupported::_downcast(&e)) return text + ": " + x->text.in();
  if (auto* x = OE::Object_Not_Found::_downcast(&e)) return text + ": " + x->text.in();
  if (auto* x = OE::Data_Source_Not_Compatible::_downcast(&e)) return text + ": " + x->text.in();
  if (auto* x = CE::Generic::_downcast(&e)) return text + ": " + x->text.in();
  if (auto* x = CE::Not_Connected::_downcast(&e)) return text + ": " + x->text.in();
  if (auto* x = CE::Communications_failure::_downcast(&e)) return text + ": " + x->text.in();
  if (auto* x = Velmarin::Runtime_errors::Unhandled_switch::_downcast(&e)) return text + ": " + x->text.in();
  return text;
}

double ReadNumber(Velmarin::EngineReadingBase_ptr attr) {
  CORBA::Any_var any = attr->GetAny();
  CORBA::Long l;
  CORBA::Double d;
  CORBA::Boolean b;
  const VALUE_DOUBLE::VALUE* vd = nullptr;
  const VALUE_LONG::VALUE* vl = nullptr;
  if (any.in() >>= l) return l;
  if (any.in() >>= d) return d;
  if (any.in() >>= CORBA::Any::to_boolean(b)) return b ? 1 : 0;
  if (any.in() >>= vd) return vd->val;
  if (any.in() >>= vl) return vl->val;
  return NAN;
}

AttrWriter::AttrWriter(Velmarin::EngineReadingBase_ptr attr, const Velmarin::Locker_ID& who)
    : attr_(Velmarin::EngineReadingBase::_duplicate(attr)), who_(who) {
  CORBA::String_var type = attr_->TypeName();
  type_ = type.in();
  if (type_ == "EngineAttribBoolean") {
    kind_ = Kind::Boolean;
    boolean_ = Velmarin::EngineAttribBoolean::_narrow(attr_);
    const double cur = boolean_->Get() ? 1 : 0;
    pair_ = {cur, 1 - cur};
  } else if (type_ == "EngineAttribLong") {
    kind_ = Kind::Long;
    longAttr_ = Velmarin::EngineAttribLong::_narrow(attr_);
    const Velmarin::EngineAttribLongParams p = longAttr_->GetParams();
    pair_ = AlternatePair(longAttr_->Get(), p.min, p.max, p.step, true);
  } else if (type_ == "EngineAttribEnum") {
    kind_ = Kind::Enum;
    enum_ = Velmarin::EngineAttribEnum::_narrow(attr_);
    Velmarin::EngineAttribEnumParams_var p = enum_->GetParams();
    std::vector<long> allowed;
    for (CORBA::ULong i = 0; i < p->length(); ++i) allowed.push_back(p[i].value);
    const auto e = AlternateEnum(enum_->Get(), allowed);
    pair_ = {static_cast<double>(e.first), static_cast<double>(e.second)};
  } else if (type_ == "EngineAttribString") {
    kind_ = Kind::String;
    string_ = Velmarin::EngineAttribString::_narrow(attr_);
    CORBA::String_var cur = string_->Get();
    text_ = cur.in();
  } else if (type_ == "EngineAttribValueLong") {
    kind_ = Kind::ValueLong;
    valueLong_ = Velmarin::EngineAttribValueLong::_narrow(attr_);
    long_ = valueLong_->Get();
    const Velmarin::EngineAttribValueLongParams p = valueLong_->GetParams();
    pair_ = AlternatePair(long_.val, p.min, p.max, p.step, true);
  } else if (type_ == "EngineAttribValueDouble") {
    kind_ = Kind::ValueDouble;
    valueDouble_ = Velmarin::EngineAttribValueDouble::_narrow(attr_);
    double_ = valueDouble_->Get();
    const Velmarin::EngineAttribValueDoubleParams p = valueDouble_->GetParams();
    pair_ = AlternatePair(double_.val, p.min, p.max, p.step, false);
  } else if (type_ == "EngineAttribVoid") {
    kind_ = Kind::Command;
    command_ = Velmarin::EngineAttribVoid::_narrow(attr_);
  } else {
    throw std::runtime_error("the bench does not write a " + type_);
  }
}

void AttrWriter::WriteNext() {
  second_ = !second_;
  if (kind_ == Kind::String) {
    string_->Set(who_, (text_ + (second_ ? "1" : "")).c_str());
    return;
  }
  Write(second_ ? pair_.second : pair_.first);
}

void AttrWriter::Write(double v) {
  switch (kind_) {
    case Kind::Boolean:
      boolean_->Set(who_, v != 0);
      break;
    case Kind::Long:
      longAttr_->Set(who_, static_cast<CORBA::Long>(std::lround(v)));
      break;
    case Kind::Enum:
      enum_->Set(who_, static_cast<CORBA::Long>(std::lround(v)));
      break;
    case Kind::String:
      string_->Set(who_, std::to_string(v).c_str());
      break;
    case Kind::ValueLong:
      long_.val = static_cast<CORBA::Long>(std::lround(v));
      valueLong_->Set(who_, long_);
      break;
    case Kind::ValueDouble:
      double_.val = v;
      valueDouble_->Set(who_, double_);
      break;
    case Kind::Command:
      command_->Execute(who_);
      break;
  }
}

}  // namespace radalt_bench
