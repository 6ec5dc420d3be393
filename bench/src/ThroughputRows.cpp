// Throughput: 1, 4 and 16 client processes write at once, each its own attribute where the
// master control has enough of them, as fast as they are answered.
#include <chrono>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <thread>

#include "Bench.h"
#include "Lines.h"
#include "Process.h"

namespace radalt_bench {

namespace {

const int kClientCounts[] = {1, 4, 16};

// Master-control settings that are independent of each other, spread over the channels, all
// of the same cost (a set and its read-back on one engine): 1, 4 and 16 clients then do the
// same work per write, so their rates compare.
std::vector<std::string> SettingPool() {
  std::vector<std::string> pool;
  for (const char* key : {"CURSTARTALT", "CURSTOPALT"})
    for (int ch = 1; ch <= 3; ++ch) pool.push_back("CH" + std::to_string(ch) + key);
  return pool;
}

// The same with the RF path settings added, whose writes cost more engine requests than the
// ramp settings (a single client writes the first, the cheapest).
std::vector<std::string> MixedSettingPool() {
  std::vector<std::string> pool;
  for (const char* key : {"CURSTARTALT", "OUTPWRLVL", "TXCBLLOSS", "RXCBLLOSS", "TXCOUPLOSS", "RXCOUPLOSS",
                          "TXEXTLOSS", "RXEXTLOSS", "OFFSET"})
    for (int ch = 1; ch <= 3; ++ch) pool.push_back("CH" + std::to_string(ch) + key);
  return pool;
}

// The same kind of settings as engine items, registered through the master control.
std::vector<std::string> EngineItemPool() {
  std::vector<std::string> pool;
  for (const char* key : {"OUTPWRLVL", "LOOPLOSS", "TXCABLELOSS", "RXCABLELOSS", "TXCOUPLERLOSS", "RXCOUPLERLOSS"})
    for (int ch = 1; ch <= 3; ++ch) pool.push_back("CH" + std::to_string(ch) + ":" + key);
  return pool;
}

using Run = ClientsRun;

}  // namespace

Run RunClients(Bench& bench, int clients, const std::vector<std::string>& targets, bool floor,
               const std::string& values) {
  const auto& cfg = bench.testSet.Config();
  const auto startAt = std::chrono::system_clock::now() + std::chrono::milliseconds(1500 + 60 * clients);
  const long long startUs =
      std::chrono::duration_cast<std::chrono::microseconds>(startAt.time_since_epoch()).count();
  std::vector<int> pids;
  std::vector<std::string> logs;
  for (int k = 0; k < clients; ++k) {
    std::vector<std::string> argv = {bench.opt.binDir + "/radalt-bench-client", "--ns", cfg.Ns(), "--start-at-us",
                                     std::to_string(startUs), "--seconds", std::to_string(bench.opt.seconds)};
    if (floor) {
      argv.insert(argv.end(), {"--floor-ior", cfg.runDir + "/bench-floor.ior"});
    } else {
      argv.insert(argv.end(), {"--attr", targets[static_cast<std::size_t>(k) % targets.size()]});
      if (!values.empty()) argv.insert(argv.end(), {"--values", values});
    }
    logs.push_back(cfg.runDir + "/bench-client-" + std::to_string(k) + ".log");
    pids.push_back(Spawn(argv, cfg.Environment(), logs.back()));
  }
  Run run;
  long writes = 0;
  std::vector<double> medians;
  const auto limit = std::chrono::milliseconds(static_cast<long>(bench.opt.seconds * 1000) + 30000);
  for (std::size_t k = 0; k < pids.size(); ++k) {
    if (WaitEnd(pids[k], limit) < 0) StopProcess(pids[k], std::chrono::seconds(2));
    std::ifstream in(logs[k]);
    std::stringstream text;
    text << in.rdbuf();
    const ClientResult r = ParseClientResult(text.str());
    writes += r.writes;
    run.refused += r.refused;
    if (std::isfinite(r.p50)) medians.push_back(r.p50);
    if (std::isfinite(r.p99) && !(run.p99 >= r.p99)) run.p99 = r.p99;
    if (run.error.empty() && !r.error.empty()) run.error = r.error;
  }
  if (!medians.empty()) run.p50 = Summarize(medians).p50;
  run.perSecond = writes / bench.opt.seconds;
  return run;
}

void RunThroughput(Bench& bench) {
  std::vector<std::string> headings = {"clients write"};
  for (int n : kClientCounts) headings.push_back(std::to_string(n) + (n == 1 ? " client /s" : " clients /s"));
  headings.insert(headings.end(), {"16: /floor", "16: p50", "16: p99"});
  char seconds[32];
  std::snprintf(seconds, sizeof seconds, "%g", bench.opt.seconds);
  Table& table = bench.report.Section(
      std::string("3. Throughput, concurrent client processes (") + seconds + " s each)", headings);
  Json data = Json::Object();
  SetIfPresent(bench, "NOOFENABLEDCHANNELS", 3);
  for (const char* name : {"COUPLEDALTITUDESIMULATION", "COUPLEDMANUALRFLVL", "SIMULATIONMODE"})
    SetIfPresent(bench, name, 0);
  SetIfPresent(bench, "RFLVLMODE", 1);

  struct Kind {
    const char* id;
    const char* label;
    std::vector<std::string> targets;
    bool floor;
    std::string note;
    std::string values;  // the two values to alternate between, when not the attribute's own
  };
  std::vector<Kind> kinds;
  kinds.push_back({"floor", "Ping() on the floor server", {}, true, "", ""});
  const auto settingKind = [&](const char* id, const char* label, const std::vector<std::string>& pool) {
    std::vector<std::string> present;
    for (const auto& name : pool)
      if (bench.Reg().Has(name)) present.push_back(name);
    std::string note, values;
    if (present.empty()) {
      present.push_back("NOOFENABLEDCHANNELS");
      values = "3,2";
      note = "no per-channel setting yet: every client writes NOOFENABLEDCHANNELS (3/2)";
    } else if (present.size() < 16) {
      note = std::to_string(present.size()) + " distinct settings: clients share them in turn";
    }
    kinds.push_back({id, label, present, false, note, values});
  };
  settingKind("master_control", "master-control ramp settings", SettingPool());
  settingKind("master_control_mixed", "master-control settings, ramp and RF path", MixedSettingPool());
  {
    std::vector<std::string> present;
    for (const auto& name : EngineItemPool())
      if (bench.Reg().Has(name)) present.push_back(name);
    kinds.push_back({"engine_items", "engine items through the registry", present, false,
                     present.size() < 16 && !present.empty()
                         ? std::to_string(present.size()) + " distinct items: clients share them in turn"
                         : "",
                     ""});
  }

  double floorRate = NAN;
  for (const Kind& kind : kinds) {
    Json row = Json::Object();
    row.Set("label", kind.label);
    if (!kind.floor && kind.targets.empty()) {
      table.AddSkipped(kind.label, "no attribute present");
      data.Set(kind.id, SkippedRow(kind.label, "no attribute present", {"writes_per_s_1", "writes_per_s_4",
                                                                           "writes_per_s_16"}));
      continue;
    }
    std::vector<std::string> cells = {kind.label};
    Run last;
    std::string error;
    long refused = 0;
    for (int n : kClientCounts) {
      bench.Progress("throughput: " + std::string(kind.label) + ", " + std::to_string(n) + " client(s)");
      last = RunClients(bench, n, kind.targets, kind.floor, kind.values);
      refused += last.refused;
      if (error.empty()) error = last.error;
      cells.push_back(FormatCount(last.perSecond));
      row.Set("writes_per_s_" + std::to_string(n), Round(last.perSecond, 0));
    }
    if (kind.floor) floorRate = last.perSecond;
    const double ratio = floorRate / last.perSecond;
    cells.push_back(kind.floor ? "x1.00" : FormatRatio(ratio));
    cells.push_back(FormatMicros(last.p50));
    cells.push_back(FormatMicros(last.p99));
    table.AddRow(cells);
    row.Set("floor_rate_over_rate_16", kind.floor ? 1.0 : Round(ratio, 2));
    row.Set("p50_us_16", Round(last.p50, 2));
    row.Set("p99_us_16", Round(last.p99, 2));
    if (!kind.floor) {
      Json targets = Json::Array();
      for (const auto& t : kind.targets) targets.Push(t);
      row.Set("attributes", targets);
    }
    row.Set("refused", refused);
    if (!error.empty()) {
      row.Set("error", error);
      table.AddNote(std::string(kind.label) + ": " + error);
    }
    if (!kind.note.empty()) {
      row.Set("note", kind.note);
      table.AddNote(std::string(kind.label) + ": " + kind.note);
    }
    data.Set(kind.id, row);
  }
  SetIfPresent(bench, "NOOFENABLEDCHANNELS", 3);
  table.AddNote("16: /floor is how many times fewer writes than floor calls 16 clients make per second.");
  bench.report.Data().Set("throughput", data);
}

}  // namespace radalt_bench
