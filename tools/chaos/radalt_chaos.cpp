// radalt-chaos: the hostile client of the chaos run (tests/chaos/chaos.sh).
//
//   radalt-chaos client --seconds S --seed K
//       writes random settings and commands until S seconds have passed, then prints one
//       summary line: "calls=N ok=N refused=N unreachable=N misuse=N worst_ms=N worst_op=..."
//   radalt-chaos pin FILE
//       writes a known value to every setting the check compares and keeps what each write
//       was accepted as in FILE (the operator's last accepted writes)
//   radalt-chaos check [FILE]
//       compares, for every enabled channel, each master-control setting that mirrors an
//       engine item with that engine's own item (read from the engine's registration), and
//       with the value kept in FILE; prints every difference ("LIE ...") and exits 1 on any
//
// The naming service is $RADALT_NS; every call is bounded by --timeout-ms (default 30000).
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "RadaltClient.h"

namespace {

namespace rc = radaltclient;
using Clock = std::chrono::steady_clock;

// A master-control setting of channel n and the engine item it mirrors ("{n}" is the digit).
struct Mirror {
  const char* mc;
  const char* engine;
  double low, high, step;  // the range the clients write (step 0: not written by clients)
  bool pinned;             // written by pin and expected afterwards
};
const Mirror kMirrors[] = {
    {"CH{n}OUTPWRLVL", "CH{n}:OUTPWRLVL", -100, -20, 0.5, true},
    {"CH{n}LOOPLOSS", "CH{n}:LOOPLOSS", 20, 100, 0.5, true},
    {"CH{n}TXCBLLOSS", "CH{n}:TXCABLELOSS", 0, 20, 0.1, true},
    {"CH{n}RXCBLLOSS", "CH{n}:RXCABLELOSS", 0, 20, 0.1, true},
    {"CH{n}TXCOUPLOSS", "CH{n}:TXCOUPLERLOSS", 0, 20, 0.1, true},
    {"CH{n}RXCOUPLOSS", "CH{n}:RXCOUPLERLOSS", 0, 20, 0.1, true},
    {"CH{n}TXEXTLOSS", "CH{n}:TXEXTLOSS", 0, 20, 0.1, true},
    {"CH{n}RXEXTLOSS", "CH{n}:RXEXTLOSS", 0, 20, 0.1, true},
    {"CH{n}CURSTARTALT", "CH{n}:CURSTARTALT", 0, 4000, 1, true},
    {"CH{n}CURSTOPALT", "CH{n}:CURSTOPALT", 0, 4000, 1, true},
    {"CH{n}CURALTRATE", "CH{n}:CURALTRATE", 1, 400, 1, true},
    {"CH{n}CURALTDUR", "CH{n}:CURDURATION", 0, 0, 0, false},
    {"RFLVLMODE", "CH{n}:RFLVLMODE", 0, 0, 0, false},
    {"UUTTYPE", "CH{n}:UUTTYPE", 0, 0, 0, false},
    {"SIMULATIONMODE", "CH{n}:SIMMODE", 0, 0, 0, false},
    {"RFCONNECT", "CH{n}:RFCONNECT", 0, 0, 0, false},
    {"ALTUNITS", "CH{n}:ALTUNITS", 0, 0, 0, false},
};

std::string Named(const char* pattern, int channel) {
  std::string s = pattern;
  const auto at = s.find("{n}");
  if (at != std::string::npos) s.replace(at, 3, std::to_string(channel));
  return s;
}

double Number(const rc::Value& v) {
  if (auto d = std::get_if<double>(&v)) return *d;
  if (auto l = std::get_if<long>(&v)) return static_cast<double>(*l);
  if (auto b = std::get_if<bool>(&v)) return *b ? 1 : 0;
  return std::nan("");
}

bool Same(const rc::Value& a, const rc::Value& b) {
  const double x = Number(a), y = Number(b);
  if (!std::isnan(x) || !std::isnan(y)) return std::fabs(x - y) < 0.011;
  return rc::Text(a) == rc::Text(b);
}

struct Options {
  std::string mode, file;
  double seconds = 30;
  unsigned seed = 1;
  unsigned timeoutMs = 30000;
};

// ---- client ---------------------------------------------------------------------------------

struct Tally {
  long calls = 0, ok = 0, refused = 0, unreachable = 0, misuse = 0;
  double worstMs = 0;
  std::string worstOp;
  std::map<std::string, long> unreachableTexts;
};

int RunClient(const Options& o) {
  rc::Client client("", "", o.timeoutMs);
  std::mt19937 rng(o.seed);
  auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
  auto in = [&](double low, double high, double step) {
    const long steps = static_cast<long>((high - low) / step);
    return low + step * static_cast<double>(rng() % static_cast<unsigned long>(steps + 1));
  };
  Tally t;
  const auto end = Clock::now() + std::chrono::milliseconds(static_cast<long>(o.seconds * 1000));
  while (Clock::now() < end) {
    std::string op;
    std::function<void()> call;
    const int channel = 1 + pick(3);
    const int what = pick(100);
    if (what < 55) {
      std::vector<const Mirror*> writable;
      for (const Mirror& m : kMirrors)
        if (m.step > 0) writable.push_back(&m);
      const Mirror& m = *writable[static_cast<std::size_t>(pick(static_cast<int>(writable.size())))];
      const std::string key = Named(m.mc, channel);
      const double v = in(m.low, m.high, m.step);
      op = "set " + key;
      call = [&client, key, v] { client.Set(key, v); };
    } else if (what < 70) {
      const std::string key = Named(kMirrors[pick(static_cast<int>(std::size(kMirrors)))].mc, channel);
      op = "get " + key;
      call = [&client, key] { client.Get(key); };
    } else {
      // The settings every channel shares and the commands, by their share of the calls left.
      struct Command {
        int below;          // taken when what < below
        const char* key;
        long first, count;  // the value: first + 0 .. count-1 (count 0: an executed command)
        bool boolean;
      };
      static const Command kCommands[] = {
          {74, "RFLVLMODE", 0, 2, false},        {77, "COUPLEDMANUALRFLVL", 0, 2, true},
          {80, "UUTTYPE", 1, 4, false},          {86, "RUNSTOPTEST", 0, 2, true},
          {89, "PAUSERESUMETEST", 0, 2, true},   {92, "DIAGOUTPUTSTATUS", 0, 2, true},
          {96, "STORESETTINGS", 0, 0, false},    {100, "RECALLSETTINGS", 0, 0, false},
      };
      const Command& c = *std::find_if(std::begin(kCommands), std::end(kCommands),
                                       [what](const Command& k) { return what < k.below; });
      const std::string key = c.key;
      if (c.count == 0) {
        op = "exec " + key;
        call = [&client, key] { client.Exec(key); };
      } else {
        const long v = c.first + pick(static_cast<int>(c.count));
        const rc::Value value = c.boolean ? rc::Value(v != 0) : rc::Value(v);
        op = "set " + key;
        call = [&client, key, value] { client.Set(key, value); };
      }
    }
    const auto t0 = Clock::now();
    ++t.calls;
    try {
      rc::Translate(call);
      ++t.ok;
    } catch (const rc::Refused&) {
      ++t.refused;
    } catch (const rc::Unreachable& e) {
      ++t.unreachable;
      ++t.unreachableTexts[op + ": " + e.what()];
    } catch (const rc::Misuse& e) {
      ++t.misuse;
      std::cerr << "misuse: " << op << ": " << e.what() << "\n";
    }
    const double ms = std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
    if (ms > t.worstMs) {
      t.worstMs = ms;
      t.worstOp = op;
    }
  }
  for (const auto& [text, n] : t.unreachableTexts) std::cerr << "unreachable x" << n << ": " << text << "\n";
  std::cout << "calls=" << t.calls << " ok=" << t.ok << " refused=" << t.refused << " unreachable=" << t.unreachable
            << " misuse=" << t.misuse << " worst_ms=" << static_cast<long>(t.worstMs) << " worst_op=\""
            << t.worstOp << "\"" << std::endl;
  return 0;
}

// ---- pin and check --------------------------------------------------------------------------

int EnabledChannels(rc::Client& client) {
  return static_cast<int>(Number(client.Get("NOOFENABLEDCHANNELS")));
}

int Pin(const Options& o) {
  rc::Client client("", "", o.timeoutMs);
  // Nothing runs, every channel is its own: each setting takes the value written to it.
  auto quietly = [&](const char* key, const rc::Value& v) {
    try {
      rc::Translate([&] { client.Set(key, v); });
    } catch (const std::exception& e) {
      std::cerr << "pin: " << key << ": " << e.what() << "\n";
    }
  };
  quietly("RUNSTOPTEST", false);
  quietly("PAUSERESUMETEST", false);
  quietly("DIAGOUTPUTSTATUS", false);
  quietly("SIMULATIONMODE", 0L);
  quietly("COUPLEDALTITUDESIMULATION", false);
  quietly("RFLVLMODE", 1L);
  quietly("COUPLEDMANUALRFLVL", false);
  std::ofstream out(o.file);
  const int enabled = EnabledChannels(client);
  int failures = 0;
  for (int ch = 1; ch <= enabled; ++ch) {
    int i = 0;
    for (const Mirror& m : kMirrors) {
      ++i;
      if (!m.pinned) continue;
      const std::string key = Named(m.mc, ch);
      // Distinct per channel and setting, within the range the clients use.
      const double v = std::min(m.high, m.low + m.step * (7 * ch + 3 * i));
      try {
        rc::Translate([&] { client.Set(key, v); });
        out << key << " " << rc::Text(client.Get(key)) << "\n";
      } catch (const std::exception& e) {
        std::cerr << "pin: " << key << " " << v << ": " << e.what() << "\n";
        ++failures;
      }
    }
  }
  std::cout << "pinned " << enabled << " channels" << (failures ? ", with failures" : "") << std::endl;
  return failures || enabled == 0 ? 1 : 0;
}

int Check(const Options& o) {
  rc::Client client("", "", o.timeoutMs);
  std::map<std::string, std::string> pinned;
  if (!o.file.empty()) {
    std::ifstream in(o.file);
    std::string key, value;
    while (in >> key && std::getline(in, value)) pinned[key] = value.substr(value.find_first_not_of(' '));
  }
  int lies = 0, compared = 0;
  const int enabled = EnabledChannels(client);
  for (int ch = 1; ch <= enabled; ++ch) {
    for (const Mirror& m : kMirrors) {
      const std::string mcKey = Named(m.mc, ch), engineKey = Named(m.engine, ch);
      rc::Value shown, held;
      try {
        rc::Translate([&] {
          shown = client.Get(mcKey);
          held = client.Get(engineKey);
        });
      } catch (const std::exception& e) {
        std::cout << "LIE " << mcKey << ": cannot be compared: " << e.what() << std::endl;
        ++lies;
        continue;
      }
      ++compared;
      if (!Same(shown, held)) {
        std::cout << "LIE " << mcKey << " shows " << rc::Text(shown) << " while " << engineKey << " holds "
                  << rc::Text(held) << std::endl;
        ++lies;
      }
      auto p = pinned.find(mcKey);
      if (p != pinned.end() && rc::Text(shown) != p->second) {
        std::cout << "LIE " << mcKey << " shows " << rc::Text(shown) << " while the operator's last accepted write was "
                  << p->second << std::endl;
        ++lies;
      }
    }
  }
  std::cout << "checked " << compared << " settings of " << enabled << " channels: " << lies << " lies" << std::endl;
  return lies ? 1 : 0;
}

}  // namespace

int main(int argc, char** argv) {
  Options o;
  std::vector<std::string> args(argv + 1, argv + argc);
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    auto next = [&] { return i + 1 < args.size() ? args[++i] : std::string(); };
    if (a == "--seconds") o.seconds = std::atof(next().c_str());
    else if (a == "--seed") o.seed = static_cast<unsigned>(std::atoi(next().c_str()));
    else if (a == "--timeout-ms") o.timeoutMs = static_cast<unsigned>(std::atoi(next().c_str()));
    else if (o.mode.empty()) o.mode = a;
    else o.file = a;
  }
  try {
    if (o.mode == "client") return RunClient(o);
    if (o.mode == "pin" && !o.file.empty()) return Pin(o);
    if (o.mode == "check") return Check(o);
  } catch (const std::exception& e) {
    std::cerr << "radalt-chaos " << o.mode << ": " << e.what() << std::endl;
    return 3;
  }
  std::cerr << "usage: radalt-chaos client --seconds S --seed K | pin FILE | check [FILE]" << std::endl;
  return 2;
}
