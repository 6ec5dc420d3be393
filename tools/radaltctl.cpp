// radaltctl: reads and writes the master control's attributes from the command line.
#include <cstdlib>
#include <iomanip>
#include <iostream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include <condition_variable>
#include <csignal>
#include <ctime>
#include <mutex>

#include "ValueText.h"
#include "platform/DDS_TextSubscription.h"
#include "platform/Signals.h"
#include "platform/Lock.h"
#include "platform/ORB_wrapper.h"
#include "platform/Orb.h"

namespace {

namespace AS = RadAltSingleChannelModel::AltimeterSimulationObjects;
using radaltctl::BadValue;

const char* const kHelp =
    "usage: radaltctl [--ns HOST:PORT] [--engine NAME] COMMAND ...\n"
    "\n"
    "Commands:\n"
    "  list                 every attribute: name, type, value, and holder/reason when a lock\n"
    "                       (its own or a lock group's) would refuse a write\n"
    "  get NAME [--full]    one attribute's value (--full: every field of a value record)\n"
    "  set NAME VALUE       write an attribute. VALUE is a number, an enumerator by value or\n"
    "                       label, true/false, a text, or for profiles \"start:stop:rate, ...\".\n"
    "                       Value records (VALUE_DOUBLE/VALUE_LONG) take their value field.\n"
    "  exec NAME            execute a command attribute\n"
    "  locks                the attributes a write to would be refused, with holder, reason\n"
    "                       and message\n"
    "  watch NAME...        print each value the attributes are assigned, with a time stamp,\n"
    "                       until interrupted (--seconds S or --count N stop it earlier)\n"
    "\n"
    "Options:\n"
    "  --ns HOST:PORT       naming service (default: $RADALT_NS, else 127.0.0.1:28090, the one\n"
    "                       'make run' starts)\n"
    "  --engine NAME        the GUI registration to use (default: the first RADALT one)\n"
    "  --timeout-ms MS      how long one request may take before it counts as failed\n"
    "                       (default 30000: longer than any write of the test set can take, so a\n"
    "                       write that completed is never reported failed)\n"
    "  DDS domain: $RADALT_DDS_DOMAIN (default 0), as the test set uses\n"
    "\n"
    "Exit status: 0 done; 1 the system refused the request (the exception kind and its texts\n"
    "are printed on standard error); 2 bad input (unknown name, unparsable value, bad usage);\n"
    "3 the test set could not be reached.\n";

Velmarin::DDS_ValueKind KindOf(const std::string& type);
std::string Stamp();

struct Usage : std::runtime_error {
  using std::runtime_error::runtime_error;
};

class Client {
 public:
  Client(const std::string& engine) : locker_("radaltctl") {
    Velmarin::ORB_wrapper_base naming;
    std::vector<std::string> names = naming.FindChildContext("Lumaren/local/GUI_ABLE");
    std::string chosen = engine;
    if (chosen.empty())
      for (const auto& n : names)
        if (n.rfind("RADALT", 0) == 0 && n.find("RADALTSC") != 0) {
          chosen = n;
          break;
        }
    if (chosen.empty()) throw CORBA::TRANSIENT();
    CORBA::Object_var obj = naming.LookupClient({"Lumaren", "local", "GUI_ABLE", chosen});
    gui_ = Velmarin::GUI_Able::_narrow(obj);
  }

  Velmarin::EngineReadingBase_ptr Attr(const std::string& name) {
    Velmarin::EngineReadingBase_var a = gui_->Get_attr(name.c_str());
    if (CORBA::is_nil(a)) throw BadValue("unknown attribute '" + name + "' (see 'radaltctl list')");
    return a._retn();
  }

  std::vector<std::string> Names() {
    CORBA::String_var list = gui_->Get_attr_list();
    std::vector<std::string> out;
    std::istringstream in(list.in());
    std::string n;
    while (in >> n) out.push_back(n);
    return out;
  }

