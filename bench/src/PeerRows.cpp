// The peer: the same kind of writes against an open control system's test device server
// (TangoTest, run without its database), measured in the same run as ours and printed beside
// them. The peer's client library runs in processes of its own (radalt-bench-peer-tango and
// bench/peer_python.py), never in the driver's: its ORB set-up must not meet ours. They hand
// back one JSON object per line.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "Bench.h"
#include "BenchPaths.h"
#include "BenchPeer.h"
#include "Lines.h"
#include "Process.h"

namespace radalt_bench {

namespace {

const char* const kMissing = "skipped: install tango-test libtango-dev python3-tango";
const char* const kPython = "/usr/bin/python3";
const int kClientCounts[] = {1, 4, 16};

std::string ReadAll(const std::string& path) {
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// A TCP port on 127.0.0.1 that nothing listens on now.
int FreePort() {
  const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t len = sizeof addr;
  int port = 0;
  if (fd >= 0 && ::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0 &&
      ::getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len) == 0)
    port = ntohs(addr.sin_port);
  if (fd >= 0) ::close(fd);
  return port;
}

bool Exists(const std::string& path) { return !path.empty() && std::filesystem::exists(path); }

// A helper run to its end; its last JSON line (an "error" member when it failed).
std::map<std::string, std::string> RunHelper(Bench& bench, const std::vector<std::string>& argv,
                                             const std::vector<std::string>& env, const std::string& name,
                                             std::chrono::seconds timeout) {
  const std::string log = bench.testSet.Config().runDir + "/" + name + ".log";
  const int rc = RunToEnd(argv, env, log, timeout);
  auto line = ParseJsonLine(ReadAll(log));
  if (line.empty() || (rc != 0 && line.count("error") == 0))
    line["error"] = rc < 0 ? "no answer within " + std::to_string(timeout.count()) + " s (" + log + ")"
                           : "exit status " + std::to_string(rc) + " (" + log + ")";
  return line;
}

// The device server, started for the latency and throughput rows and stopped after them.
class PeerServer {
 public:
  PeerServer(Bench& bench, int port) : port_(port) {
    log_ = bench.testSet.Config().runDir + "/peer-tango-server.log";
    pid_ = Spawn({BENCH_PEER_TANGO_SERVER, "test", "-nodb", "-dlist", "sys/tg_test/1", "-ORBendPoint",
                  "giop:tcp:127.0.0.1:" + std::to_string(port)},
                 {}, log_);
  }
  ~PeerServer() {
    if (pid_ > 0) StopProcess(pid_, std::chrono::seconds(3));
  }
  // Waits until the server says it takes requests; the reason when it does not.
  std::string Ready() {
    for (int i = 0; i < 2000; ++i) {
      if (ReadAll(log_).find("Ready to accept request") != std::string::npos) return "";
      if (!Alive(pid_)) return "the device server ended: " + log_;
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return "the device server did not get ready within 20 s: " + log_;
  }
  std::string Url() const { return "tango://127.0.0.1:" + std::to_string(port_) + "/sys/tg_test/1#dbase=no"; }

 private:
  int port_;
  int pid_ = -1;
  std::string log_;
};

struct Latency {
  double p50 = NAN;
  double p99 = NAN;
  long n = 0;
  std::string error;
};

Json LatencyJson(const std::string& what, const Latency& l) {
  Json row = Json::Object();
  row.Set("what", what);
  row.Set("p50_us", Round(l.p50, 2));
  row.Set("p99_us", Round(l.p99, 2));
  row.Set("n", l.n);
  if (!l.error.empty()) row.Set("error", l.error);
  return row;
}

Latency FromLine(const std::map<std::string, std::string>& line) {
  Latency l;
  l.p50 = NumberOf(line, "p50_us");
  l.p99 = NumberOf(line, "p99_us");
  const double n = NumberOf(line, "n");
  l.n = std::isfinite(n) ? static_cast<long>(n) : 0;
  auto it = line.find("error");
  if (it != line.end()) l.error = it->second;
  return l;
}

// Our write of attr from this process, through its held reference, as the write rows time it.
Latency OurCppWrites(Bench& bench, const std::string& attr) {
  Latency l;
  if (!bench.Reg().Has(attr)) {
    l.error = attr + " not present";
    return l;
  }
  try {
    Velmarin::EngineReadingBase_var ref = bench.Reg().Find(attr);
    AttrWriter writer(ref, bench.locker.Id());
    for (int i = 0; i < bench.opt.warmup; ++i) writer.WriteNext();
    std::vector<double> samples;
    for (int i = 0; i < bench.opt.writes; ++i) {
      const auto t0 = Clock::now();
      writer.WriteNext();
      samples.push_back(MicrosBetween(t0, Clock::now()));
    }
    const Summary s = Summarize(samples);
    l.p50 = s.p50;
    l.p99 = s.p99;
    l.n = static_cast<long>(s.n);
  } catch (const CORBA::Exception& e) {
    l.error = DescribeException(e);
  } catch (const std::exception& e) {
    l.error = e.what();
  }
  return l;
}

std::string Cell(const Latency& l) {
  if (!l.error.empty()) return "failed";
  return FormatMicros(l.p50) + " / " + FormatMicros(l.p99);
}

std::string Rates(const double (&rates)[3]) {
  return FormatCount(rates[0]) + " / " + FormatCount(rates[1]) + " / " + FormatCount(rates[2]);
}

}  // namespace

void RunPeer(Bench& bench) {
  Table& table = bench.report.Section(
      "7. Peer: the same writes against an open control system's test device server (TangoTest, no database)",
      {"what", "ours", "ours p50 / p99", "peer p50 / p99", "ours / peer p50"});
  Json data = Json::Object();
  const bool cppPeer = Exists(BENCH_PEER_TANGO_CLIENT) && Exists(BENCH_PEER_TANGO_SERVER);
  const auto& cfg = bench.testSet.Config();
  const bool pythonPeer =
      cppPeer && RunToEnd({kPython, "-c", "import tango"}, {}, cfg.runDir + "/peer-python-check.log",
                          std::chrono::seconds(30)) == 0;
  if (!cppPeer) {
    table.AddSkipped("Peer", kMissing);
    data.Set("skipped", kMissing);
    bench.report.Data().Set("peer", data);
    return;
  }
  SetIfPresent(bench, "NOOFENABLEDCHANNELS", 3);
  SetIfPresent(bench, "SIMULATIONMODE", 0);
  SetIfPresent(bench, "COUPLEDALTITUDESIMULATION", 0);
  SetIfPresent(bench, "COUPLEDMANUALRFLVL", 0);
  SetIfPresent(bench, "RFLVLMODE", 1);

  Json tango = Json::Object();
  Json ours = Json::Object();
  const std::string engineItem = "CH1:OUTPWRLVL", setting = "CH1CURSTARTALT";
  const std::string writes = std::to_string(bench.opt.writes), warmup = std::to_string(bench.opt.warmup);
  auto row = [&](const std::string& what, const std::string& ourWhat, const Latency& our, const Latency& peer) {
    const double ratio = our.p50 / peer.p50;
    table.AddRow({what, ourWhat, Cell(our), Cell(peer),
                  our.error.empty() && peer.error.empty() ? FormatRatio(ratio) : "-"});
    if (!our.error.empty()) table.AddNote(ourWhat + ": " + our.error);
    if (!peer.error.empty()) table.AddNote("peer, " + what + ": " + peer.error);
  };

  {
    const int port = FreePort();
    PeerServer server(bench, port);
    const std::string notReady = server.Ready();
    tango.Set("url", server.Url());

    bench.Progress("peer: C++ writes");
    Latency peerCpp, peerPy;
    if (notReady.empty()) {
      peerCpp = FromLine(RunHelper(bench,
                                   {BENCH_PEER_TANGO_CLIENT, "--device", server.Url(), "--latency", writes,
                                    "--warmup", warmup},
                                   {}, "peer-tango-latency", std::chrono::seconds(120)));
    } else {
      peerCpp.error = notReady;
    }
    const Latency ourItem = OurCppWrites(bench, engineItem);
    const Latency ourSetting = OurCppWrites(bench, setting);
    row("C++, one write: engine item", engineItem, ourItem, peerCpp);
    row("C++, one write: master-control setting", setting + " uncoupled", ourSetting, peerCpp);
    tango.Set("cpp_write", LatencyJson("DeviceProxy::write_attribute(double_scalar)", peerCpp));
    ours.Set("cpp_engine_item", LatencyJson(engineItem + ", held reference", ourItem));
    ours.Set("cpp_master_control", LatencyJson(setting + " uncoupled, held reference", ourSetting));

    bench.Progress("peer: Python writes");
    const std::vector<std::string> pyEnv = {"PYTHONPATH=" + std::string(BENCH_PYTHON_DIR)};
    const std::string script = std::string(BENCH_REPO_DIR) + "/bench/peer_python.py";
    if (!pythonPeer) peerPy.error = kMissing;
    else if (!notReady.empty()) peerPy.error = notReady;
    else
      peerPy = FromLine(RunHelper(bench, {kPython, script, "tango", server.Url(), writes, warmup}, pyEnv,
                                  "peer-python-tango", std::chrono::seconds(120)));
    Latency ourPyItem, ourPySetting;
    if (!Exists(std::string(BENCH_PYTHON_DIR))) {
      ourPyItem.error = ourPySetting.error = "our Python module is not built (pybind11-dev)";
    } else {
      ourPyItem = FromLine(RunHelper(bench, {kPython, script, "radalt", cfg.Ns(), engineItem, writes, warmup},
                                     pyEnv, "peer-python-radalt-item", std::chrono::seconds(180)));
      ourPySetting = FromLine(RunHelper(bench, {kPython, script, "radalt", cfg.Ns(), setting, writes, warmup},
                                        pyEnv, "peer-python-radalt-setting", std::chrono::seconds(180)));
    }
    row("Python, one write: engine item", "radalt.Client.set " + engineItem, ourPyItem, peerPy);
    row("Python, one write: master-control setting", "radalt.Client.set " + setting, ourPySetting, peerPy);
    tango.Set("python_write", LatencyJson("tango.DeviceProxy.write_attribute(double_scalar)", peerPy));
    ours.Set("python_engine_item", LatencyJson("radalt.Client.set(" + engineItem + ")", ourPyItem));
    ours.Set("python_master_control", LatencyJson("radalt.Client.set(" + setting + ")", ourPySetting));

    // Writes per second: clients processes writing at once, as the throughput rows do.
    double peerRates[3] = {NAN, NAN, NAN}, itemRates[3] = {NAN, NAN, NAN}, settingRates[3] = {NAN, NAN, NAN};
    std::string peerError;
    std::vector<std::string> items, settings;
    for (int ch = 1; ch <= 3; ++ch) {
      for (const char* key : {"OUTPWRLVL", "LOOPLOSS", "TXCABLELOSS", "RXCABLELOSS", "TXCOUPLERLOSS", "RXCOUPLERLOSS"})
        if (bench.Reg().Has("CH" + std::to_string(ch) + ":" + key)) items.push_back("CH" + std::to_string(ch) + ":" + key);
      for (const char* key : {"CURSTARTALT", "CURSTOPALT"})
        if (bench.Reg().Has("CH" + std::to_string(ch) + key)) settings.push_back("CH" + std::to_string(ch) + key);
    }
    Json peerThroughput = Json::Object();
    for (int c = 0; c < 3; ++c) {
      const int clients = kClientCounts[c];
      bench.Progress("peer: throughput, " + std::to_string(clients) + " client(s)");
      if (notReady.empty()) {
        const auto startAt = std::chrono::system_clock::now() + std::chrono::milliseconds(2500 + 150 * clients);
        const long long startUs =
            std::chrono::duration_cast<std::chrono::microseconds>(startAt.time_since_epoch()).count();
        std::vector<int> pids;
        std::vector<std::string> logs;
        for (int k = 0; k < clients; ++k) {
          logs.push_back(cfg.runDir + "/peer-tango-client-" + std::to_string(k) + ".log");
          pids.push_back(Spawn({BENCH_PEER_TANGO_CLIENT, "--device", server.Url(), "--seconds",
                                std::to_string(bench.opt.seconds), "--start-at-us", std::to_string(startUs)},
                               {}, logs.back()));
        }
        long total = 0;
        const auto limit = std::chrono::milliseconds(static_cast<long>(bench.opt.seconds * 1000) + 30000);
        for (std::size_t k = 0; k < pids.size(); ++k) {
          if (WaitEnd(pids[k], limit) < 0) StopProcess(pids[k], std::chrono::seconds(2));
          const auto line = ParseJsonLine(ReadAll(logs[k]));
          const double n = NumberOf(line, "writes");
          if (std::isfinite(n)) total += static_cast<long>(n);
          else if (peerError.empty()) peerError = line.count("error") ? line.at("error") : "no result: " + logs[k];
        }
        peerRates[c] = total / bench.opt.seconds;
      }
      if (!items.empty()) itemRates[c] = RunClients(bench, clients, items, false, "").perSecond;
      if (!settings.empty()) settingRates[c] = RunClients(bench, clients, settings, false, "").perSecond;
      peerThroughput.Set("writes_per_s_" + std::to_string(clients), Round(peerRates[c], 0));
    }
    if (!peerError.empty()) peerThroughput.Set("error", peerError);
    tango.Set("throughput", peerThroughput);
    Json itemThroughput = Json::Object(), settingThroughput = Json::Object();
    for (int c = 0; c < 3; ++c) {
      itemThroughput.Set("writes_per_s_" + std::to_string(kClientCounts[c]), Round(itemRates[c], 0));
      settingThroughput.Set("writes_per_s_" + std::to_string(kClientCounts[c]), Round(settingRates[c], 0));
    }
    ours.Set("throughput_engine_items", itemThroughput);
    ours.Set("throughput_master_control", settingThroughput);
    table.AddRow({"writes/s, 1 / 4 / 16 client processes", "engine items (" + std::to_string(items.size()) + ")",
                  Rates(itemRates), Rates(peerRates), FormatRatio(itemRates[2] / peerRates[2])});
    table.AddRow({"", "master-control settings (" + std::to_string(settings.size()) + ")", Rates(settingRates),
                  Rates(peerRates), FormatRatio(settingRates[2] / peerRates[2])});
    if (!peerError.empty()) table.AddNote("peer throughput: " + peerError);
  }

  // Start-up: the device server started -> its first successful read, against the engine
  // host started -> an attribute read through the registry (the start-up section's figure).
  bench.Progress("peer: start-up");
  std::vector<double> starts;
  std::string startError;
  for (int i = 0; i < bench.opt.startupCycles; ++i) {
    const auto line = RunHelper(bench,
                                {BENCH_PEER_TANGO_CLIENT, "--startup", BENCH_PEER_TANGO_SERVER, "--port",
                                 std::to_string(FreePort()), "--timeout-s", "20"},
                                {}, "peer-tango-startup", std::chrono::seconds(40));
    const double ms = NumberOf(line, "first_read_ms");
    if (std::isfinite(ms)) starts.push_back(ms);
    else if (startError.empty()) startError = line.count("error") ? line.at("error") : "no result";
  }
  Json peerStart = Json::Object();
  Latency peerStartup;
  if (!starts.empty()) {
    const Summary s = Summarize(starts);
    peerStart.Set("first_read_ms_p50", Round(s.p50, 2));
    peerStart.Set("first_read_ms_max", Round(s.max, 2));
    peerStart.Set("cycles", static_cast<unsigned long>(s.n));
    peerStartup.p50 = s.p50 * 1000;
    peerStartup.p99 = s.max * 1000;
  } else {
    peerStartup.error = startError;
    peerStart.Set("error", startError);
  }
  tango.Set("startup", peerStart);
  Latency ourStartup;
  const Json& total = bench.report.Data().Get("startup").Get("engine_host").Get("total_ms");
  if (!total.IsNull()) {
    ourStartup.p50 = total.Get("p50").AsNumber() * 1000;
    ourStartup.p99 = total.Get("max").AsNumber() * 1000;
    ours.Set("startup_ms_p50", total.Get("p50"));
  } else {
    ourStartup.error = "not measured in this run (add startup to --only)";
  }
  row("start-up to first read (p50 / max)", "engine host, 3 engines", ourStartup, peerStartup);

  table.AddNote("peer: TangoTest's double_scalar, written by DeviceProxy::write_attribute from a process of its "
                "own; it has no master-control layer, so both of our write rows stand beside the same peer write.");
  table.AddNote("ours / peer below 1: we are faster. Python rows: /usr/bin/python3, one write per call.");
  data.Set("tango", tango);
  data.Set("ours", ours);
  bench.report.Data().Set("peer", data);
}

}  // namespace radalt_bench
