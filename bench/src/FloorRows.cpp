// The floor: a trivial operation between two processes on loopback, with the ORB set up as in
// every process of the test set.
#include <sched.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "Bench.h"
#include "BenchFloor.hh"
#include "Process.h"
#include "platform/Orb.h"

namespace radalt_bench {

namespace {

// The reference the floor server wrote, waiting for it at most timeout.
std::string ReadIor(const std::string& file, std::chrono::milliseconds timeout) {
  const auto deadline = Clock::now() + timeout;
  while (Clock::now() < deadline) {
    std::ifstream in(file);
    std::string ior;
    if (in >> ior && ior.rfind("IOR:", 0) == 0) return ior;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return "";
}

cpu_set_t OneCpu(int cpu) {
  cpu_set_t set;
  CPU_ZERO(&set);
  CPU_SET(cpu, &set);
  return set;
}

// Puts every thread of pid on the CPUs of set; the threads they start later inherit it.
void PinProcess(int pid, const cpu_set_t& set) {
  std::error_code ec;
  for (const auto& task : std::filesystem::directory_iterator("/proc/" + std::to_string(pid) + "/task", ec))
    ::sched_setaffinity(std::stoi(task.path().filename().string()), sizeof set, &set);
}

Summary TimePings(RadaltBench::Floor_ptr floor, int warmup, int calls) {
  for (int i = 0; i < warmup; ++i) floor->Ping();
  std::vector<double> samples;
  samples.reserve(static_cast<std::size_t>(calls));
  for (int i = 0; i < calls; ++i) {
    const auto t0 = Clock::now();
    floor->Ping();
    samples.push_back(MicrosBetween(t0, Clock::now()));
  }
  return Summarize(samples);
}

Json RowJson(const std::string& label, const Summary& s) {
  Json row = Json::Object();
  row.Set("label", label);
  row.Set("p50_us", Round(s.p50, 2));
  row.Set("p99_us", Round(s.p99, 2));
  row.Set("mean_us", Round(s.mean, 2));
  row.Set("max_us", Round(s.max, 2));
  row.Set("n", static_cast<unsigned long>(s.n));
  return row;
}

}  // namespace

void RunFloor(Bench& bench) {
  const std::vector<std::string> headings = {"round trip", "p50", "p99", "mean", "max", "calls"};
  Table& table = bench.report.Section("1. Floor: plain omniORB round trip, two processes on loopback", headings);
  Json& data = bench.report.Data();
  const std::string label = "Ping() (no arguments, no result)";
  const std::string iorFile = bench.testSet.Config().runDir + "/bench-floor.ior";
  std::remove(iorFile.c_str());
  bench.Progress("floor: " + std::to_string(bench.opt.floorCalls) + " round trips");

  // A floor server an earlier run left to this test set goes first (when its pid is still one).
  const int earlier = bench.testSet.Pid("bench-floor");
  std::ifstream cmdline("/proc/" + std::to_string(earlier) + "/cmdline");
  std::string program;
  if (earlier > 0 && std::getline(cmdline, program, '\0') && program.find("radalt-bench-floor") != std::string::npos)
    StopProcess(earlier, std::chrono::seconds(5));
  const int pid = Spawn({bench.opt.binDir + "/radalt-bench-floor", "--ior", iorFile},
                        bench.testSet.Config().Environment(), bench.testSet.LogPath("bench-floor"));
  bench.testSet.WritePid("bench-floor", pid);
  const std::string ior = ReadIor(iorFile, std::chrono::seconds(10));
  if (ior.empty()) {
    table.AddSkipped(label, "the floor server did not start (see bench-floor.log)");
    data.Set("floor", SkippedRow(label, "the floor server did not start", {"p50_us", "p99_us"}));
    return;
  }
  CORBA::Object_var obj = Velmarin::ProcessOrb()->string_to_object(ior.c_str());
  RadaltBench::Floor_var floor = RadaltBench::Floor::_narrow(obj);
  auto add = [&](const std::string& text, const Summary& x) {
    table.AddRow({text, FormatMicros(x.p50), FormatMicros(x.p99), FormatMicros(x.mean), FormatMicros(x.max),
                  FormatCount(static_cast<double>(x.n))});
  };
  // Where the two ends run matters as much as the call: on some machines a wake-up on another
  // CPU costs several times the call itself, and the scheduler may place the ends either way.
  // The floor is the call with both ends on one CPU, the least the middleware needs; the other
  // placements are shown to read the figures by.
  const Summary scheduled = TimePings(floor, bench.opt.warmup * 2, bench.opt.floorCalls);
  Json row;
  if (std::thread::hardware_concurrency() < 2) {
    bench.floor = scheduled;
    add(label, scheduled);
    row = RowJson(label, scheduled);
  } else {
    cpu_set_t original;
    ::sched_getaffinity(0, sizeof original, &original);
    const cpu_set_t first = OneCpu(0), second = OneCpu(1);
    PinProcess(pid, first);
    ::sched_setaffinity(0, sizeof first, &first);
    bench.floor = TimePings(floor, bench.opt.warmup, bench.opt.floorCalls);
    ::sched_setaffinity(0, sizeof second, &second);
    const Summary across = TimePings(floor, bench.opt.warmup, bench.opt.floorCalls / 2 + 1);
    ::sched_setaffinity(0, sizeof original, &original);
    PinProcess(pid, original);
    add(label + ", both ends on one CPU: the floor", bench.floor);
    add("  the two ends on two CPUs", across);
    add("  placed by the scheduler", scheduled);
    row = RowJson(label + ", both ends on one CPU", bench.floor);
    row.Set("across_cpus", RowJson("the two ends on two CPUs", across));
    row.Set("scheduled", RowJson("placed by the scheduler", scheduled));
    table.AddNote("every ratio below is taken against the floor.");
  }
  data.Set("floor", row);
}

}  // namespace radalt_bench
