// Write latency: a client process writes master-control settings one after the other; each
// write is timed from the call to its reply, and a few more are bracketed by the engines'
// counts to tell how many calls each write makes to the channel engines.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <stdexcept>
#include <thread>

#include "Attr.h"
#include "Bench.h"
#include "Process.h"

namespace radalt_bench {

namespace {

// A setting the row needs before it measures; a required one that is absent skips the row.
struct Step {
  const char* attr;
  double value;
  bool required;
};

struct WriteCase {
  const char* id;
  const char* label;
  const char* attr;
  std::vector<Step> setup;
  // Which writes are timed: the attribute's own alternation, or a fixed value, or a cycle
  // between two values whose two directions are reported apart.
  enum class Values { Alternate, Fixed, Directions } values;
  double first = 0;   // Fixed: the value; Directions: the value the cycle starts from
  double second = 0;  // Directions: the other value
  const char* secondId = nullptr;
  const char* secondLabel = nullptr;
  // The engine requests the write is designed to make (its reads, writes and commands of
  // engine items, one request each), for the row and for the second direction.
  int designed = 0;
  int secondDesigned = 0;
  // The requests designed to follow the write after its reply (readings the engines derive
  // from the written value, looked up a moment later or when a client reads one first).
  int designedLater = 0;
};

const std::vector<WriteCase>& Cases() {
  using V = WriteCase::Values;
  static const std::vector<WriteCase> cases = {
      {"ch1_ramp_uncoupled", "CH1CURSTARTALT, uncoupled", "CH1CURSTARTALT",
       {{"NOOFENABLEDCHANNELS", 3, true}, {"SIMULATIONMODE", 0, false}, {"COUPLEDALTITUDESIMULATION", 0, false}},
       // set on channel 1 and read back; later, the four ramp items of channel 1 (the engine
       // ties start, stop, rate and duration together: a write to one may change the others)
       V::Alternate, 0, 0, nullptr, nullptr, 2, 0, 4},
      {"ch1_ramp_coupled3", "CH1CURSTARTALT, coupled on 3 channels", "CH1CURSTARTALT",
       {{"NOOFENABLEDCHANNELS", 3, true}, {"SIMULATIONMODE", 0, false}, {"COUPLEDALTITUDESIMULATION", 1, true}},
       // set on channels 1 to 3, channel 1 read back; later, the four ramp items of each
       V::Alternate, 0, 0, nullptr, nullptr, 4, 0, 12},
      {"ch1_outpwr_coupled3", "CH1OUTPWRLVL, coupled on 3 channels", "CH1OUTPWRLVL",
       {{"NOOFENABLEDCHANNELS", 3, true}, {"RFLVLMODE", 1, true}, {"COUPLEDMANUALRFLVL", 1, true}},
       // channel 1's limits, set on channels 1 to 3, each written channel read back
       V::Alternate, 0, 0, nullptr, nullptr, 7},
      {"enabled_channels_3_to_2", "NOOFENABLEDCHANNELS 3 -> 2", "NOOFENABLEDCHANNELS",
       {{"NOOFENABLEDCHANNELS", 3, true}, {"COUPLEDALTITUDESIMULATION", 0, false}, {"COUPLEDMANUALRFLVL", 0, false}},
       // 3 -> 2: six activity reads on each of the three channels, the run state on channel 1;
       // 2 -> 3: the same checks on two channels, then 22 channel-wide items read on channel 1
       // and written on channel 3
       V::Directions, 3, 2, "enabled_channels_2_to_3", "NOOFENABLEDCHANNELS 2 -> 3", 19, 13 + 2 * 22},
      {"simulation_mode_0", "SIMULATIONMODE 0", "SIMULATIONMODE",
       {{"NOOFENABLEDCHANNELS", 3, true}, {"COUPLEDALTITUDESIMULATION", 0, false}},
       // the mode set on three channels and read back, four ramp items set on each channel,
       // the changed flag set on channel 1
       V::Fixed, 0, 0, nullptr, nullptr, 3 + 1 + 4 * 3 + 1},
      {"engine_item_registry", "CH1:OUTPWRLVL, engine item through the registry", "CH1:OUTPWRLVL",
       {},
       V::Alternate, 0, 0, nullptr, nullptr, 1},
  };
  return cases;
}

// "-55", "12.5": a value as the notes show it.
std::string NumberText(double v) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%g", v);
  return buf;
}

const std::vector<std::string> kFigures = {"p50_us",
                                           "p99_us",
                                           "ratio_p50",
                                           "ratio_p99",
                                           "engine_requests_per_write",
                                           "engine_requests_by_design",
                                           "engine_requests_later_per_write",
                                           "engine_requests_later_by_design",
                                           "engine_sets_per_write",
                                           "p50_us_per_engine_request",
                                           "host_cpu_us_per_write",
                                           "engines_cpu_us_per_write"};

// RF level: what one coupled CH1OUTPWRLVL write on three channels cannot do without: the
// parameter record of channel 1, a set on each engine and one read-back get (5 requests,
// 3 sets). Showing each written channel's own read-back, not channel 1's mirrored, adds two
// gets.
const char* const kOutputPowerCoupledId = "ch1_outpwr_coupled3";
constexpr int kOutputPowerPartRequests = 5;
constexpr int kOutputPowerPartSets = 3;

// One reported row: its timed samples and the engine calls of its counted writes. The engines
// count every request they receive, the master control's liveness checks included: a write's
// requests are the median over the counted writes, so that a check falling into one write's
// window does not pass for a request of the write.
struct Measured {
  std::vector<double> samples;
  std::vector<double> requests;       // each counted write's, before the reply
  std::vector<double> laterRequests;  // after it, within kLaterWindow
  std::uint64_t accepted = 0;
  std::uint64_t hostCpuNs = 0;
  std::uint64_t enginesCpuNs = 0;
  int counted = 0;
};

// How long a counted write's later requests are waited for (the master control follows a write
// up within a few milliseconds).
constexpr std::chrono::milliseconds kLaterWindow{40};

void Emit(Bench& bench, Table& table, Json& rows, const std::string& id, const std::string& label,
          const std::string& attr, int designed, int designedLater, const Measured& m, const EngineCalls& calls,
          const std::string& note) {
  const Summary s = Summarize(m.samples);
  const double requests = m.counted && calls.RequestsKnown() ? Summarize(m.requests).p50 : NAN;
  const double later = m.counted && calls.RequestsKnown() ? Summarize(m.laterRequests).p50 : NAN;
  const double accepted = m.counted && calls.AcceptedKnown() ? double(m.accepted) / m.counted : NAN;
  const double hostCpu = m.counted ? m.hostCpuNs / 1e3 / m.counted : NAN;
  const double enginesCpu = m.counted ? m.enginesCpuNs / 1e3 / m.counted : NAN;
  auto perWrite = [](double v) { return std::isfinite(v) ? Round(v, 2) : NAN; };
  auto cell = [](double v) {
    if (!std::isfinite(v)) return std::string("-");
    char buf[16];
    std::snprintf(buf, sizeof buf, std::fabs(v - std::round(v)) < 0.05 ? "%.0f" : "%.1f", v);
    return std::string(buf);
  };
  const double perRequest = requests > 0 ? s.p50 / requests : NAN;
  table.AddRow({label, FormatMicros(s.p50), FormatMicros(s.p99), FormatRatio(bench.Ratio(s.p50, false)),
                FormatRatio(bench.Ratio(s.p99, true)), cell(requests), std::to_string(designed), cell(later),
                std::to_string(designedLater), cell(accepted),
                FormatMicros(perRequest),
                FormatMicros(hostCpu), FormatMicros(enginesCpu)});
  Json row = Json::Object();
  row.Set("label", label);
  row.Set("attribute", attr);
  row.Set("p50_us", Round(s.p50, 2));
  row.Set("p99_us", Round(s.p99, 2));
  row.Set("mean_us", Round(s.mean, 2));
  row.Set("max_us", Round(s.max, 2));
  row.Set("ratio_p50", Round(bench.Ratio(s.p50, false), 2));
  row.Set("ratio_p99", Round(bench.Ratio(s.p99, true), 2));
  row.Set("engine_requests_per_write", perWrite(requests));
  row.Set("engine_requests_by_design", designed);
  row.Set("engine_requests_later_per_write", perWrite(later));
  row.Set("engine_requests_later_by_design", designedLater);
  row.Set("engine_sets_per_write", perWrite(accepted));
  row.Set("p50_us_per_engine_request", perWrite(perRequest));
  row.Set("host_cpu_us_per_write", perWrite(hostCpu));
  row.Set("engines_cpu_us_per_write", perWrite(enginesCpu));
  row.Set("n", static_cast<unsigned long>(s.n));
  row.Set("counted_writes", m.counted);
  if (!note.empty()) row.Set("note", note);
  // RF level: the engine calls the coupled output-power write cannot do without.
  if (id == kOutputPowerCoupledId) {
    row.Set("part_minimum_engine_requests", kOutputPowerPartRequests);
    row.Set("part_minimum_engine_sets", kOutputPowerPartSets);
  }
  rows.Set(id, row);
}

// The first required setting that is absent, or "" when the row can run; applies the
// settings that are present.
std::string Prepare(Bench& bench, const WriteCase& wcase) {
  if (!bench.Reg().Has(wcase.attr)) return std::string("attribute ") + wcase.attr + " not present";
  for (const Step& step : wcase.setup)
    if (step.required && !bench.Reg().Has(step.attr)) return std::string("attribute ") + step.attr + " not present";
  for (const Step& step : wcase.setup) SetIfPresent(bench, step.attr, step.value);
  return "";
}

void Measure(Bench& bench, const WriteCase& wcase, Table& table, Json& rows) {
  const std::string reason = Prepare(bench, wcase);
  if (!reason.empty()) {
    table.AddSkipped(wcase.label, reason);
    rows.Set(wcase.id, SkippedRow(wcase.label, reason, kFigures));
    if (wcase.secondId) {
      table.AddSkipped(wcase.secondLabel, reason);
      rows.Set(wcase.secondId, SkippedRow(wcase.secondLabel, reason, kFigures));
    }
    return;
  }
  bench.Progress("write: " + std::string(wcase.label));
  Velmarin::EngineReadingBase_var attr = bench.Reg().Find(wcase.attr);
  AttrWriter writer(attr, bench.locker.Id());
  EngineCalls calls(bench.testSet);

  // The value of write i, and which of the (up to) two reported rows it belongs to.
  auto write = [&](int i) -> int {
    switch (wcase.values) {
      case WriteCase::Values::Alternate:
        writer.WriteNext();
        return 0;
      case WriteCase::Values::Fixed:
        writer.Write(wcase.first);
        return 0;
      case WriteCase::Values::Directions:
        // even: first -> second; odd: back to first
        writer.Write(i % 2 == 0 ? wcase.second : wcase.first);
        return i % 2;
    }
    return 0;
  };

  Measured measured[2];
  std::string refusal;
  try {
    // A cycle's warm-up ends where it started, so that the first timed write goes first -> second.
    const int warmup = wcase.values == WriteCase::Values::Directions ? (bench.opt.warmup + 1) / 2 * 2
                                                                    : bench.opt.warmup;
    for (int i = 0; i < warmup; ++i) write(i);
    const int total = wcase.values == WriteCase::Values::Directions ? 2 * bench.opt.writes : bench.opt.writes;
    for (int i = 0; i < total; ++i) {
      const auto t0 = Clock::now();
      const int which = write(i);
      measured[which].samples.push_back(MicrosBetween(t0, Clock::now()));
    }
    const int counted = wcase.values == WriteCase::Values::Directions ? 2 * bench.opt.countedWrites
                                                                     : bench.opt.countedWrites;
    for (int i = 0; i < counted; ++i) {
      const EngineCalls::Snapshot before = calls.Take(EngineCalls::Side::Before);
      const int which = write(i);
      const EngineCalls::Snapshot replied = calls.Take(EngineCalls::Side::Replied);
      std::this_thread::sleep_for(kLaterWindow);
      const EngineCalls::Snapshot after = calls.Take(EngineCalls::Side::After);
      measured[which].requests.push_back(double(calls.Requests(before, replied)));
      measured[which].laterRequests.push_back(double(calls.Requests(replied, after)));
      measured[which].accepted += EngineCalls::Accepted(before, after);
      // a thread that ended in between takes its time with it: never count below zero
      measured[which].hostCpuNs += replied.hostCpuNs > before.hostCpuNs ? replied.hostCpuNs - before.hostCpuNs : 0;
      measured[which].enginesCpuNs +=
          replied.enginesCpuNs > before.enginesCpuNs ? replied.enginesCpuNs - before.enginesCpuNs : 0;
      ++measured[which].counted;
    }
  } catch (const CORBA::Exception& e) {
    refusal = DescribeException(e);
  }
  if (!refusal.empty()) {
    const std::string why = "refused: " + refusal;
    table.AddSkipped(wcase.label, why);
    rows.Set(wcase.id, SkippedRow(wcase.label, why, kFigures));
    if (wcase.secondId) {
      table.AddSkipped(wcase.secondLabel, why);
      rows.Set(wcase.secondId, SkippedRow(wcase.secondLabel, why, kFigures));
    }
    return;
  }
  std::string note;
  if (wcase.values == WriteCase::Values::Alternate) {
    const auto values = writer.Alternation();
    note = "alternates " + NumberText(values.first) + " / " + NumberText(values.second);
  }
  Emit(bench, table, rows, wcase.id, wcase.label, wcase.attr, wcase.designed, wcase.designedLater, measured[0],
       calls, note);
  if (wcase.secondId)
    Emit(bench, table, rows, wcase.secondId, wcase.secondLabel, wcase.attr, wcase.secondDesigned, 0, measured[1],
         calls, "");
}

// Restarts the engine host with extra in its environment and waits until it publishes its
// attributes again.
void RestartHost(Bench& bench, std::vector<std::string> extra) {
  bench.ForgetRegistry();
  bench.testSet.StopHost();
  bench.testSet.SetHostEnvironment(std::move(extra));
  const int pid = bench.testSet.StartHost();
  const auto deadline = Clock::now() + std::chrono::seconds(60);
  while (Clock::now() < deadline) {
    if (!Alive(pid)) throw std::runtime_error("the engine host stopped (see enginehost.log)");
    try {
      Registry registry;
      Velmarin::EngineReadingBase_var attr = registry.Find("NOOFENABLEDCHANNELS");
      if (!CORBA::is_nil(attr) && std::isfinite(ReadNumber(attr))) return;
    } catch (const CORBA::Exception&) {
      // not answering yet
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  throw std::runtime_error("the engine host did not publish its attributes within 60 s");
}

// The uncoupled ramp write once more with the journal off (the engine host restarted without
// it, then with it again), beside the row with it on.
void JournalOff(Bench& bench, Table& table, Json& rows) {
  const char* const on = "ch1_ramp_uncoupled";
  const char* const off = "ch1_ramp_uncoupled_journal_off";
  const bool chosen = bench.opt.rows.empty() ||
                      std::find(bench.opt.rows.begin(), bench.opt.rows.end(), off) != bench.opt.rows.end();
  if (!chosen || bench.opt.attach) return;
  WriteCase wcase = *std::find_if(Cases().begin(), Cases().end(), [&](const WriteCase& c) { return c.id == std::string(on); });
  wcase.id = off;
  wcase.label = "CH1CURSTARTALT, uncoupled, journal off";
  bench.Progress("write: " + std::string(wcase.label) + " (engine host restarted without the journal)");
  try {
    RestartHost(bench, {"RADALT_JOURNAL=off"});
    Measure(bench, wcase, table, rows);
  } catch (const std::exception& e) {
    table.AddSkipped(wcase.label, std::string("failed: ") + e.what());
    rows.Set(wcase.id, SkippedRow(wcase.label, std::string("failed: ") + e.what(), kFigures));
  } catch (const CORBA::Exception& e) {
    table.AddSkipped(wcase.label, "failed: " + DescribeException(e));
    rows.Set(wcase.id, SkippedRow(wcase.label, "failed: " + DescribeException(e), kFigures));
  }
  RestartHost(bench, {});
}

}  // namespace

void RunWrites(Bench& bench) {
  Table& table = bench.report.Section(
      "2. Write latency, client process -> master control (" + std::to_string(bench.opt.writes) + " writes each)",
      {"write", "p50", "p99", "p50/floor", "p99/floor", "eng reqs", "by design", "later", "by design", "eng sets",
       "p50/req", "host CPU", "eng CPU"});
  Json rows = Json::Object();
  for (const WriteCase& wcase : Cases()) {
    auto chosen = [&](const char* id) {
      return id && std::find(bench.opt.rows.begin(), bench.opt.rows.end(), id) != bench.opt.rows.end();
    };
    if (!bench.opt.rows.empty() && !chosen(wcase.id) && !chosen(wcase.secondId)) continue;
    try {
      Measure(bench, wcase, table, rows);
    } catch (const CORBA::Exception& e) {
      table.AddSkipped(wcase.label, "failed: " + DescribeException(e));
      rows.Set(wcase.id, SkippedRow(wcase.label, "failed: " + DescribeException(e), kFigures));
    } catch (const std::exception& e) {
      table.AddSkipped(wcase.label, std::string("failed: ") + e.what());
      rows.Set(wcase.id, SkippedRow(wcase.label, std::string("failed: ") + e.what(), kFigures));
    }
  }
  JournalOff(bench, table, rows);
  // Leave the test set as the rows found it: channels uncoupled, all enabled.
  for (const char* name : {"COUPLEDALTITUDESIMULATION", "COUPLEDMANUALRFLVL"}) {
    try {
      SetIfPresent(bench, name, 0);
    } catch (const CORBA::Exception&) {
    }
  }
  SetIfPresent(bench, "NOOFENABLEDCHANNELS", 3);
  table.AddNote("per write: eng reqs = requests the three channel engines were sent before the reply (kernel "
                "count of the connections they accepted); by design = the engine requests the write is designed to make (its reads, "
                "writes and commands of engine items, one request each); later = requests in the " +
                std::to_string(kLaterWindow.count()) +
                " ms after the reply (readings the engines derived from the written value, looked up a few ms "
                "later; a burst of writes to one channel is looked up once), beside their design; eng sets = sets and "
                "commands they accepted (their own count); p50/req = p50 divided by eng reqs; CPU = time on CPU of the "
                "engine host and of the three engines until the reply (each over " +
                std::to_string(bench.opt.countedWrites) + " counted writes).");
  table.AddNote("CH1OUTPWRLVL, coupled on 3 channels: the write's own minimum is " +
                std::to_string(kOutputPowerPartRequests) + " eng reqs and " + std::to_string(kOutputPowerPartSets) +
                " eng sets (a parameter record, three sets, one read-back); the read-back of every written "
                "channel adds 2 requests.");
  bench.report.Data().Set("writes", rows);
}

}  // namespace radalt_bench
