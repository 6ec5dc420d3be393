// Start-up: from starting the engine host to the master control's attributes being
// published, with the three channel engines already registered and ready; and, while the
// host is down, the master control built in-process to time its recalls.
#include <chrono>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <thread>

#include "Bench.h"
#include "Lines.h"
#include "Process.h"

namespace radalt_bench {

namespace {

// The line the master control writes once discovery has set up the engine references.
const char* const kDiscoveredLine = "Pointers to sc engines setup";

struct Cycle {
  double registered = NAN;  // host started -> its naming registration bound
  double discovered = NAN;  // -> the engine references set up (its log line)
  double gui = NAN;         // -> the attribute registry bound
  double published = NAN;   // -> an attribute read through the registry
  std::string error;
};

std::string ReadFile(const std::string& path) {
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

Cycle StartOnce(Bench& bench) {
  TestSet& ts = bench.testSet;
  Cycle c;
  const auto t0 = Clock::now();
  const int pid = ts.StartHost();
  const auto deadline = t0 + std::chrono::seconds(60);
  auto since = [&] { return MicrosBetween(t0, Clock::now()) / 1000.0; };
  while (Clock::now() < deadline) {
    if (!Alive(pid)) {
      c.error = "the engine host stopped (see enginehost.log)";
      return c;
    }
    if (std::isnan(c.registered) && ts.McRegistered()) c.registered = since();
    if (std::isnan(c.discovered) && ReadFile(ts.LogPath("enginehost")).find(kDiscoveredLine) != std::string::npos)
      c.discovered = since();
    if (std::isnan(c.gui) && ts.GuiRegistered()) c.gui = since();
    if (!std::isnan(c.gui)) {
      try {
        Registry registry;
        Velmarin::EngineReadingBase_var attr = registry.Find("NOOFENABLEDCHANNELS");
        if (!CORBA::is_nil(attr) && std::isfinite(ReadNumber(attr))) {
          c.published = since();
          if (std::isnan(c.registered)) c.registered = c.published;
          return c;
        }
      } catch (const CORBA::Exception&) {
        // not answering yet
      }
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  c.error = "the attributes were not published within 60 s";
  return c;
}

// The master control in the bench's own process, on a copy of the host's database.
void Recall(Bench& bench, Json& data) {
  Table& table = bench.report.Section("4. Start-up: master control built in the bench's own process, recalls",
                                      {"operation", "p50", "max", "runs"});
  const auto& cfg = bench.testSet.Config();
  const std::string root = cfg.runDir + "/recall-root";
  const std::string out = cfg.runDir + "/bench-recall.out";
  bench.Progress("start-up: master control in-process, recalls");
  std::error_code ec;
  std::filesystem::remove_all(root, ec);
  std::filesystem::copy(cfg.runDir + "/root", root, std::filesystem::copy_options::recursive, ec);
  std::filesystem::remove(out, ec);
  const int rc = RunToEnd({bench.opt.binDir + "/radalt-bench-recall", "--ns", cfg.Ns(), "--root", root, "--fill",
                           std::to_string(bench.opt.fillerValues), "--repeat", std::to_string(bench.opt.recallRepeat),
                           "--out", out},
                          cfg.Environment(), bench.testSet.LogPath("bench-recall"), std::chrono::seconds(120));
  const auto r = ParseKeyValues(ReadFile(out));
  Json recall = Json::Object();
  const std::vector<std::string> keys = {"construct_us", "settings_p50_us", "settings_max_us", "profile_p50_us",
                                         "profile_max_us"};
  if (rc != 0 || r.count("error") || !r.count("settings_p50_us")) {
    const std::string why = r.count("error") ? "failed: " + r.at("error")
                                             : "failed (exit " + std::to_string(rc) + "; see bench-recall.log)";
    table.AddSkipped("RecallMCSettings + RecallMCProfile", why);
    data.Set("recall", SkippedRow("RecallMCSettings + RecallMCProfile", why, keys));
    return;
  }
  const double construct = NumberOf(r, "construct_us");
  table.AddRow({"RADALT_MC built in-process (no process, no dlopen)", FormatMicros(construct), "", "1"});
  table.AddRow({"RecallMCSettings", FormatMicros(NumberOf(r, "settings_p50_us")),
                FormatMicros(NumberOf(r, "settings_max_us")), std::to_string(bench.opt.recallRepeat)});
  table.AddRow({"RecallMCProfile", FormatMicros(NumberOf(r, "profile_p50_us")),
                FormatMicros(NumberOf(r, "profile_max_us")), std::to_string(bench.opt.recallRepeat)});
  for (const auto& k : keys) recall.Set(k, Round(NumberOf(r, k), 1));
  recall.Set("settings_store_values", NumberOf(r, "settings_values"));
  recall.Set("profile_store_values", NumberOf(r, "profile_values"));
  recall.Set("filler_values_per_store", bench.opt.fillerValues);
  table.AddNote("recalls on a copy of the host's database, each store given " + std::to_string(bench.opt.fillerValues) +
                " extra values: settings store " + r.at("settings_values") + " values, profile store " +
                r.at("profile_values") + ".");
  data.Set("recall", recall);
}

}  // namespace

void RunStartup(Bench& bench) {
  Table& table = bench.report.Section(
      "4. Start-up: engine host started -> master-control attributes published (3 engines registered, ready)",
      {"phase", "p50", "max", "cycles"});
  Json data = Json::Object();
  std::vector<Cycle> cycles;
  std::string error;
  for (int i = 0; i < bench.opt.startupCycles && error.empty(); ++i) {
    bench.Progress("start-up: cycle " + std::to_string(i + 1) + " of " + std::to_string(bench.opt.startupCycles));
    bench.ForgetRegistry();
    bench.testSet.StopHost();
    if (i == 0) Recall(bench, data);
    Cycle c = StartOnce(bench);
    error = c.error;
    if (error.empty()) cycles.push_back(c);
  }
  if (!error.empty()) {
    // The rest of the bench needs a running host.
    bench.testSet.StopHost();
    bench.testSet.StartHost();
  }
  bench.ForgetRegistry();

  struct Phase {
    const char* id;
    const char* label;
    double Cycle::*to;
    double Cycle::*from;
  };
  const Phase phases[] = {
      {"total_ms", "total: host started -> attributes published", &Cycle::published, nullptr},
      {"process_orb_ms", "  process, dlopen, ORB, naming registration", &Cycle::registered, nullptr},
      {"construction_to_discovery_ms", "  stores, pages, lock groups, engine discovery", &Cycle::discovered,
       &Cycle::registered},
      {"discovery_to_registry_ms", "  ready wait, attributes, servants bound", &Cycle::gui, &Cycle::discovered},
      {"registry_to_read_ms", "  first attribute read", &Cycle::published, &Cycle::gui},
  };
  Json startup = Json::Object();
  if (cycles.empty()) {
    table.AddSkipped("total: host started -> attributes published", error.empty() ? "no cycle ran" : error);
    startup.Set("total_ms", nullptr);
    startup.Set("skipped", error);
  }
  for (const Phase& p : phases) {
    if (cycles.empty()) break;
    std::vector<double> values;
    for (const Cycle& c : cycles) {
      const double v = c.*(p.to) - (p.from ? c.*(p.from) : 0.0);
      if (std::isfinite(v)) values.push_back(v);
    }
    if (values.empty()) {
      table.AddSkipped(p.label, "not observed");
      startup.Set(p.id, nullptr);
      continue;
    }
    const Summary s = Summarize(values);
    table.AddRow({p.label, FormatMicros(s.p50 * 1000), FormatMicros(s.max * 1000), std::to_string(s.n)});
    Json phase = Json::Object();
    phase.Set("p50", Round(s.p50, 2));
    phase.Set("max", Round(s.max, 2));
    Json all = Json::Array();
    for (double v : values) all.Push(Round(v, 2));
    phase.Set("cycles", all);
    startup.Set(p.id, phase);
  }
  if (!cycles.empty()) {
    std::vector<double> discovery;
    for (const Cycle& c : cycles) discovery.push_back(c.discovered - c.registered);
    const double d = Summarize(discovery).p50;
    const double total = Summarize([&] {
      std::vector<double> v;
      for (const Cycle& c : cycles) v.push_back(c.published);
      return v;
    }()).p50;
    if (std::isfinite(d) && d > 0.5 * total)
      table.AddNote("the discovery phase (its one-second sleeps while no engine is bound) dominates the start-up.");
    table.AddNote("phases are seen from outside (naming service and the host's log, polled every 2 ms).");
  }
  data.Set("engine_host", startup);
  bench.report.Data().Set("startup", data);
}

}  // namespace radalt_bench
