// radalt-bench: measures how close the master control is to what the middleware allows, and
// prints the figures side by side in one run. It starts its own test set (naming service,
// three simulated channel engines, the engine host) on a port, folder and DDS domain of its
// own, and stops it at the end. See bench/results/README.md for how to read the result.
#include <sys/utsname.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <stdexcept>
#include <thread>

#include "Bench.h"
#include "BenchPaths.h"
#include "platform/Orb.h"
#include "platform/Signals.h"

using namespace radalt_bench;

namespace {

const char* const kUsage =
    "usage: radalt-bench [options]\n"
    "  --writes N        timed writes per write row (default 2000)\n"
    "  --seconds S       duration of each throughput measurement (default 2)\n"
    "  --cycles N        engine host starts (default 5)\n"
    "  --only LIST       sections to run, comma-separated: floor,startup,writes,throughput,peer,dds,footprint\n"
    "  --rows LIST       write rows to run, by their JSON id (ch1_ramp_uncoupled, ...)\n"
    "  --quick           fewer samples everywhere (a check that the bench works, not figures)\n"
    "  --port N          naming-service port of the bench's test set (default 28290)\n"
    "  --domain N        DDS domain of the bench's test set (default 210)\n"
    "  --run-dir DIR     logs and pid files (default: run/ beside this program)\n"
    "  --json FILE       where the JSON goes (default bench/results/latest.json)\n"
    "  --attach          measure the test set already running on --port and --run-dir\n"
    "  --keep            leave the test set running at the end\n"
    "  --host-wrapper CMD  start the engine host under CMD when restarting it (\"valgrind --tool=callgrind\")\n";

std::vector<std::string> SplitList(const std::string& text) {
  std::vector<std::string> out;
  std::stringstream in(text);
  std::string item;
  while (std::getline(in, item, ',')) out.push_back(item);
  return out;
}

std::vector<std::string> SplitWords(const std::string& text) {
  std::vector<std::string> out;
  std::istringstream in(text);
  std::string word;
  while (in >> word) out.push_back(word);
  return out;
}

std::string Now() {
  const std::time_t t = std::time(nullptr);
  char buf[64];
  std::strftime(buf, sizeof buf, "%Y-%m-%dT%H:%M:%S%z", std::localtime(&t));
  return buf;
}

std::string Kernel() {
  struct utsname u;
  return ::uname(&u) == 0 ? std::string(u.release) : "";
}

// The one-minute load average: other work on the machine skews every figure.
double LoadAverage() {
  std::ifstream in("/proc/loadavg");
  double load = NAN;
  in >> load;
  return load;
}

// The test set to stop when the bench is interrupted (null when the bench does not own it).
std::atomic<TestSet*> g_owned{nullptr};
// Set once an interruption is being handled: the main thread then leaves the stopping to it.
std::atomic<bool> g_interrupted{false};

}  // namespace

