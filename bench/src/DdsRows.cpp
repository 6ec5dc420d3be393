// DDS: how long an attribute's assignment takes to reach a watching console, and how long an
// engine's "create,N" announcement takes to change the registry's channel counts.
#include <chrono>
#include <cmath>
#include <fstream>
#include <optional>
#include <sstream>
#include <thread>

#include "Bench.h"
#include "Process.h"

#ifdef RADALT_BENCH_HAVE_DDS
#include "platform/DDS_Publisher.h"
#endif

namespace radalt_bench {

namespace {

const std::vector<std::string> kFigures = {"p50_us", "p99_us", "max_us"};

Table& DdsTable(Bench& bench) {
  return bench.report.Section("5. DDS on loopback", {"path", "p50", "p99", "max", "samples", "lost"});
}

Json& DdsData(Bench& bench) {
  if (bench.dds.IsNull()) bench.dds = Json::Object();
  return bench.dds;
}

void Emit(Bench& bench, const std::string& id, const std::string& label, const std::vector<double>& samples,
          int lost, const std::string& note) {
  const Summary s = Summarize(samples);
  DdsTable(bench).AddRow({label, FormatMicros(s.p50), FormatMicros(s.p99), FormatMicros(s.max),
                          std::to_string(s.n), std::to_string(lost)});
  Json row = Json::Object();
  row.Set("label", label);
  row.Set("p50_us", Round(s.p50, 1));
  row.Set("p99_us", Round(s.p99, 1));
  row.Set("max_us", Round(s.max, 1));
  row.Set("n", static_cast<unsigned long>(s.n));
  row.Set("lost", lost);
  if (!note.empty()) row.Set("note", note);
  DdsData(bench).Set(id, row);
  bench.report.Data().Set("dds", DdsData(bench));
}

void Skip(Bench& bench, const std::string& id, const std::string& label, const std::string& reason) {
  DdsTable(bench).AddSkipped(label, reason);
  DdsData(bench).Set(id, SkippedRow(label, reason, kFigures));
  bench.report.Data().Set("dds", DdsData(bench));
}

bool CtlHasWatch(Bench& bench) {
  const auto& cfg = bench.testSet.Config();
  const std::string log = cfg.runDir + "/bench-ctl-help.log";
  RunToEnd({cfg.ctl, "--help"}, cfg.Environment(), log, std::chrono::seconds(10));
  std::ifstream in(log);
  std::stringstream text;
  text << in.rdbuf();
  return text.str().find("\n  watch") != std::string::npos;
}

#ifdef RADALT_BENCH_HAVE_DDS
// The instant reading first shows value, polling every 200 us for at most timeout.
std::optional<Clock::time_point> WaitForValue(Velmarin::EngineReadingBase_ptr reading, double value,
                                              std::chrono::milliseconds timeout) {
  const auto deadline = Clock::now() + timeout;
  while (Clock::now() < deadline) {
    if (ReadNumber(reading) == value) return Clock::now();
    std::this_thread::sleep_for(std::chrono::microseconds(200));
  }
  return std::nullopt;
}
#endif

}  // namespace

void RunWatch(Bench& bench) {
  const std::string id = "assignment_to_watch";
  // The setting whose write is nearest to a bare assignment: slave mode assigns and forwards
  // nothing; the channel count (3/2) checks the engines first.
  struct Watched {
    const char* name;
    double a, b;
  };
  const Watched candidates[] = {{"SLAVEMODE", 1, 0}, {"NOOFENABLEDCHANNELS", 2, 3}};
  const Watched* watched = nullptr;
  for (const Watched& w : candidates)
    if (!watched && bench.Reg().Has(w.name)) watched = &w;
  const std::string label =
      std::string(watched ? watched->name : "SLAVEMODE") + " assigned -> `radaltctl watch` prints it";
  if (!watched) {
    Skip(bench, id, label, "attribute SLAVEMODE not present");
    return;
  }
  if (!CtlHasWatch(bench)) {
    Skip(bench, id, label, "radaltctl has no watch command yet");
    return;
  }
  bench.Progress("dds: assignments to a watch client");
  const auto& cfg = bench.testSet.Config();
  Velmarin::EngineReadingBase_var attr = bench.Reg().Find(watched->name);
  AttrWriter writer(attr, bench.locker.Id());
  const double initial = writer.Read();
  writer.Write(watched->b);
  // The watch stops by itself at the latest when the bench would have finished with it.
  const std::string limit = std::to_string(60 + bench.opt.watchSamples);
  PtyProcess watch({cfg.ctl, "--ns", cfg.Ns(), "watch", watched->name, "--seconds", limit}, cfg.Environment());
  bench.testSet.WritePid("bench-watch", watch.Pid());

  bool second = false;
  auto write = [&] {
    second = !second;
    writer.Write(second ? watched->a : watched->b);
  };
  // Ready once a line follows an assignment (the watch prints the current value first).
  std::string line;
  Clock::time_point at;
  bool ready = false;
  for (const auto deadline = Clock::now() + std::chrono::seconds(15); !ready && Clock::now() < deadline;) {
    watch.Drain();
    write();
    ready = watch.NextLine(line, at, std::chrono::milliseconds(500));
  }
  if (!ready) {
    writer.Write(initial);
    Skip(bench, id, label, "failed: the watch printed nothing for 15 s of assignments");
    return;
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  std::vector<double> samples;
  int lost = 0;
  for (int i = 0; i < bench.opt.watchSamples; ++i) {
    watch.Drain();
    const auto t0 = Clock::now();
    write();
    if (watch.NextLine(line, at, std::chrono::seconds(2)))
      samples.push_back(MicrosBetween(t0, at));
    else
      ++lost;
  }
  writer.Write(initial);
  Emit(bench, id, label, samples, lost,
       "from the client's write call (which contains the assignment) to the watch's line on its terminal");
}

void RunCreate(Bench& bench) {
  const std::string id = "create_to_counts";
  const std::string label = "\"create,3\" sample -> NOOFAVAILABLECHANNELS 3";
  const std::string destroyId = "destroy_to_counts";
  const std::string destroyLabel = "\"destroy,3\" sample -> NOOFAVAILABLECHANNELS 2";
#ifndef RADALT_BENCH_HAVE_DDS
  Skip(bench, id, label, "the build has no DDS layer");
  Skip(bench, destroyId, destroyLabel, "the build has no DDS layer");
#else
  if (!bench.Reg().Has("NOOFAVAILABLECHANNELS")) {
    Skip(bench, id, label, "attribute NOOFAVAILABLECHANNELS not present");
    return;
  }
  bench.Progress("dds: engine announcements");
  Velmarin::DDS_Publisher<CORBA::String_var> commands("Lumaren/local/RADALTSC");
  if (!commands.WaitForSubscribers(1, boost::posix_time::seconds(5))) {
    const std::string why = "no subscriber to the engine announcements (the master control does not follow them yet)";
    Skip(bench, id, label, why);
    Skip(bench, destroyId, destroyLabel, why);
    return;
  }
  Velmarin::EngineReadingBase_var available = bench.Reg().Find("NOOFAVAILABLECHANNELS");
  if (ReadNumber(available) != 3) {
    Skip(bench, id, label, "the master control does not count three available channels");
    return;
  }
  auto send = [&](const char* text) { commands.sendData(CORBA::String_var(CORBA::string_dup(text))); };
  std::vector<double> creates, destroys;
  std::string error;
  for (int i = 0; i < bench.opt.createCycles && error.empty(); ++i) {
    auto t0 = Clock::now();
    send("destroy,3");
    auto seen = WaitForValue(available, 2, std::chrono::seconds(5));
    if (!seen) {
      error = "the master control did not apply \"destroy,3\" within 5 s";
      break;
    }
    destroys.push_back(MicrosBetween(t0, *seen));
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    t0 = Clock::now();
    send("create,3");
    seen = WaitForValue(available, 3, std::chrono::seconds(5));
    if (!seen) {
      error = "the master control did not apply \"create,3\" within 5 s";
      break;
    }
    creates.push_back(MicrosBetween(t0, *seen));
    // the engine registers its items with the master control after the counts change
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
  }
  SetIfPresent(bench, "NOOFENABLEDCHANNELS", 3);
  if (!error.empty()) {
    Skip(bench, id, label, "failed: " + error);
    return;
  }
  const std::string note = "sample written by the bench in the engine's place; counts read every 200 us";
  Emit(bench, id, label, creates, 0, note);
  Emit(bench, destroyId, destroyLabel, destroys, 0, note);
#endif
}

}  // namespace radalt_bench
