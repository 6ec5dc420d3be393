// DDS: how long an attribute's assignment takes to reach a watching console, and how long a
// channel engine's "create,N" / "destroy,N" announcement takes to change the registry's channel
// counts (channel 3's engine is stopped and started again for it).
#include <chrono>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <mutex>
#include <optional>
#include <sstream>
#include <thread>

#include "Bench.h"
#include "Process.h"

#ifdef RADALT_BENCH_HAVE_DDS
#include "platform/DDS_Publisher.h"
#include "platform/DDS_Subscriber.h"
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
const char* const kEngineTopic = "Lumaren/local/RADALTSC";

// The channel engines' announcements as this process's own reader receives them, each with the
// instant it arrived.
class Announcements {
 public:
  Announcements()
      : reader_(kEngineTopic, [this](const char*, CORBA::String_var text) {
          const auto at = Clock::now();
          std::lock_guard<std::mutex> lock(mutex_);
          heard_.emplace_back(text.in() ? text.in() : "", at);
        }) {}

  // Waits at most timeout until the reader has met count writers; false when it has not.
  bool WaitWriters(int count, std::chrono::milliseconds timeout) {
    reader_.WaitInitFinished();
    const auto deadline = Clock::now() + timeout;
    for (;;) {
      eprosima::fastdds::dds::SubscriptionMatchedStatus status;
      auto* reader = reader_.Reader();
      if (reader && reader->get_subscription_matched_status(status) == Velmarin::DDS_ReturnCode::RETCODE_OK &&
          status.current_count >= count)
        return true;
      if (Clock::now() >= deadline) return false;
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
  }

  // When text last arrived within [from, until]; nullopt when it did not.
  std::optional<Clock::time_point> LastBetween(const std::string& text, Clock::time_point from,
                                               Clock::time_point until) const {
    std::lock_guard<std::mutex> lock(mutex_);
    std::optional<Clock::time_point> last;
    for (const auto& [t, at] : heard_)
      if (t == text && at >= from && at <= until) last = at;
    return last;
  }

 private:
  mutable std::mutex mutex_;
  std::vector<std::pair<std::string, Clock::time_point>> heard_;
  Velmarin::DDS_Subscriber<CORBA::String_var> reader_;  // last: it goes before what it fills
};

// Waits until the engine of channel 3 started as pid is bound and answers. True when the
// bench's question was the first request the engine received (nobody had come to it yet),
// false when others had; nullopt when it did not answer within timeout or pid ended.
std::optional<bool> AnswersUntouched(TestSet& testSet, int pid, std::chrono::milliseconds timeout) {
  namespace SCI = Velmarin::RadAltSingleChannelStateControl;
  const auto deadline = Clock::now() + timeout;
  while (Clock::now() < deadline && Alive(pid)) {
    try {
      CORBA::Object_var obj = testSet.Naming().LookupClient({"Lumaren", "local", "RADALTSC", "3"});
      SCI::RADALTSC_ENGINE_var engine = SCI::RADALTSC_ENGINE::_narrow(obj);
      // The engine counts the requests it received, this one included.
      if (!CORBA::is_nil(engine)) return engine->RequestCount() <= 1;
    } catch (const CORBA::Exception&) {
      // not bound yet, or still bound to the engine that ended
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  return std::nullopt;
}

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
  auto skipBoth = [&](const std::string& why) {
    Skip(bench, id, label, why);
    Skip(bench, destroyId, destroyLabel, why);
  };
#ifndef RADALT_BENCH_HAVE_DDS
  skipBoth("the build has no DDS layer");
#else
  if (!bench.Reg().Has("NOOFAVAILABLECHANNELS")) {
    skipBoth("attribute NOOFAVAILABLECHANNELS not present");
    return;
  }
  bench.Progress("dds: engine announcements (channel 3's engine stopped and started again)");
  // Asked before the bench's own reader exists, which would count as a subscriber too.
  Velmarin::DDS_Publisher<CORBA::String_var> commands(kEngineTopic);
  if (!commands.WaitForSubscribers(1, boost::posix_time::seconds(5))) {
    skipBoth("no subscriber to the engine announcements (the master control does not follow them yet)");
    return;
  }
  Velmarin::EngineReadingBase_var available = bench.Reg().Find("NOOFAVAILABLECHANNELS");
  if (ReadNumber(available) != 3) {
    skipBoth("the master control does not count three available channels");
    return;
  }
  TestSet& testSet = bench.testSet;
  const auto& cfg = testSet.Config();
  if (testSet.Pid("radaltsc-3") <= 0) {
    skipBoth("no pid file for channel 3's engine (radaltsc-3)");
    return;
  }
  // The master control lets an engine go only once it has gone, so channel 3's engine is
  // stopped (its own "destroy,3" is timed from when it reaches this process, as it reaches the
  // master control) and started again; the bench writes "create,3" in its place as soon as the
  // new engine answers, before the engine's own announcement has brought anyone to it.
  Announcements heard;
  // The three engines' writers; a goodbye the reader misses is counted as lost.
  heard.WaitWriters(3, std::chrono::seconds(5));
  std::vector<double> creates, destroys;
  int createsLost = 0, destroysLost = 0;
  std::string error;
  for (int i = 0; i < bench.opt.createCycles; ++i) {
    const auto stopped = Clock::now();
    if (!StopProcess(testSet.Pid("radaltsc-3"), std::chrono::seconds(10))) {
      error = "channel 3's engine did not end when stopped";
      break;
    }
    std::remove((cfg.runDir + "/radaltsc-3.pid").c_str());
    auto seen = WaitForValue(available, 2, std::chrono::seconds(10));
    if (!seen) {
      error = "the master control still counted channel 3 10 s after its engine ended";
      break;
    }
    if (auto sample = heard.LastBetween("destroy,3", stopped, *seen))
      destroys.push_back(MicrosBetween(*sample, *seen));
    else
      ++destroysLost;
    const auto started = Clock::now();
    const int pid = Spawn({cfg.build + "/sim/radaltsc-sim", "--channel", "3", "--ns", cfg.Ns(), "--root",
                           cfg.runDir + "/root"},
                          cfg.Environment(), testSet.LogPath("radaltsc-3"), true);
    testSet.WritePid("radaltsc-3", pid);
    const std::optional<bool> first = AnswersUntouched(testSet, pid, std::chrono::seconds(20));
    if (!first) {
      error = "channel 3's engine did not answer within 20 s of its start";
      break;
    }
    const auto t0 = Clock::now();
    commands.sendData(CORBA::String_var(CORBA::string_dup("create,3")));
    seen = WaitForValue(available, 3, std::chrono::seconds(20));
    if (!seen) {
      error = "the master control did not count channel 3 within 20 s of its engine's start";
      break;
    }
    // Timed only when the bench's sample was the first: nobody had come to the new engine and
    // the engine's own announcement had not been heard before it.
    if (*first && !heard.LastBetween("create,3", started, t0))
      creates.push_back(MicrosBetween(t0, *seen));
    else
      ++createsLost;
    // the engine registers its items with the master control after the counts change
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
  }
  SetIfPresent(bench, "NOOFENABLEDCHANNELS", 3);
  if (!error.empty()) {
    skipBoth("failed: " + error);
    return;
  }
  const std::string note =
      "channel 3's engine stopped and started again; destroy: from the engine's sample reaching the bench, "
      "create: from the bench's write of the sample once the new engine answers; counts read every 200 us; "
      "lost: cycles that could not be timed (sample not heard, or the engine's own create came first)";
  Emit(bench, id, label, creates, createsLost, note);
  Emit(bench, destroyId, destroyLabel, destroys, destroysLost, note);
#endif
}

}  // namespace radalt_bench
