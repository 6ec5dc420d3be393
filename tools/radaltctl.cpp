// radaltctl: reads and writes the master control's attributes from the command line.
#include <algorithm>
#include <cstdlib>
#include <iomanip>
#include <iostream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include <atomic>
#include <csignal>
#include <ctime>
#include <mutex>

#include <chrono>
#include <filesystem>
#include <thread>

#include "JournalStore.h"
#include "JsonText.h"
#include "RadaltClient.h"
#include "VelmarinEverybodyEng.hh"
#include "platform/ORB_wrapper.h"
#include "platform/Orb.h"
#include "platform/Signals.h"

namespace {

namespace rc = radaltclient;

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
    "  catalogue [--profile]\n"
    "                       the names of the stored settings (--profile: of the stored\n"
    "                       profiles) in the remote catalogue, one a line\n"
    "  locks                the attributes a write to would be refused, with holder, reason\n"
    "                       and message\n"
    "  watch NAME...        print each value the attributes are assigned, with a time stamp,\n"
    "                       until interrupted (--seconds S or --count N stop it earlier)\n"
    "  store NAME [--profile]\n"
    "  recall NAME [--profile]\n"
    "                       store the settings (--profile: the profiles) under NAME, or recall\n"
    "                       them: NAME becomes the factory calibration channel's settings name\n"
    "  diff NAME [--profile]\n"
    "                       what a recall of NAME would change: persisted name, now, stored\n"
    "  selftest basic|software\n"
    "                       run the master control's self test through the platform's\n"
    "                       self-test harness and print its result line and its failures\n"
    "  journal [--since TIME] [--key KEY] [--writer W] [--refused] [--follow] [--json|--csv]\n"
    "                       what the test set was told and what it answered, oldest first:\n"
    "                       time (UTC), writer, key, old -> asked = new value, outcome,\n"
    "                       refusal with its texts, duration; engines joining and leaving.\n"
    "                       TIME is UTC, YYYY-MM-DD[THH:MM[:SS]]; --refused: refused and failed\n"
    "                       requests only; --follow: then print new entries as they come;\n"
    "                       --json: one object a line; --csv: with a header line. Reads\n"
    "                       engines/lib/journal.db below --root DIR (default\n"
    "                       $RADALT_INSTALL_ROOT, else the root 'make run' uses: .run/root)\n"
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
    "3 the test set could not be reached. journal: 1 when the journal cannot be read.\n";

std::string Stamp();

struct Usage : std::runtime_error {
  using std::runtime_error::runtime_error;
};

void List(rc::Client& client, bool onlyLocked) {
  for (const auto& info : onlyLocked ? client.Locks() : client.Attributes()) {
    if (info.type.rfind("(unreachable", 0) == 0) {
      std::cout << std::left << std::setw(28) << info.name << " " << info.type << "\n";
      continue;
    }
    std::string value;
    try {
      value = client.Describe(info.name, false);
    } catch (const rc::Unreachable&) {
      value = "(unreachable)";
    }
    std::cout << std::left << std::setw(28) << info.name << " " << std::setw(26) << info.type << " " << value;
    if (!info.holder.empty()) {
      std::cout << "  [locked by " << info.holder << ": " << info.reason;
      if (onlyLocked) std::cout << " - " << info.message;
      std::cout << "]";
    }
    std::cout << "\n";
  }
}

int Watch(rc::Client& client, const std::vector<std::string>& names, double seconds, long count) {
  std::atomic<bool> stop{false};
  Velmarin::HandleStopSignals([&](int) { stop = true; });
  client.Watch(names, seconds, count,
               [](const std::string& name, const std::string& text) {
                 std::cout << Stamp() << " " << name << " " << text << std::endl;
               },
               [&] { return stop.load(); });
  return 0;
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
int Refused(const rc::Refused& e) {
  std::cerr << "refused: " << e.kind;
  if (auto* r = dynamic_cast<const rc::OutOfRange*>(&e)) {
    auto num = [&](double v) { return r->integral ? std::to_string(static_cast<long>(v)) : std::to_string(v); };
    std::cerr << ": " << r->text << " (minimum " << num(r->minimum) << ", maximum " << num(r->maximum) << ", value "
              << num(r->value) << ")";
  } else if (auto* l = dynamic_cast<const rc::Locked*>(&e)) {
    std::cerr << "\n  holder:  " << l->holder << "\n  reason:  " << l->reason << "\n  message: " << l->message;
  } else if (!e.text.empty()) {
    std::cerr << ": " << e.text;
  }
  std::cerr << std::endl;
  return 1;
}

// ---- store, recall and diff of named settings and profiles ---------------------------------

// The table of the master control's settings or profile store ("radaltmc_settings1"): the
// table base followed by the master control's instance number.
std::string SnapshotTable(Velmarin::ORB_wrapper_base& naming, bool profile) {
  long instance = 1;
  for (const std::string& child : naming.FindChildContext("Lumaren/local/EVERYBODY_ABLE")) {
    if (child.rfind("RADALT", 0) != 0) continue;
    CORBA::Object_var obj = naming.LookupClient({"Lumaren", "local", "EVERYBODY_ABLE", child});
    Velmarin::Everybody_var mc = Velmarin::Everybody::_narrow(obj);
    if (!CORBA::is_nil(mc)) instance = mc->InstanceNum();
    break;
  }
  return std::string(profile ? "radaltmc_altsim" : "radaltmc_settings") + std::to_string(instance);
}

// Names the snapshot by the factory calibration channel's settings name, then stores or
// recalls through the master control's own command.
void StoreOrRecall(rc::Client& client, bool store, const std::string& name, bool profile) {
  const rc::Value ch = client.Get("FACTORYCALIBRATIONCHANNEL");
  const long channel = std::holds_alternative<long>(ch) ? std::get<long>(ch) : 1;
  client.SetText("CH" + std::to_string(channel) + "SETTINGSNAME", name);
  client.Exec(std::string(store ? "STORE" : "RECALL") + (profile ? "PROFILE" : "SETTINGS"));
}

// Asks the save/recall engine what a recall of name would change.
void Diff(const std::string& name, bool profile) {
  rc::Translate([&] {
    Velmarin::ORB_wrapper_base naming;
    const std::vector<std::string> children = naming.FindChildContext("Lumaren/local/EVERYBODYENG");
    if (children.empty()) throw rc::Unreachable("no save/recall engine under Lumaren/local/EVERYBODYENG");
    CORBA::Object_var obj = naming.LookupClient({"Lumaren", "local", "EVERYBODYENG", children.front()});
    Velmarin::EverybodyEng::Interfaces_var engine = Velmarin::EverybodyEng::Interfaces::_narrow(obj);
    Velmarin::EverybodyEng::Differences_var diffs = engine->Diff(SnapshotTable(naming, profile).c_str(), name.c_str());
    if (diffs->length() == 0) std::cout << "no differences" << std::endl;
    for (CORBA::ULong i = 0; i < diffs->length(); ++i)
      std::cout << std::left << std::setw(28) << diffs[i].name.in() << " " << diffs[i].current.in() << " -> "
                << diffs[i].stored.in() << "\n";
  });
}

// ---- the journal ----------------------------------------------------------------------------

struct JournalOptions {
  std::string root;
  radaltjournal::Filter filter;
  bool follow = false, json = false, csv = false;
};

// The install root: --root, $RADALT_INSTALL_ROOT, $RUN_DIR/root, else the .run/root of the
// checkout (the one 'make run' starts), looked for from here and beside the build tree.
std::string InstallRoot(const std::string& given) {
  if (!given.empty()) return given;
  if (const char* env = std::getenv("RADALT_INSTALL_ROOT"); env && *env) return env;
  if (const char* run = std::getenv("RUN_DIR"); run && *run) return std::string(run) + "/root";
  std::error_code ec;
  const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (!std::filesystem::exists(".run/root") && !ec) {
    const std::filesystem::path beside = exe.parent_path() / "../../.run/root";
    if (std::filesystem::exists(beside)) return beside.lexically_normal().string();
  }
  return ".run/root";
}

std::string CsvText(const std::string& s) {
  if (s.find_first_of(",\"\r\n") == std::string::npos) return s;
  std::string out = "\"";
  for (const char c : s) out += c == '"' ? std::string("\"\"") : std::string(1, c);
  return out + "\"";
}

void PrintEntry(const radaltjournal::Entry& e, const JournalOptions& o) {
  const std::pair<const char*, const std::string*> fields[] = {
      {"at", &e.at},         {"kind", &e.kind},       {"writer", &e.writer},   {"key", &e.key},
      {"before", &e.before}, {"requested", &e.requested}, {"after", &e.after}, {"outcome", &e.outcome},
      {"refusal", &e.refusal}, {"holder", &e.holder}, {"reason", &e.reason},   {"message", &e.message}};
  if (o.json) {
    std::cout << "{\"seq\":" << e.seq;
    for (const auto& f : fields) std::cout << ",\"" << f.first << "\":" << radalt::JsonQuote(*f.second);
    std::cout << ",\"duration_us\":" << e.durationUs << "}\n";
  } else if (o.csv) {
    std::cout << e.seq;
    for (const auto& f : fields) std::cout << "," << CsvText(*f.second);
    std::cout << "," << e.durationUs << "\n";
  } else {
    std::cout << e.at << "  " << std::left << std::setw(14) << (e.writer.empty() ? "-" : e.writer) << " ";
    if (e.kind == "write" || e.kind == "command") {
      std::cout << std::setw(24) << e.key << " ";
      if (e.kind == "write") std::cout << e.before << " -> " << e.requested << " = " << e.after << "  ";
      else std::cout << "(command)  ";
      std::cout << e.outcome;
      if (!e.refusal.empty()) std::cout << " " << e.refusal;
      if (!e.holder.empty() || !e.reason.empty())
        std::cout << " [holder " << e.holder << ", reason " << e.reason << ", message " << e.message << "]";
      else if (!e.message.empty())
        std::cout << ": " << e.message;
      std::cout << "  " << e.durationUs << " us";
    } else {
      std::cout << e.kind << ": " << e.message;
    }
    std::cout << "\n";
  }
}

int Journal(JournalOptions o) {
  const std::string path = radaltjournal::JournalPath(InstallRoot(o.root));
  std::unique_ptr<radaltjournal::Store> store;
  try {
    store = radaltjournal::Store::OpenForReading(path);
  } catch (const radaltjournal::Error& e) {
    std::cerr << "radaltctl: the journal cannot be read: " << e.what()
              << " (give the install root with --root DIR or $RADALT_INSTALL_ROOT)" << std::endl;
    return 1;
  }
  if (o.csv)
    std::cout << "seq,at,kind,writer,key,before,requested,after,outcome,refusal,holder,reason,message,duration_us\n";
  std::atomic<bool> stop{false};
  if (o.follow) Velmarin::HandleStopSignals([&](int) { stop = true; });
  do {
    std::vector<radaltjournal::Entry> entries;
    try {
      entries = store->Query(o.filter);
    } catch (const radaltjournal::Error& e) {
      std::cerr << "radaltctl: the journal cannot be read: " << e.what() << std::endl;
      return 1;
    }
    for (const auto& e : entries) PrintEntry(e, o);
    if (!entries.empty()) o.filter.afterSeq = entries.back().seq;
    std::cout << std::flush;
    for (int i = 0; o.follow && i < 5 && !stop; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(100));
  } while (o.follow && !stop);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  rc::SetProgramName("radaltctl");
  JournalOptions journal;
  std::string ns;
  // The master control bounds each of its calls to a channel engine (2 s by default) and a
  // write makes a few of them per channel: the client waits well beyond that.
  unsigned callTimeoutMs = 30000;
  std::string engine;
  std::vector<std::string> args;
  bool full = false;
  bool profile = false;
  double seconds = 0;
  long count = 0;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "-h" || a == "--help") {
      std::cout << kHelp;
      return 0;
    } else if (a == "--ns" && i + 1 < argc) {
      ns = argv[++i];
    } else if (a == "--engine" && i + 1 < argc) {
      engine = argv[++i];
    } else if (a == "--timeout-ms" && i + 1 < argc) {
      char* end = nullptr;
      const long ms = std::strtol(argv[++i], &end, 10);
      if (ms <= 0 || *end != '\0') {
        std::cerr << "radaltctl: --timeout-ms takes a positive number of milliseconds" << std::endl;
        return 2;
      }
      callTimeoutMs = static_cast<unsigned>(ms);
    } else if (a == "--profile") {
      profile = true;
    } else if (a == "--full") {
      full = true;
    } else if (a == "--seconds" && i + 1 < argc) {
      seconds = std::atof(argv[++i]);
    } else if (a == "--count" && i + 1 < argc) {
      count = std::atol(argv[++i]);
    } else if (a == "--root" && i + 1 < argc) {
      journal.root = argv[++i];
    } else if (a == "--since" && i + 1 < argc) {
      journal.filter.since = argv[++i];
    } else if (a == "--key" && i + 1 < argc) {
      journal.filter.key = argv[++i];
    } else if (a == "--writer" && i + 1 < argc) {
      journal.filter.writer = argv[++i];
    } else if (a == "--refused") {
      journal.filter.refusedOnly = true;
    } else if (a == "--follow") {
      journal.follow = true;
    } else if (a == "--json") {
      journal.json = true;
    } else if (a == "--csv") {
      journal.csv = true;
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
    if (cmd == "journal") {
      need(0);
      if (journal.json && journal.csv) throw Usage("'journal' takes --json or --csv, not both");
      if (!journal.filter.since.empty()) {
        try {
          journal.filter.since = radaltjournal::SinceText(journal.filter.since);
        } catch (const radaltjournal::Error& e) {
          throw Usage(e.what());
        }
      }
      return Journal(journal);
    }
    if (cmd != "list" && cmd != "get" && cmd != "set" && cmd != "exec" && cmd != "locks" && cmd != "watch" &&
        cmd != "selftest" && cmd != "store" && cmd != "recall" && cmd != "diff" && cmd != "catalogue")
      throw Usage("unknown command '" + cmd + "'");
    const double selftestSeconds = 60;
    // A self test takes as long as it takes the harness; every other call is short.
    if (cmd == "selftest") callTimeoutMs = std::max(callTimeoutMs, static_cast<unsigned>((selftestSeconds + 10) * 1000));
    rc::Client client(ns, engine, callTimeoutMs);
    if (cmd == "list") {
      need(0);
      List(client, false);
    } else if (cmd == "locks") {
      need(0);
      List(client, true);
    } else if (cmd == "get") {
      need(1);
      std::cout << client.Describe(args[1], full) << std::endl;
    } else if (cmd == "set") {
      need(2);
      const std::string type = client.TypeOf(args[1]);
      if (type == "EngineAttribVoid") throw Usage("'" + args[1] + "' is a command: use 'radaltctl exec " + args[1] + "'");
      client.SetText(args[1], args[2]);
    } else if (cmd == "exec") {
      need(1);
      client.Exec(args[1]);
    } else if (cmd == "catalogue") {
      // Index "0" fetches the list; each index written is then read back, until empty.
      need(0);
      const std::string list = profile ? "RCIGETALTSIMLIST" : "RCIGETSETTINGSLIST";
      for (long i = 0;; ++i) {
        client.SetText(list, std::to_string(i));
        const std::string name = rc::Text(client.Get(list));
        if (name.empty()) break;
        std::cout << name << std::endl;
      }
    } else if (cmd == "watch") {
      if (args.size() < 2) throw Usage("'watch' takes one or more attribute names");
      return Watch(client, std::vector<std::string>(args.begin() + 1, args.end()), seconds, count);
    } else if (cmd == "store" || cmd == "recall") {
      need(1);
      StoreOrRecall(client, cmd == "store", args[1], profile);
    } else if (cmd == "diff") {
      need(1);
      Diff(args[1], profile);
    } else if (cmd == "selftest") {
      need(1);
      int type;
      if (args[1] == "basic") type = 0;
      else if (args[1] == "software") type = 2;
      else throw Usage("'selftest' takes basic or software");
      const std::vector<std::string> lines = client.SelfTest(type, selftestSeconds);
      for (const auto& line : lines) std::cout << line << std::endl;
      return !lines.empty() && lines.front().find(": PASSED") != std::string::npos ? 0 : 1;
    }
    return 0;
  } catch (const Usage& e) {
    std::cerr << "radaltctl: " << e.what() << " (see radaltctl --help)" << std::endl;
    return 2;
  } catch (const rc::Misuse& e) {
    std::cerr << "radaltctl: " << e.what() << std::endl;
    return 2;
  } catch (const rc::Refused& e) {
    return Refused(e);
  } catch (const rc::Unreachable& e) {
    std::cerr << "radaltctl: " << e.what() << "; is it running ('make status')?" << std::endl;
    return 3;
  }
}
