// radalt-bench-recall: builds the master control in this process, against the channel engines
// of a running test set whose engine host is stopped, and times what no client can reach:
// the construction itself and the two recalls. The stores are given extra values first, so
// that every look-up runs against tables as full as a complete master control keeps them.
//
//   radalt-bench-recall --ns HOST:PORT --root DIR --fill N --repeat N --out FILE
//
// FILE receives one "key=value" per line: settings_values, profile_values, construct_us,
// settings_p50_us, settings_max_us, profile_p50_us, profile_max_us, and error when it failed
// (a recall that refuses ends the measurement with its exception and texts).
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <map>
#include <string>
#include <vector>

#include "Attr.h"
#include "EngineConfig.h"
#include "Lines.h"
#include "RADALT_MC.h"
#include "Stats.h"
#include "persistence/PersistedValue.h"
#include "platform/Orb.h"

using namespace radalt_bench;

namespace {

// Ids and names far from those of the master control's own values.
constexpr unsigned kFillerFirstId = 50000;

// Values a save of the running test set would have stored: the master control creates the
// channel counts with 0, as it starts before it counts the engines.
const std::pair<const char*, int> kSaved[] = {{"NoOfAvailableChannels", 3}, {"NoOfEnabledChannels", 3}};

// Adds count values to the store of tableBase (values there already stay), stores the saved
// values above where the store has them, and returns how many values the store holds.
long Fill(const std::string& dir, const std::string& tableBase, int count) {
  STpersistance store(1, dir);
  if (!store.ConnectToDB() || !store.CheckAndCreateTables(tableBase)) return -1;
  for (int i = 0; i < count; ++i)
    store.CreateValue<double>(kFillerFirstId + static_cast<unsigned>(i), "BenchFiller" + std::to_string(i), 1.0f,
                              0.5 * i);
  STdbConnection db;
  if (!db.Open(store.DatabasePath())) return -1;
  for (const auto& [name, value] : kSaved) {
    db.Execute("UPDATE " + tableBase + "_values SET value_int=" + std::to_string(value) + " WHERE id IN (SELECT id FROM " +
               tableBase + "_values_metadata WHERE name='" + name + "')");
    db.ReleaseResult();
  }
  if (!db.Execute("SELECT COUNT(*) FROM " + tableBase + "_values")) return -1;
  return std::stol(db.GetText(0, 0));
}

}  // namespace

int main(int argc, char** argv) {
  Velmarin::OrbOptions options;
  std::string root, out;
  int fill = 0, repeat = 10;
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::string a = argv[i], v = argv[i + 1];
    if (a == "--ns") options.nameService = v;
    else if (a == "--root") root = v;
    else if (a == "--fill") fill = std::stoi(v);
    else if (a == "--repeat") repeat = std::stoi(v);
    else if (a == "--out") out = v;
  }
  if (root.empty() || out.empty() || repeat < 1) {
    std::cerr << "usage: radalt-bench-recall --ns HOST:PORT --root DIR --fill N --repeat N --out FILE" << std::endl;
    return 2;
  }

  std::map<std::string, std::string> result;
  try {
    Velmarin::ConfigureOrb(options);
    const std::string dir = root + "/engines/lib";
    result["settings_values"] = std::to_string(Fill(dir, "radaltmc_settings", fill));
    result["profile_values"] = std::to_string(Fill(dir, "radaltmc_altsim", fill));

    radalt::EngineConfig config = radalt::EngineConfig::FromEnvironment();
    config.installRoot = root;
    const auto t0 = Clock::now();
    auto* mc = new RADALT_MC(config);
    result["construct_us"] = std::to_string(MicrosBetween(t0, Clock::now()));

    std::vector<double> settings, profile;
    for (int i = 0; i < repeat; ++i) {
      const auto s0 = Clock::now();
      mc->RecallMCSettings();
      const auto s1 = Clock::now();
      mc->RecallMCProfile();
      const auto s2 = Clock::now();
      settings.push_back(MicrosBetween(s0, s1));
      profile.push_back(MicrosBetween(s1, s2));
    }
    const Summary s = Summarize(settings), p = Summarize(profile);
    result["settings_p50_us"] = std::to_string(s.p50);
    result["settings_max_us"] = std::to_string(s.max);
    result["profile_p50_us"] = std::to_string(p.p50);
    result["profile_max_us"] = std::to_string(p.max);
    delete mc;
  } catch (const CORBA::Exception& e) {
    result["error"] = DescribeException(e);
  } catch (const std::exception& e) {
    result["error"] = e.what();
  }
  std::ofstream(out) << FormatKeyValues(result);
  Velmarin::ShutdownOrb(true);
  // The ORB's threads still run: leave without running static destructors under them.
  std::fflush(nullptr);
  std::_Exit(result.count("error") ? 1 : 0);
}
