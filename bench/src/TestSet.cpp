#include "TestSet.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

#include "Probes.h"
#include "Process.h"
#include "Stats.h"

namespace radalt_bench {

namespace SCI = Velmarin::RadAltSingleChannelStateControl;

std::vector<std::string> TestSetConfig::Environment() const {
  return {"RUN_DIR=" + runDir,
          "BUILD=" + build,
          "RADALT_NS_PORT=" + std::to_string(nsPort),
          "RADALT_NS=" + Ns(),
          "RADALT_CHANNELS=" + channels,
          "RADALT_DDS_DOMAIN=" + std::to_string(domain),
          // The operator console is a client of its own (every assigned value reaches it over
          // DDS); the figures are the master control's, so the bench's test set runs without it.
          "RADALT_CONSOLE_PORT=none"};
}

TestSet::TestSet(TestSetConfig config) : config_(std::move(config)) {}

double TestSet::Start() {
  const auto t0 = Clock::now();
  const int rc = RunToEnd({"bash", config_.repo + "/scripts/run.sh"}, config_.Environment(),
                          LogPath("run-script"), std::chrono::seconds(120));
  if (rc != 0)
    throw std::runtime_error("scripts/run.sh failed (exit " + std::to_string(rc) + "); see " +
                             LogPath("run-script"));
  return MicrosBetween(t0, Clock::now()) / 1e6;
}

void TestSet::Stop() {
  // The processes this bench started itself are its children: it stops them and collects
  // their exit itself (a child that has ended stays visible to the script until then), the
  // engine host first as the script does; the script stops the rest.
  std::vector<std::string> own = {"enginehost"};
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator(config_.runDir, ec))
    if (entry.path().extension() == ".pid" && entry.path().stem() != "enginehost")
      own.push_back(entry.path().stem().string());
  for (const auto& name : own) {
    const int pid = Pid(name);
    if (pid > 0 && IsChild(pid)) {
      StopProcess(pid, std::chrono::seconds(10));
      std::filesystem::remove(config_.runDir + "/" + name + ".pid", ec);
    }
  }
  RunToEnd({"bash", config_.repo + "/scripts/stop.sh"}, config_.Environment(), LogPath("stop-script"),
           std::chrono::seconds(60));
}

std::string TestSet::LogPath(const std::string& name) const { return config_.runDir + "/" + name + ".log"; }

int TestSet::Pid(const std::string& name) const {
  std::ifstream in(config_.runDir + "/" + name + ".pid");
  int pid = -1;
  if (in >> pid) return pid;
  return -1;
}

void TestSet::WritePid(const std::string& name, int pid) const {
  std::ofstream(config_.runDir + "/" + name + ".pid") << pid << "\n";
}

Velmarin::ORB_wrapper_base& TestSet::Naming() {
  if (!naming_) naming_ = std::make_unique<Velmarin::ORB_wrapper_base>();
  return *naming_;
}

bool TestSet::McRegistered() {
  try {
    return !Naming().FindChildContext("Lumaren/local/RADALT").empty();
  } catch (const CORBA::Exception&) {
    return false;
  }
}

bool TestSet::GuiRegistered() {
  try {
    for (const auto& n : Naming().FindChildContext("Lumaren/local/GUI_ABLE"))
      if (n.rfind("RADALT", 0) == 0 && n.rfind("RADALTSC", 0) != 0) return true;
  } catch (const CORBA::Exception&) {
  }
  return false;
}

void TestSet::StopHost() {
  const int pid = Pid("enginehost");
  if (pid > 0) StopProcess(pid, std::chrono::seconds(10));
  std::remove((config_.runDir + "/enginehost.pid").c_str());
  // The host withdraws its names on the way out; wait until they are gone.
  const auto deadline = Clock::now() + std::chrono::seconds(10);
  while ((McRegistered() || GuiRegistered()) && Clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
}

int TestSet::StartHost() {
  std::vector<std::string> argv = config_.hostWrapper;
  argv.insert(argv.end(), {config_.host, "--ns", config_.Ns(), "--root", config_.runDir + "/root", "--domain",
                           std::to_string(config_.domain), "--engine", config_.engineLib});
  std::vector<std::string> env = config_.Environment();
  env.insert(env.end(), hostEnvironment_.begin(), hostEnvironment_.end());
  const int pid = Spawn(argv, env, LogPath("enginehost"));
  WritePid("enginehost", pid);
  return pid;
}

EngineCalls::EngineCalls(TestSet& testSet) {
  std::istringstream channels(testSet.Config().channels);
  int channel;
  std::size_t count = 0;
  while (channels >> channel) {
    ++count;
    const std::string name = std::to_string(channel);
    try {
      CORBA::Object_var obj = testSet.Naming().LookupClient({"Lumaren", "local", "RADALTSC", name});
      SCI::RADALTSC_ENGINE_var engine = SCI::RADALTSC_ENGINE::_narrow(obj);
      if (!CORBA::is_nil(engine)) {
        engine->AcceptedCount();
        engines_.push_back(engine);
      }
    } catch (const CORBA::Exception&) {
      // an engine that does not count: the accepted figure stays unknown
    }
    enginePids_.push_back(testSet.Pid("radaltsc-" + name));
  }
  hostPid_ = testSet.Pid("enginehost");
  // A sum over some of the engines would mislead.
  if (engines_.size() != count) engines_.clear();
  // An engine that counts its requests has counted this question at least.
  requestsKnown_ = !engines_.empty();
  for (auto& e : engines_) requestsKnown_ = requestsKnown_ && e->RequestCount() > 0;
}

EngineCalls::Snapshot EngineCalls::Take(Side side) {
  Snapshot s;
  auto cpu = [&] {
    s.hostCpuNs = ThreadsCpuNanos(hostPid_);
    for (int pid : enginePids_) s.enginesCpuNs += ThreadsCpuNanos(pid);
  };
  auto requests = [&] {
    if (requestsKnown_)
      for (auto& e : engines_) s.requests += e->RequestCount();
  };
  auto accepted = [&] {
    for (auto& e : engines_) s.accepted += e->AcceptedCount();
  };
  switch (side) {
    case Side::Before:
      accepted();
      requests();
      cpu();
      break;
    case Side::Replied:
      cpu();
      requests();
      break;
    case Side::After:
      requests();
      accepted();
      break;
  }
  return s;
}

std::uint64_t EngineCalls::Accepted(const Snapshot& before, const Snapshot& after) {
  return after.accepted >= before.accepted ? after.accepted - before.accepted : 0;
}

std::uint64_t EngineCalls::Requests(const Snapshot& from, const Snapshot& to) const {
  // Each engine's count in `to` counts the question that asked it; nothing else asked the
  // engines after `from` had its counts.
  const std::uint64_t total = to.requests >= from.requests ? to.requests - from.requests : 0;
  return total >= engines_.size() ? total - engines_.size() : 0;
}

}  // namespace radalt_bench