  std::string Value(Velmarin::EngineReadingBase_ptr a, const std::string& type, bool full) {
    CORBA::Any_var v = a->GetAny();
    std::string text = radaltctl::Describe(v.in(), full);
    if (type == "EngineAttribEnum") {
      Velmarin::EngineAttribEnum_var e = Velmarin::EngineAttribEnum::_narrow(a);
      Velmarin::EngineAttribEnumParams_var p = e->GetParams();
      CORBA::Long cur = e->Get();
      for (CORBA::ULong i = 0; i < p->length(); ++i)
        if (p[i].value == cur) text += std::string(" (") + p[i].label.in() + ")";
    }
    return text;
  }

  void Set(const std::string& name, const std::string& text) {
    Velmarin::EngineReadingBase_var a = Attr(name);
    CORBA::String_var type = a->TypeName();
    const std::string t = type.in();
    const Velmarin::Locker_ID& me = locker_.Id();
    if (t == "EngineAttribBoolean") {
      Velmarin::EngineAttribBoolean_var x = Velmarin::EngineAttribBoolean::_narrow(a);
      x->Set(me, radaltctl::ParseBool(text));
    } else if (t == "EngineAttribLong") {
      Velmarin::EngineAttribLong_var x = Velmarin::EngineAttribLong::_narrow(a);
      x->Set(me, radaltctl::ParseLong(text));
    } else if (t == "EngineAttribEnum") {
      Velmarin::EngineAttribEnum_var x = Velmarin::EngineAttribEnum::_narrow(a);
      Velmarin::EngineAttribEnumParams_var p = x->GetParams();
      x->Set(me, radaltctl::ParseEnum(text, p.in()));
    } else if (t == "EngineAttribString") {
      Velmarin::EngineAttribString_var x = Velmarin::EngineAttribString::_narrow(a);
      x->Set(me, text.c_str());
    } else if (t == "EngineAttribValueLong") {
      Velmarin::EngineAttribValueLong_var x = Velmarin::EngineAttribValueLong::_narrow(a);
      VALUE_LONG::VALUE v = x->Get();
      v.val = radaltctl::ParseLong(text);
      x->Set(me, v);
    } else if (t == "EngineAttribValueDouble") {
      Velmarin::EngineAttribValueDouble_var x = Velmarin::EngineAttribValueDouble::_narrow(a);
      VALUE_DOUBLE::VALUE v = x->Get();
      v.val = radaltctl::ParseDouble(text);
      x->Set(me, v);
    } else if (t == "EngineAttribAny") {
      CORBA::Any v;
      v <<= radaltctl::ParseLegs(text);
      Velmarin::EngineAttribAny_var x = Velmarin::EngineAttribAny::_narrow(a);
      x->Set(me, v);
    } else if (t == "EngineAttribVoid") {
      throw Usage("'" + name + "' is a command: use 'radaltctl exec " + name + "'");
    } else {
      throw Usage("'" + name + "' is a reading (" + t + ") and cannot be written");
    }
  }

  void Exec(const std::string& name) {
    Velmarin::EngineReadingBase_var a = Attr(name);
    Velmarin::EngineAttribVoid_var cmd = Velmarin::EngineAttribVoid::_narrow(a);
    if (CORBA::is_nil(cmd)) throw Usage("'" + name + "' is not a command");
    cmd->Execute(locker_.Id());
  }

