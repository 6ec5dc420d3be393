// What every part of the bench run shares: its settings, the test set, the report.
#pragma once

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "Attr.h"
#include "Report.h"
#include "Stats.h"
#include "TestSet.h"
#include "platform/Lock.h"

namespace radalt_bench {

struct Options {
  int writes = 2000;          // timed writes per write row
  int warmup = 100;           // writes before the timed ones
  int countedWrites = 20;     // writes whose engine calls are counted one by one
  int floorCalls = 5000;      // timed floor round trips
  double seconds = 2.0;       // duration of each throughput measurement
  int startupCycles = 5;      // engine host starts
  int recallRepeat = 20;      // recalls timed in-process
  int fillerValues = 300;     // extra values per store for the recall figures
  int watchSamples = 200;     // assignments timed to a watch client
  int createCycles = 10;      // destroy/create announcements
  bool attach = false;        // measure a test set already running; neither start nor stop it
  bool keep = false;          // leave the test set running at the end
  std::vector<std::string> only;  // sections to run (empty: all)
  std::vector<std::string> rows;  // write rows to run, by id (empty: all)
  std::string json;           // where the JSON goes
  std::string binDir;         // the bench's own programs
};

struct Bench {
  Options opt;
  TestSet& testSet;
  Report& report;
  Velmarin::Locker locker{"radalt-bench"};
  Summary floor;  // n == 0 until measured
  Json dds;        // the DDS section, filled by two runs
  Json footprint;  // the footprint section, filled twice

  Bench(Options o, TestSet& t, Report& r) : opt(std::move(o)), testSet(t), report(r) {}

  bool Wants(const std::string& section) const;
  // The master control's registry, looked up again after the host was restarted.
  Registry& Reg();
  void ForgetRegistry() { registry_.reset(); }
  // A progress line on standard error.
  void Progress(const std::string& text) const;
  // Ratio of a figure to the floor's (NaN while the floor is unknown).
  double Ratio(double us, bool p99) const;

 private:
  std::unique_ptr<Registry> registry_;
};

// Sets name to value when the registry has it; false when it has not. A refusal is thrown.
bool SetIfPresent(Bench& bench, const std::string& name, double value);

// What clients processes writing at once achieved.
struct ClientsRun {
  double perSecond = NAN;
  double p50 = NAN;  // median of the clients' medians
  double p99 = NAN;  // worst of the clients' p99
  long refused = 0;
  std::string error;
};
// clients processes (radalt-bench-client), client k on targets[k % size] (or on the floor
// server), all from the same instant, for bench.opt.seconds.
ClientsRun RunClients(Bench& bench, int clients, const std::vector<std::string>& targets, bool floor,
                      const std::string& values);

void RunFloor(Bench& bench);
void RunStartup(Bench& bench);
void RunWrites(Bench& bench);
void RunThroughput(Bench& bench);
void RunWatch(Bench& bench);
void RunCreate(Bench& bench);
void RunFootprint(Bench& bench, const std::string& when);
// The peer's writes beside ours (skipped when the peer's packages are missing).
void RunPeer(Bench& bench);

}  // namespace radalt_bench
