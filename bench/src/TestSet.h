// The simulated test set the bench measures: started and stopped by the project's scripts on
// a port, folder and DDS domain of the bench's own, and the engine host restarted on its own
// for the start-up figures.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "RadAltSC.hh"
#include "platform/ORB_wrapper.h"

namespace radalt_bench {

struct TestSetConfig {
  std::string repo;       // the repository (scripts/)
  std::string build;      // the build folder the scripts take as BUILD
  std::string runDir;     // logs and pid files
  std::string host;       // radalt-enginehost
  std::string engineLib;  // libradalt.engine.so.1
  std::string ctl;        // radaltctl
  int nsPort = 28290;
  int domain = 210;
  std::string channels = "1 2 3";
  // A command the engine host is started under when the bench restarts it ("valgrind ...").
  std::vector<std::string> hostWrapper;

  std::string Ns() const { return "127.0.0.1:" + std::to_string(nsPort); }
  // The variables the scripts and the test set's processes read.
  std::vector<std::string> Environment() const;
};

class TestSet {
 public:
  explicit TestSet(TestSetConfig config);

  const TestSetConfig& Config() const { return config_; }
  // scripts/run.sh: returns once the master control has published its attributes.
  // Returns its duration in seconds; throws std::runtime_error when it fails.
  double Start();
  // scripts/stop.sh: stops every process with a pid file in the run folder.
  void Stop();

  // The pid recorded for name ("enginehost", "radaltsc-1"), -1 when none.
  int Pid(const std::string& name) const;
  void WritePid(const std::string& name, int pid) const;
  std::string LogPath(const std::string& name) const;

  // Stops the engine host and waits until its naming registration is gone.
  void StopHost();
  // Starts the engine host as scripts/run.sh does (its log truncated); returns its pid.
  int StartHost();
  // Variables the engine host is started with from now on besides the test set's
  // ("RADALT_JOURNAL=off").
  void SetHostEnvironment(std::vector<std::string> extra) { hostEnvironment_ = std::move(extra); }

  // Naming-service look-ups of this process.
  Velmarin::ORB_wrapper_base& Naming();
  // Whether the master control's registration and its GUI registry are bound.
  bool McRegistered();
  bool GuiRegistered();

 private:
  std::vector<std::string> hostEnvironment_;
  TestSetConfig config_;
  std::unique_ptr<Velmarin::ORB_wrapper_base> naming_;
};

// What the channel engines were sent: the sets and commands they accepted, the requests that
// reached them (the kernel's counts, read by each engine); and the CPU time the engine host and
// the engines spent meanwhile.
class EngineCalls {
 public:
  explicit EngineCalls(TestSet& testSet);

  struct Snapshot {
    std::uint64_t accepted = 0;
    std::uint64_t requests = 0;
    std::uint64_t hostCpuNs = 0;
    std::uint64_t enginesCpuNs = 0;
  };
  // Before: the counts, then the CPU times. Replied, the moment a write has its reply: the CPU
  // times, then the request counts. After, once what follows the write is done: the request
  // counts, then the accepted ones. So the snapshots' own questions stay out of the CPU times
  // and of the requests counted between them.
  enum class Side { Before, Replied, After };
  Snapshot Take(Side side);
  // Whether each count can be taken (engines that count).
  bool AcceptedKnown() const { return !engines_.empty(); }
  bool RequestsKnown() const { return requestsKnown_; }
  static std::uint64_t Accepted(const Snapshot& before, const Snapshot& after);
  // The requests between two snapshots; `to` is a Replied or After snapshot.
  std::uint64_t Requests(const Snapshot& from, const Snapshot& to) const;

 private:
  std::vector<Velmarin::RadAltSingleChannelStateControl::RADALTSC_ENGINE_var> engines_;
  bool requestsKnown_ = false;
  int hostPid_ = -1;
  std::vector<int> enginePids_;
};

}  // namespace radalt_bench