  // Prints the current value of each name, then every value it is assigned.
  int Watch(const std::vector<std::string>& names, double seconds, long count) {
    std::mutex m;
    std::condition_variable cv;
    long seen = 0;
    bool stop = false;
    Velmarin::HandleStopSignals([&](int) {
      std::lock_guard<std::mutex> lock(m);
      stop = true;
      cv.notify_all();
    });
    auto print = [&](const std::string& name, const std::string& text) {
      std::lock_guard<std::mutex> lock(m);
      std::cout << Stamp() << " " << name << " " << radaltctl::DescribeSampleText(text) << std::endl;
      if (count > 0 && ++seen >= count) {
        stop = true;
        cv.notify_all();
      }
    };
    std::vector<std::unique_ptr<Velmarin::DDS_TextSubscription>> subs;
    for (const auto& name : names) {
      Velmarin::EngineReadingBase_var a = Attr(name);
      CORBA::String_var topic = a->DDS_Topic();
      CORBA::String_var type = a->TypeName();
      subs.emplace_back(new Velmarin::DDS_TextSubscription(
          topic.in(), KindOf(type.in()), [print, name](const std::string&, const std::string& text) { print(name, text); }));
    }
    for (auto& sub : subs) sub->WaitReady();
    for (const auto& name : names) {
      Velmarin::EngineReadingBase_var a = Attr(name);
      CORBA::String_var type = a->TypeName();
      std::lock_guard<std::mutex> lock(m);
      std::cout << Stamp() << " " << name << " " << Value(a, type.in(), false) << " (current)" << std::endl;
    }
    std::unique_lock<std::mutex> lock(m);
    auto done = [&] { return stop; };
    if (seconds > 0)
      cv.wait_for(lock, std::chrono::duration<double>(seconds), done);
    else
      cv.wait(lock, done);
    return 0;
  }

  void List(bool onlyLocked) {
    for (const auto& name : Names()) {
      try {
        Velmarin::EngineReadingBase_var a = gui_->Get_attr(name.c_str());
        if (CORBA::is_nil(a)) continue;
        CORBA::String_var holder, reason, message;
        const bool locked = a->Blocked(locker_.Id(), holder.out(), reason.out(), message.out());
        if (onlyLocked && !locked) continue;
        CORBA::String_var type = a->TypeName();
        std::cout << std::left << std::setw(28) << name << " " << std::setw(26) << type.in() << " "
                  << Value(a, type.in(), false);
        if (locked) {
          std::cout << "  [locked by " << holder.in() << ": " << reason.in();
          if (onlyLocked) std::cout << " - " << message.in();
          std::cout << "]";
        }
        std::cout << "\n";
      } catch (const CORBA::SystemException& e) {
        std::cout << std::left << std::setw(28) << name << " (unreachable: " << e._name() << ")\n";
      }
    }
  }

