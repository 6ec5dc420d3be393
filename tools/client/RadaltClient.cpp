#include "RadaltClient.h"

#include <chrono>
#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <sstream>

#include "ValueText.h"
#include "platform/DDS_TextSubscription.h"
#include "platform/ORB_wrapper.h"
#include "platform/Orb.h"

namespace radaltclient {

namespace AS = RadAltSingleChannelModel::AltimeterSimulationObjects;
namespace OE = Velmarin::Operation_errors;
namespace CE = Velmarin::Connection_errors;
using Main_ptr = Velmarin::RADALTMC::RADALTMC_MAIN_INTERFACE_ptr;

namespace {

std::once_flag orbConfigured;

double Number(const Velmarin::TypeUnion& u) { return u._d() == Velmarin::TK_LONG ? u.l() : u.d(); }

// The one text of the system's single-text refusals.
bool SingleText(const CORBA::UserException& e, std::string& text) {
#define RADALT_TEXT(T)                      \
  if (auto* x = T::_downcast(&e)) {         \
    text = x->text.in();                    \
    return true;                            \
  }
  RADALT_TEXT(OE::Settings_Conflict)
  RADALT_TEXT(OE::NotConfigured)
  RADALT_TEXT(OE::NotSupported)
  RADALT_TEXT(OE::Object_Not_Found)
  RADALT_TEXT(OE::Data_Source_Not_Compatible)
  RADALT_TEXT(CE::Generic)
  RADALT_TEXT(CE::Not_Connected)
  RADALT_TEXT(CE::Communications_failure)
  RADALT_TEXT(Velmarin::Runtime_errors::Unhandled_switch)
  RADALT_TEXT(Velmarin::Runtime_errors::Generic)
#undef RADALT_TEXT
  return false;
}

Velmarin::DDS_ValueKind KindOf(const std::string& type) {
  auto ends = [&](const char* tail) {
    const std::string t(tail);
    return type.size() >= t.size() && type.compare(type.size() - t.size(), t.size(), t) == 0;
  };
  if (ends("ValueDouble")) return Velmarin::DDS_ValueKind::ValueDouble;
  if (ends("ValueLong")) return Velmarin::DDS_ValueKind::ValueLong;
  if (ends("Boolean")) return Velmarin::DDS_ValueKind::Boolean;
  if (ends("Long") || ends("Enum")) return Velmarin::DDS_ValueKind::Long;
  return Velmarin::DDS_ValueKind::String;
}

// The main interface's operations that hand out an attribute, by name.
const std::map<std::string, Velmarin::EngineReadingBase_ptr (*)(Main_ptr)>& RemoteOps() {
  static const std::map<std::string, Velmarin::EngineReadingBase_ptr (*)(Main_ptr)> ops = {
#define MC_ATTR(op, key) {#op, [](Main_ptr m) { return m->op(); }},
#define MC_KEY(key)
#define MC_ENGINE_ITEM(op, ch, item, who) MC_ATTR(op, "")
#define MC_SWEEP_ITEM(op, ch, who) MC_ATTR(op, "")
#define MC_CAL_ITEM(op, item, who) MC_ATTR(op, "")
#define MC_ENGINE_RUN(op, ch, item, who, text)
#define MC_CHANNEL_POINTER(op)
#include "radaltmc_attributes.def"
#undef MC_ATTR
#undef MC_KEY
#undef MC_ENGINE_ITEM
#undef MC_SWEEP_ITEM
#undef MC_CAL_ITEM
#undef MC_ENGINE_RUN
#undef MC_CHANNEL_POINTER
  };
  return ops;
}

// The main interface's one-shot commands, by name.
const std::map<std::string, void (*)(Main_ptr)>& RunOps() {
  static const std::map<std::string, void (*)(Main_ptr)> ops = {
#define MC_ATTR(op, key)
#define MC_KEY(key)
#define MC_ENGINE_ITEM(op, ch, item, who)
#define MC_SWEEP_ITEM(op, ch, who)
#define MC_CAL_ITEM(op, item, who)
#define MC_ENGINE_RUN(op, ch, item, who, text) {#op, [](Main_ptr m) { m->op(); }},
#define MC_CHANNEL_POINTER(op)
#include "radaltmc_attributes.def"
#undef MC_ATTR
#undef MC_KEY
#undef MC_ENGINE_ITEM
#undef MC_SWEEP_ITEM
#undef MC_CAL_ITEM
#undef MC_ENGINE_RUN
#undef MC_CHANNEL_POINTER
  };
  return ops;
}

template <class F>
auto Translated(F&& f) -> decltype(f()) {
  decltype(f()) result{};
  Translate([&] { result = f(); });
  return result;
}

}  // namespace

void Translate(const std::function<void()>& f) {
  try {
    f();
  } catch (const OE::Locking_Error& e) {
    throw Locked(e.holder.in(), e.reason.in(), e.message.in());
  } catch (const OE::DataOutOfRange& e) {
    throw OutOfRange(e.info.text.in(), Number(e.info.minimum), Number(e.info.maximum), Number(e.info.value),
                     e.info.value._d() == Velmarin::TK_LONG);
  } catch (const CORBA::UserException& e) {
    std::string text;
    SingleText(e, text);
    throw Refused(e._name(), text);
  } catch (const CORBA::TIMEOUT&) {
    // A channel engine the master control did not reach (or that did not answer it) comes as
    // the master control's Communications_failure naming the channel, a Refused above: a
    // system exception here is this client's own call to the master control.
    throw Unreachable(std::string("no answer in time (TIMEOUT): the master control at ") +
                      Velmarin::NameServiceAddress() + " did not answer");
  } catch (const CORBA::SystemException& e) {
    throw Unreachable(std::string("the test set cannot be reached: no master control answers at ") +
                      Velmarin::NameServiceAddress() + " (" + e._name() + ")");
  } catch (const radaltctl::BadValue& e) {
    throw Misuse(e.what());
  }
}

std::string Text(const Value& v) {
  struct {
    std::string operator()(std::monostate) const { return ""; }
    std::string operator()(bool b) const { return b ? "true" : "false"; }
    std::string operator()(long l) const { return std::to_string(l); }
    std::string operator()(double d) const {
      std::ostringstream out;
      out << d;
      return out.str();
    }
    std::string operator()(const std::string& s) const { return s; }
    std::string operator()(const std::vector<Leg>& legs) const {
      std::ostringstream out;
      for (std::size_t i = 0; i < legs.size(); ++i)
        out << (i ? ", " : "") << legs[i][0] << ":" << legs[i][1] << ":" << legs[i][2];
      return out.str();
    }
  } text;
  return std::visit(text, v);
}

namespace {
std::mutex programNameMutex;
std::string programName = "radaltclient";
std::string ProgramName() {
  std::lock_guard<std::mutex> lock(programNameMutex);
  return programName;
}
}  // namespace

void SetProgramName(const std::string& name) {
  std::lock_guard<std::mutex> lock(programNameMutex);
  programName = name;
}

Client::Client(const std::string& ns, const std::string& engine, unsigned callTimeoutMs, const std::string& writer)
    : locker_(writer.empty() ? ProgramName() : writer) {
  std::call_once(orbConfigured, [&] {
    Velmarin::OrbOptions options;
    options.callTimeoutMs = callTimeoutMs;
    if (!ns.empty()) options.nameService = ns;
    Velmarin::ConfigureOrb(options);
  });
  Translate([&] {
    Velmarin::ORB_wrapper_base naming;
    engine_ = engine;
    if (engine_.empty())
      for (const auto& n : naming.FindChildContext("Lumaren/local/GUI_ABLE"))
        if (n.rfind("RADALT", 0) == 0 && n.find("RADALTSC") != 0) {
          engine_ = n;
          break;
        }
    if (engine_.empty()) throw CORBA::TRANSIENT();
  });
  gui_ = LookUpGui();
}

Velmarin::GUI_Able_ptr Client::LookUpGui() {
  return Translated([&] {
    Velmarin::ORB_wrapper_base naming;
    CORBA::Object_var obj = naming.LookupClient({"Lumaren", "local", "GUI_ABLE", engine_});
    return Velmarin::GUI_Able::_narrow(obj);
  });
}

template <class F>
auto Client::OnGui(F f) {
  Velmarin::GUI_Able_var gui;
  {
    std::lock_guard<std::mutex> lock(keptMutex_);
    gui = Velmarin::GUI_Able::_duplicate(gui_.in());
  }
  try {
    return Translated([&] { return f(gui.in()); });
  } catch (const Unreachable&) {
    Velmarin::GUI_Able_var fresh = LookUpGui();
    {
      std::lock_guard<std::mutex> lock(keptMutex_);
      gui_ = Velmarin::GUI_Able::_duplicate(fresh.in());
    }
    return Translated([&] { return f(fresh.in()); });
  }
}

CORBA::Object_ptr Client::Child(const std::string& context) {
  CORBA::Object_var obj;
  try {
    Velmarin::ORB_wrapper_base naming;
    obj = naming.LookupClient({"Lumaren", "local", context, engine_});
  } catch (const CosNaming::NamingContext::NotFound&) {
    throw Unreachable("no " + context + " registered for " + engine_);
  }
  return obj._retn();
}

Velmarin::RADALTMC::RADALTMC_MAIN_INTERFACE_ptr Client::Main() {
  return Translated([&] {
    CORBA::Object_var obj = Child("RADALT_MAIN");
    return Velmarin::RADALTMC::RADALTMC_MAIN_INTERFACE::_narrow(obj);
  });
}

Velmarin::RADALTMC::RADALTMC_INHOUSE_INTERFACE_ptr Client::Inhouse() {
  return Translated([&] {
    CORBA::Object_var obj = Child("RADALT_INHOUSE");
    return Velmarin::RADALTMC::RADALTMC_INHOUSE_INTERFACE::_narrow(obj);
  });
}

Velmarin::RADALTMC::RADALTMC_SELFTEST_INTERFACE_ptr Client::Selftest() {
  return Translated([&] {
    CORBA::Object_var obj = Child("RADALT_SELFTEST");
    return Velmarin::RADALTMC::RADALTMC_SELFTEST_INTERFACE::_narrow(obj);
  });
}

std::vector<std::string> Client::Names() {
  return OnGui([&](Velmarin::GUI_Able_ptr gui) {
    CORBA::String_var list = gui->Get_attr_list();
    std::vector<std::string> out;
    std::istringstream in(list.in());
    std::string n;
    while (in >> n) out.push_back(n);
    return out;
  });
}

Velmarin::EngineReadingBase_ptr Client::Attr(const std::string& name) {
  Velmarin::EngineReadingBase_var a =
      OnGui([&](Velmarin::GUI_Able_ptr gui) { return gui->Get_attr(name.c_str()); });
  if (CORBA::is_nil(a)) a = SimulatorControl(name);
  if (CORBA::is_nil(a)) throw Misuse("unknown attribute '" + name + "' (see 'radaltctl list')");
  return a._retn();
}

Velmarin::EngineReadingBase_ptr Client::SimulatorControl(const std::string& name) {
  // "CH<n>:<control>", n 1..3
  if (name.size() < 5 || name.compare(0, 2, "CH") != 0 || name[2] < '1' || name[2] > '3' || name[3] != ':')
    return Velmarin::EngineReadingBase::_nil();
  return Translated([&] {
    Velmarin::ORB_wrapper_base naming;
    CORBA::Object_var obj;
    try {
      obj = naming.LookupClient({"Lumaren", "local", "RADALTSC_SIM", name.substr(2, 1)});
    } catch (const CosNaming::NamingContext::NotFound&) {
      return Velmarin::EngineReadingBase::_nil();  // no simulated engine on that channel
    }
    Velmarin::GUI_Able_var controls = Velmarin::GUI_Able::_narrow(obj);
    return CORBA::is_nil(controls) ? Velmarin::EngineReadingBase::_nil() : controls->Get_attr(name.c_str() + 4);
  });
}

Velmarin::EngineReadingBase_ptr Client::Remote(const std::string& op) {
  auto it = RemoteOps().find(op);
  if (it == RemoteOps().end()) throw Misuse("the main interface has no attribute operation '" + op + "'");
  return Translated([&] {
    Velmarin::RADALTMC::RADALTMC_MAIN_INTERFACE_var main = Main();
    return it->second(main);
  });
}

void Client::Run(const std::string& op) {
  auto it = RunOps().find(op);
  if (it == RunOps().end()) throw Misuse("the main interface has no command operation '" + op + "'");
  Translate([&] {
    Velmarin::RADALTMC::RADALTMC_MAIN_INTERFACE_var main = Main();
    it->second(main);
  });
}

std::string Client::TypeOf(const std::string& name) {
  Velmarin::EngineReadingBase_var a = Attr(name);
  return Translated([&] {
    CORBA::String_var t = a->TypeName();
    return std::string(t.in());
  });
}

Value Client::GetOf(Velmarin::EngineReadingBase_ptr a) {
  return Translated([&]() -> Value {
    CORBA::Any_var any = a->GetAny();
    CORBA::Boolean b;
    CORBA::Long l;
    const char* s;
    const VALUE_LONG::VALUE* vl;
    const VALUE_DOUBLE::VALUE* vd;
    const AS::alt_sim_data_seq* legs;
    if (any.in() >>= CORBA::Any::to_boolean(b)) return bool(b);
    if (any.in() >>= l) return long(l);
    if (any.in() >>= vl) return long(vl->val);
    if (any.in() >>= vd) return vd->val;
    if (any.in() >>= s) return std::string(s);
    if (any.in() >>= legs) {
      std::vector<Leg> out;
      for (CORBA::ULong i = 0; i < legs->length(); ++i)
        out.push_back({(*legs)[i].Start_Alt, (*legs)[i].Stop_Alt, (*legs)[i].AltRate_Dur});
      return out;
    }
    return std::monostate();
  });
}

std::string Client::Describe(const std::string& name, bool full) {
  Velmarin::EngineReadingBase_var a = Attr(name);
  return Translated([&] {
    CORBA::Any_var v = a->GetAny();
    std::string text = radaltctl::Describe(v.in(), full);
    CORBA::String_var type = a->TypeName();
    if (std::string(type.in()) == "EngineAttribEnum") {
      Velmarin::EngineAttribEnum_var e = Velmarin::EngineAttribEnum::_narrow(a);
      Velmarin::EngineAttribEnumParams_var p = e->GetParams();
      CORBA::Long cur = e->Get();
      for (CORBA::ULong i = 0; i < p->length(); ++i)
        if (p[i].value == cur) text += std::string(" (") + p[i].label.in() + ")";
    }
    return text;
  });
}

Velmarin::EngineReadingBase_ptr Client::Kept(const std::string& name, std::string& type, bool& kept) {
  {
    std::lock_guard<std::mutex> lock(keptMutex_);
    auto it = kept_.find(name);
    if (it != kept_.end()) {
      type = it->second.second;
      kept = true;
      return Velmarin::EngineReadingBase::_duplicate(it->second.first.in());
    }
  }
  kept = false;
  Velmarin::EngineReadingBase_var a = Attr(name);
  type = Translated([&] {
    CORBA::String_var t = a->TypeName();
    return std::string(t.in());
  });
  std::lock_guard<std::mutex> lock(keptMutex_);
  kept_[name] = {Velmarin::EngineReadingBase::_duplicate(a.in()), type};
  return a._retn();
}

void Client::Forget(const std::string& name) {
  std::lock_guard<std::mutex> lock(keptMutex_);
  kept_.erase(name);
}

void Client::Set(const std::string& name, const Value& value) {
  for (int attempt = 0;; ++attempt) {
    std::string type;
    bool kept = false;
    Velmarin::EngineReadingBase_var a = Kept(name, type, kept);
    try {
      SetTyped(a, type, value);
      return;
    } catch (const Unreachable&) {
      Forget(name);
      if (!kept || attempt > 0) throw;
      // Tried again only when the name now leads elsewhere (a master control that restarted):
      // a write that merely went unanswered is not sent twice.
      bool same = true;
      try {
        Velmarin::EngineReadingBase_var now = Attr(name);
        same = Translated([&] { return static_cast<bool>(now->_is_equivalent(a.in())); });
      } catch (const std::exception&) {
      }
      if (same) throw;
    }
  }
}

void Client::SetOf(Velmarin::EngineReadingBase_ptr a, const Value& value) {
  const std::string type = Translated([&] {
    CORBA::String_var t = a->TypeName();
    return std::string(t.in());
  });
  SetTyped(a, type, value);
}

void Client::SetTyped(Velmarin::EngineReadingBase_ptr a, const std::string& t, const Value& value) {
  auto asLong = [&]() -> long {
    if (auto* l = std::get_if<long>(&value)) return *l;
    if (auto* b = std::get_if<bool>(&value)) return *b ? 1 : 0;
    if (auto* d = std::get_if<double>(&value))
      if (*d == static_cast<double>(static_cast<long>(*d))) return static_cast<long>(*d);
    if (auto* s = std::get_if<std::string>(&value)) return radaltctl::ParseLong(*s);
    throw Misuse("'" + Text(value) + "' is not a whole number");
  };
  auto asDouble = [&]() -> double {
    if (auto* d = std::get_if<double>(&value)) return *d;
    if (auto* l = std::get_if<long>(&value)) return static_cast<double>(*l);
    if (auto* s = std::get_if<std::string>(&value)) return radaltctl::ParseDouble(*s);
    throw Misuse("'" + Text(value) + "' is not a number");
  };
  Translate([&] {
    const Velmarin::Locker_ID& me = locker_.Id();
    if (t == "EngineAttribBoolean") {
      bool v;
      if (auto* b = std::get_if<bool>(&value)) v = *b;
      else if (auto* s = std::get_if<std::string>(&value)) v = radaltctl::ParseBool(*s);
      else v = asLong() != 0;
      Velmarin::EngineAttribBoolean::_narrow(a)->Set(me, v);
    } else if (t == "EngineAttribLong") {
      Velmarin::EngineAttribLong::_narrow(a)->Set(me, asLong());
    } else if (t == "EngineAttribEnum") {
      Velmarin::EngineAttribEnum_var x = Velmarin::EngineAttribEnum::_narrow(a);
      if (auto* s = std::get_if<std::string>(&value)) {
        Velmarin::EngineAttribEnumParams_var p = x->GetParams();
        x->Set(me, radaltctl::ParseEnum(*s, p.in()));
      } else {
        x->Set(me, asLong());
      }
    } else if (t == "EngineAttribString") {
      Velmarin::EngineAttribString::_narrow(a)->Set(me, Text(value).c_str());
    } else if (t == "EngineAttribValueLong") {
      Velmarin::EngineAttribValueLong_var x = Velmarin::EngineAttribValueLong::_narrow(a);
      VALUE_LONG::VALUE v = x->Get();
      v.val = asLong();
      x->Set(me, v);
    } else if (t == "EngineAttribValueDouble") {
      Velmarin::EngineAttribValueDouble_var x = Velmarin::EngineAttribValueDouble::_narrow(a);
      VALUE_DOUBLE::VALUE v = x->Get();
      v.val = asDouble();
      x->Set(me, v);
    } else if (t == "EngineAttribAny") {
      AS::alt_sim_data_seq seq;
      if (auto* s = std::get_if<std::string>(&value)) {
        seq = radaltctl::ParseLegs(*s);
      } else if (auto* legs = std::get_if<std::vector<Leg>>(&value)) {
        seq.length(static_cast<CORBA::ULong>(legs->size()));
        for (CORBA::ULong i = 0; i < seq.length(); ++i)
          seq[i] = AS::Alt_Sim_Data{(*legs)[i][0], (*legs)[i][1], (*legs)[i][2], static_cast<CORBA::Long>(i + 1)};
      } else {
        throw Misuse("a profile takes legs");
      }
      CORBA::Any any;
      any <<= seq;
      Velmarin::EngineAttribAny::_narrow(a)->Set(me, any);
    } else if (t == "EngineAttribVoid") {
      CORBA::String_var name = a->Name();
      throw Misuse("'" + std::string(name.in()) + "' is a command: execute it");
    } else {
      CORBA::String_var name = a->Name();
      throw Misuse("'" + std::string(name.in()) + "' is a reading (" + t + ") and cannot be written");
    }
  });
}

void Client::SetText(const std::string& name, const std::string& text) {
  std::string t;
  bool kept = false;
  Velmarin::EngineReadingBase_var a = Kept(name, t, kept);
  Value v = text;
  Translate([&] {
    if (t == "EngineAttribBoolean") v = radaltctl::ParseBool(text);
    else if (t == "EngineAttribLong" || t == "EngineAttribValueLong") v = radaltctl::ParseLong(text);
    else if (t == "EngineAttribValueDouble") v = radaltctl::ParseDouble(text);
  });
  Set(name, v);
}

void Client::ExecOf(Velmarin::EngineReadingBase_ptr a) {
  Translate([&] {
    Velmarin::EngineAttribVoid_var cmd = Velmarin::EngineAttribVoid::_narrow(a);
    if (CORBA::is_nil(cmd)) {
      CORBA::String_var name = a->Name();
      throw Misuse("'" + std::string(name.in()) + "' is not a command");
    }
    cmd->Execute(locker_.Id());
  });
}

std::vector<LockInfo> Client::Attributes() {
  std::vector<LockInfo> out;
  for (const auto& name : Names()) {
    LockInfo info;
    info.name = name;
    try {
      Velmarin::EngineReadingBase_var a =
          OnGui([&](Velmarin::GUI_Able_ptr gui) { return gui->Get_attr(name.c_str()); });
      if (CORBA::is_nil(a)) continue;
      CORBA::String_var holder, reason, message;
      if (a->Blocked(locker_.Id(), holder.out(), reason.out(), message.out())) {
        info.holder = holder.in();
        info.reason = reason.in();
        info.message = message.in();
      }
      CORBA::String_var type = a->TypeName();
      info.type = type.in();
    } catch (const CORBA::SystemException& e) {
      info.type = std::string("(unreachable: ") + e._name() + ")";
    } catch (const Unreachable& e) {
      info.type = std::string("(unreachable: ") + e.what() + ")";
    }
    out.push_back(info);
  }
  return out;
}

std::vector<LockInfo> Client::Locks() {
  std::vector<LockInfo> out;
  for (auto& info : Attributes())
    if (!info.holder.empty()) out.push_back(info);
  return out;
}

void Client::Watch(const std::vector<std::string>& names, double seconds, long count,
                   const std::function<void(const std::string&, const std::string&)>& seen,
                   const std::function<bool()>& stop, const std::function<void()>& then) {
  std::mutex m;
  std::condition_variable cv;
  long n = 0;
  bool enough = false;
  auto deliver = [&](const std::string& name, const std::string& text) {
    std::lock_guard<std::mutex> lock(m);
    if (enough) return;
    seen(name, radaltctl::DescribeSampleText(text));
    if (count > 0 && ++n >= count) {
      enough = true;
      cv.notify_all();
    }
  };
  std::vector<std::unique_ptr<Velmarin::DDS_TextSubscription>> subs;
  Translate([&] {
    for (const auto& name : names) {
      Velmarin::EngineReadingBase_var a = Attr(name);
      CORBA::String_var topic = a->DDS_Topic();
      CORBA::String_var type = a->TypeName();
      subs.emplace_back(new Velmarin::DDS_TextSubscription(
          topic.in(), KindOf(type.in()), [deliver, name](const std::string&, const std::string& text) { deliver(name, text); }));
    }
  });
  // A writer that already published is met first, so that what then() writes is seen; a
  // topic nobody has published on yet has no writer to meet.
  for (auto& sub : subs) sub->WaitMatched(std::chrono::seconds(then ? 10 : 2));
  for (const auto& name : names) {
    const std::string current = Describe(name, false);
    std::lock_guard<std::mutex> lock(m);
    seen(name, current + " (current)");
  }
  if (then) then();
  const auto end = std::chrono::steady_clock::now() + std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                                                          std::chrono::duration<double>(seconds > 0 ? seconds : 1e9));
  std::unique_lock<std::mutex> lock(m);
  while (!enough && std::chrono::steady_clock::now() < end) {
    if (stop && stop()) break;
    cv.wait_for(lock, std::chrono::milliseconds(100));
  }
  enough = true;  // later samples are dropped while the subscriptions go
  lock.unlock();
  subs.clear();
}