int main(int argc, char** argv) {
  Options opt;
  opt.binDir = BENCH_BIN_DIR;
  opt.json = std::string(BENCH_REPO_DIR) + "/bench/results/latest.json";
  TestSetConfig cfg;
  cfg.repo = BENCH_REPO_DIR;
  cfg.build = BENCH_BUILD_DIR;
  cfg.host = BENCH_ENGINE_HOST;
  cfg.engineLib = BENCH_ENGINE_LIB;
  cfg.ctl = BENCH_CTL;
  cfg.runDir = std::string(BENCH_BIN_DIR) + "/run";
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    try {
      auto next = [&]() -> std::string {
        if (i + 1 >= argc) {
          std::cerr << "radalt-bench: " << a << " needs a value\n" << kUsage;
          std::exit(2);
        }
        return argv[++i];
      };
      if (a == "--writes") opt.writes = std::stoi(next());
      else if (a == "--seconds") opt.seconds = std::stod(next());
      else if (a == "--cycles") opt.startupCycles = std::stoi(next());
      else if (a == "--only") opt.only = SplitList(next());
      else if (a == "--rows") opt.rows = SplitList(next());
      else if (a == "--port") cfg.nsPort = std::stoi(next());
      else if (a == "--domain") cfg.domain = std::stoi(next());
      else if (a == "--run-dir") cfg.runDir = next();
      else if (a == "--json") opt.json = next();
      else if (a == "--host-wrapper") cfg.hostWrapper = SplitWords(next());
      else if (a == "--attach") opt.attach = true;
      else if (a == "--keep") opt.keep = true;
      else if (a == "--quick") {
        opt.writes = 300;
        opt.warmup = 30;
        opt.countedWrites = 5;
        opt.floorCalls = 1000;
        opt.seconds = 0.5;
        opt.startupCycles = 2;
        opt.recallRepeat = 3;
        opt.watchSamples = 30;
        opt.createCycles = 3;
      } else if (a == "-h" || a == "--help") {
        std::cout << kUsage;
        return 0;
      } else {
        std::cerr << "radalt-bench: unknown option " << a << "\n" << kUsage;
        return 2;
      }
    } catch (const std::logic_error&) {  // a number that is none
      std::cerr << "radalt-bench: " << a << " needs a number\n" << kUsage;
      return 2;
    }
  }
  if (opt.writes < 1 || opt.seconds <= 0 || opt.startupCycles < 1) {
    std::cerr << "radalt-bench: counts and durations must be positive\n";
    return 2;
  }
  cfg.runDir = std::filesystem::absolute(cfg.runDir).lexically_normal().string();

  // Every process of the bench, and the bench itself, on the bench's naming service and domain.
  ::setenv("RADALT_NS", cfg.Ns().c_str(), 1);
  ::setenv("RADALT_DDS_DOMAIN", std::to_string(cfg.domain).c_str(), 1);
  Velmarin::HandleStopSignals([](int sig) {
    g_interrupted = true;
    std::cerr << "[bench] interrupted; stopping the test set" << std::endl;
    if (TestSet* owned = g_owned.load()) owned->Stop();
    std::_Exit(128 + sig);
  });
  Velmarin::OrbOptions orbOptions;
  orbOptions.nameService = cfg.Ns();
  Velmarin::ConfigureOrb(orbOptions);

  TestSet testSet(cfg);
  Report report;
  Bench bench(opt, testSet, report);
  const auto started = Clock::now();
  Json& data = report.Data();
  data.Set("schema", 1);
  data.Set("date", Now());
  Json machine = Json::Object();
  machine.Set("cpus", static_cast<int>(std::thread::hardware_concurrency()));
  machine.Set("kernel", Kernel());
  machine.Set("build_type", BENCH_BUILD_TYPE);
  const double loadAtStart = LoadAverage();
  machine.Set("load_average_at_start", loadAtStart);
  Json settings = Json::Object();
  settings.Set("writes", opt.writes);
  settings.Set("throughput_seconds", opt.seconds);
  settings.Set("startup_cycles", opt.startupCycles);
  settings.Set("naming_port", cfg.nsPort);
  settings.Set("dds_domain", cfg.domain);
  data.Set("settings", settings);
  // The sections in the order of the table, null until measured.
  data.Set("machine", machine);
  for (const char* section : {"floor", "writes", "throughput", "startup", "dds", "footprint", "peer"})
    data.Set(section, nullptr);

  int status = 0;
  try {
    if (!opt.attach) {
      std::filesystem::create_directories(cfg.runDir);
      testSet.Stop();  // whatever an interrupted earlier run left
      std::error_code ec;
      std::filesystem::remove_all(cfg.runDir, ec);
      std::filesystem::create_directories(cfg.runDir);
      g_owned = &testSet;
      bench.Progress("starting the test set (scripts/run.sh, port " + std::to_string(cfg.nsPort) + ", domain " +
                     std::to_string(cfg.domain) + ")");
      data.Set("testset_start_s", Round(testSet.Start(), 3));
    }
    if (bench.Wants("floor")) RunFloor(bench);
    if (bench.Wants("startup")) RunStartup(bench);
    if (bench.Wants("footprint")) RunFootprint(bench, "after start");
    if (bench.Wants("writes")) RunWrites(bench);
    if (bench.Wants("throughput")) RunThroughput(bench);
    if (bench.Wants("peer")) RunPeer(bench);
    if (bench.Wants("dds")) RunWatch(bench);
    if (bench.Wants("footprint")) RunFootprint(bench, "after the run");
    // Last: it takes channel 3 away and back.
    if (bench.Wants("dds")) RunCreate(bench);
  } catch (const CORBA::Exception& e) {
    std::cerr << "radalt-bench: " << DescribeException(e) << std::endl;
    data.Set("error", DescribeException(e));
    status = 1;
  } catch (const std::exception& e) {
    std::cerr << "radalt-bench: " << e.what() << std::endl;
    data.Set("error", e.what());
    status = 1;
  }
  // An interruption ends the process once the test set is stopped.
  while (g_interrupted) std::this_thread::sleep_for(std::chrono::seconds(1));
  const double seconds = MicrosBetween(started, Clock::now()) / 1e6;
  data.Set("run_s", Round(seconds, 1));
  const double loadAtEnd = LoadAverage();
  machine.Set("load_average_at_end", loadAtEnd);
  data.Set("machine", machine);

  std::cout << "\nradalt bench, " << data.Get("date").AsString() << ", " << BENCH_BUILD_TYPE << " build, "
            << std::thread::hardware_concurrency() << " CPUs, kernel " << Kernel()
            << ", load average " << Round(loadAtStart, 2) << " at the start, " << Round(loadAtEnd, 2) << " at the end\n"
            << "test set: naming service " << cfg.Ns() << ", DDS domain " << cfg.domain << ", logs in " << cfg.runDir
            << "\n\n"
            << report.RenderTables();
  std::error_code ec;
  std::filesystem::create_directories(std::filesystem::path(opt.json).parent_path(), ec);
  std::ofstream(opt.json) << data.Dump(2);
  std::cout << "JSON: " << opt.json << " (" << Round(seconds, 0) << " s)\n";

  std::cout.flush();
  if (!opt.attach && !opt.keep) testSet.Stop();
  g_owned = nullptr;
  // The ORB's and DDS's threads still run: leave without running static destructors under them.
  Velmarin::ShutdownOrb(false);
  std::fflush(nullptr);
  std::_Exit(status);
}