 private:
  Velmarin::Locker locker_;
  Velmarin::GUI_Able_var gui_;
};

// The sample kind an attribute of type publishes.
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

// Local time with milliseconds, "12:34:56.789".
std::string Stamp() {
  using namespace std::chrono;
  const auto now = system_clock::now();
  const std::time_t t = system_clock::to_time_t(now);
  std::tm tm{};
  localtime_r(&t, &tm);
  char buf[32];
  std::strftime(buf, sizeof buf, "%H:%M:%S", &tm);
  const long ms = static_cast<long>(duration_cast<milliseconds>(now.time_since_epoch()).count() % 1000);
  char out[48];
  std::snprintf(out, sizeof out, "%s.%03ld", buf, ms);
  return out;
}

// The refusal's kind and texts on standard error.
int Refused(const CORBA::UserException& e) {
  std::cerr << "refused: " << e._name();
  if (auto* r = Velmarin::Operation_errors::DataOutOfRange::_downcast(&e)) {
    auto num = [](const Velmarin::TypeUnion& u) {
      return u._d() == Velmarin::TK_LONG ? std::to_string(u.l()) : std::to_string(u.d());
    };
    std::cerr << ": " << r->info.text.in() << " (minimum " << num(r->info.minimum) << ", maximum "
              << num(r->info.maximum) << ", value " << num(r->info.value) << ")";
  } else if (auto* l = Velmarin::Operation_errors::Locking_Error::_downcast(&e)) {
    std::cerr << "\n  holder:  " << l->holder.in() << "\n  reason:  " << l->reason.in()
              << "\n  message: " << l->message.in();
  } else {
    // Every other refusal of the system carries a single text.
    namespace OE = Velmarin::Operation_errors;
    namespace CE = Velmarin::Connection_errors;
    if (auto* x = OE::Settings_Conflict::_downcast(&e)) std::cerr << ": " << x->text.in();
    else if (auto* x = OE::NotConfigured::_downcast(&e)) std::cerr << ": " << x->text.in();
    else if (auto* x = OE::NotSupported::_downcast(&e)) std::cerr << ": " << x->text.in();
    else if (auto* x = OE::Object_Not_Found::_downcast(&e)) std::cerr << ": " << x->text.in();
    else if (auto* x = OE::Data_Source_Not_Compatible::_downcast(&e)) std::cerr << ": " << x->text.in();
    else if (auto* x = CE::Generic::_downcast(&e)) std::cerr << ": " << x->text.in();
    else if (auto* x = CE::Not_Connected::_downcast(&e)) std::cerr << ": " << x->text.in();
    else if (auto* x = CE::Communications_failure::_downcast(&e)) std::cerr << ": " << x->text.in();
    else if (auto* x = Velmarin::Runtime_errors::Unhandled_switch::_downcast(&e)) std::cerr << ": " << x->text.in();
  }
  std::cerr << std::endl;
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  Velmarin::OrbOptions options;
  // The master control bounds each of its calls to a channel engine (2 s by default) and a
  // write makes a few of them per channel: the client waits well beyond that.
  options.callTimeoutMs = 30000;
  std::string engine;
  std::vector<std::string> args;
  bool full = false;
  double seconds = 0;
  long count = 0;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "-h" || a == "--help") {
      std::cout << kHelp;
      return 0;
    } else if (a == "--ns" && i + 1 < argc) {
      options.nameService = argv[++i];
    } else if (a == "--engine" && i + 1 < argc) {
      engine = argv[++i];
    } else if (a == "--timeout-ms" && i + 1 < argc) {
      char* end = nullptr;
      const long ms = std::strtol(argv[++i], &end, 10);
      if (ms <= 0 || *end != '\0') {
        std::cerr << "radaltctl: --timeout-ms takes a positive number of milliseconds" << std::endl;
        return 2;
      }
      options.callTimeoutMs = static_cast<unsigned long>(ms);
    } else if (a == "--full") {
      full = true;
    } else if (a == "--seconds" && i + 1 < argc) {
      seconds = std::atof(argv[++i]);
    } else if (a == "--count" && i + 1 < argc) {
      count = std::atol(argv[++i]);
    } else {
      args.push_back(a);
    }
  }
  try {
    if (args.empty()) throw Usage("no command given");
    const std::string cmd = args[0];
    auto need = [&](std::size_t n) {
      if (args.size() != n + 1) throw Usage("'" + cmd + "' takes " + std::to_string(n) + " argument(s)");
    };
    if (cmd != "list" && cmd != "get" && cmd != "set" && cmd != "exec" && cmd != "locks" && cmd != "watch")
      throw Usage("unknown command '" + cmd + "'");
    Velmarin::ConfigureOrb(options);
    Client client(engine);
    if (cmd == "list") {
      need(0);
      client.List(false);
    } else if (cmd == "locks") {
      need(0);
      client.List(true);
    } else if (cmd == "get") {
      need(1);
      Velmarin::EngineReadingBase_var a = client.Attr(args[1]);
      CORBA::String_var type = a->TypeName();
      std::cout << client.Value(a, type.in(), full) << std::endl;
    } else if (cmd == "set") {
      need(2);
      client.Set(args[1], args[2]);
    } else if (cmd == "exec") {
      need(1);
      client.Exec(args[1]);
    } else if (cmd == "watch") {
      if (args.size() < 2) throw Usage("'watch' takes one or more attribute names");
      return client.Watch(std::vector<std::string>(args.begin() + 1, args.end()), seconds, count);
    }
    return 0;
  } catch (const Usage& e) {
    std::cerr << "radaltctl: " << e.what() << " (see radaltctl --help)" << std::endl;
    return 2;
  } catch (const BadValue& e) {
    std::cerr << "radaltctl: " << e.what() << std::endl;
    return 2;
  } catch (const CORBA::UserException& e) {
    return Refused(e);
  } catch (const CORBA::SystemException& e) {
    std::cerr << "radaltctl: the test set cannot be reached at " << Velmarin::NameServiceAddress() << " ("
              << e._name() << "); is it running ('make status')?" << std::endl;
    return 3;
  }
}