namespace {
class Subscriptions : public Following {
 public:
  std::vector<std::unique_ptr<Velmarin::DDS_TextSubscription>> subs;
};
}  // namespace

std::unique_ptr<Following> Client::Follow(const std::vector<std::string>& names,
                                          std::function<void(const std::string&, const std::string&)> seen) {
  auto following = std::make_unique<Subscriptions>();
  Translate([&] {
    for (const auto& name : names) {
      Velmarin::EngineReadingBase_var a = Attr(name);
      CORBA::String_var topic = a->DDS_Topic();
      CORBA::String_var type = a->TypeName();
      following->subs.emplace_back(new Velmarin::DDS_TextSubscription(
          topic.in(), KindOf(type.in()),
          [seen, name](const std::string&, const std::string& text) { seen(name, radaltctl::DescribeSampleText(text)); }));
    }
  });
  return following;
}

std::vector<std::string> Client::SelfTest(int type, double seconds) {
  return Translated([&] {
    Velmarin::ORB_wrapper_base naming;
    CORBA::Object_var obj;
    try {
      obj = naming.LookupClient({"Lumaren", "local", "SELFTEST_HARNESS", "1"});
    } catch (const CosNaming::NamingContext::NotFound&) {
      throw Unreachable("no self-test harness is registered (Lumaren/local/SELFTEST_HARNESS/1)");
    }
    Velmarin::SelfTestRunner_var runner = Velmarin::SelfTestRunner::_narrow(obj);
    Velmarin::String_Seq_var lines = runner->Run(("Lumaren/local/TEST_ABLE/" + engine_).c_str(), type, seconds);
    std::vector<std::string> out;
    for (CORBA::ULong i = 0; i < lines->length(); ++i) out.push_back(lines[i].in());
    return out;
  });
}

}  // namespace radaltclient
