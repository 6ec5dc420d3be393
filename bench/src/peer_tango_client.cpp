// radalt-bench-peer-tango: the bench's peer measurement, a client of an open control system's
// test device server (TangoTest) writing its double_scalar attribute. A process of its own:
// the peer's client library brings its own ORB set-up, which must not meet the bench's.
// Prints one JSON object per line on standard output; the driver reads the last one.
//
//   --device URL --latency N --warmup W
//       {"kind":"latency","n":N,"p50_us":..,"p99_us":..,"mean_us":..,"max_us":..}
//   --device URL --seconds S [--start-at-us T]
//       {"kind":"throughput","writes":N,"p50_us":..,"p99_us":..}   (writes from T for S)
//   --startup SERVER --port P [--timeout-s S]
//       {"kind":"startup","first_read_ms":..,"polls":N}   (SERVER started -> first read)
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <tango.h>

#include <chrono>
#include <cmath>
#include <iostream>
#include <string>
#include <thread>
#include <vector>

#include "Json.h"
#include "Report.h"
#include "Stats.h"

extern char** environ;

using namespace radalt_bench;

namespace {

struct Args {
  std::string device;
  int latency = 0;
  int warmup = 100;
  double seconds = 0;
  long long startAtUs = 0;
  std::string server;
  int port = 0;
  double timeoutS = 20;
};

std::string Describe(const Tango::DevFailed& e) {
  std::string text;
  for (CORBA::ULong i = 0; i < e.errors.length(); ++i) {
    if (!text.empty()) text += "; ";
    text += e.errors[i].desc.in();
  }
  return text;
}

void Print(const Json& line) { std::cout << line.Dump(0) << std::endl; }

void PrintError(const std::string& kind, const std::string& error) {
  Json line = Json::Object();
  line.Set("kind", kind);
  line.Set("error", error);
  Print(line);
}

// Alternates between two values, so that every write is a change.
void Write(Tango::DeviceProxy& dev, long i) {
  Tango::DeviceAttribute value("double_scalar", (i & 1) ? 1.25 : 2.5);
  dev.write_attribute(value);
}

// A result line: its kind, how many samples (under count), their p50 and p99.
Json SummaryLine(const char* kind, const char* count, const Summary& s) {
  Json line = Json::Object();
  line.Set("kind", kind);
  line.Set(count, static_cast<unsigned long>(s.n));
  line.Set("p50_us", Round(s.p50, 2));
  line.Set("p99_us", Round(s.p99, 2));
  return line;
}

int Latency(const Args& a) {
  std::string url = a.device;  // the library takes it by non-const reference
  Tango::DeviceProxy dev(url);
  long i = 0;
  for (; i < a.warmup; ++i) Write(dev, i);
  std::vector<double> samples;
  samples.reserve(static_cast<std::size_t>(a.latency));
  for (int k = 0; k < a.latency; ++k, ++i) {
    const auto t0 = Clock::now();
    Write(dev, i);
    samples.push_back(MicrosBetween(t0, Clock::now()));
  }
  const Summary s = Summarize(samples);
  Json line = SummaryLine("latency", "n", s);
  line.Set("mean_us", Round(s.mean, 2));
  line.Set("max_us", Round(s.max, 2));
  Print(line);
  return 0;
}

int Throughput(const Args& a) {
  std::string url = a.device;  // the library takes it by non-const reference
  Tango::DeviceProxy dev(url);
  Write(dev, 0);  // connected before the common start
  if (a.startAtUs > 0) {
    const auto at = std::chrono::system_clock::time_point(std::chrono::microseconds(a.startAtUs));
    std::this_thread::sleep_until(at);
  }
  std::vector<double> samples;
  const auto end = Clock::now() + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(a.seconds));
  for (long i = 1;; ++i) {
    const auto t0 = Clock::now();
    if (t0 >= end) break;
    Write(dev, i);
    samples.push_back(MicrosBetween(t0, Clock::now()));
  }
  Print(SummaryLine("throughput", "writes", Summarize(samples)));
  return 0;
}

// Starts the device server without its database and polls it (a new proxy and a read of
// double_scalar every 2 ms) until it answers.
int Startup(const Args& a) {
  const std::string port = std::to_string(a.port);
  const std::string endpoint = "giop:tcp:127.0.0.1:" + port;
  std::vector<std::string> argv = {a.server, "test", "-nodb", "-dlist", "sys/tg_test/1", "-ORBendPoint", endpoint};
  std::vector<char*> cargv;
  for (auto& s : argv) cargv.push_back(s.data());
  cargv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
  // The library is loaded and its client ORB up before the clock starts.
  Tango::ApiUtil::instance();
  std::string url = "tango://127.0.0.1:" + port + "/sys/tg_test/1#dbase=no";
  pid_t pid = -1;
  const auto t0 = Clock::now();
  if (posix_spawn(&pid, a.server.c_str(), &actions, nullptr, cargv.data(), environ) != 0) {
    PrintError("startup", "cannot start " + a.server);
    return 1;
  }
  posix_spawn_file_actions_destroy(&actions);
  const auto limit = t0 + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(a.timeoutS));
  int polls = 0;
  std::string error;
  double firstReadMs = NAN;
  while (Clock::now() < limit) {
    ++polls;
    try {
      Tango::DeviceProxy dev(url);
      Tango::DeviceAttribute value = dev.read_attribute("double_scalar");
      double v = 0;
      value >> v;
      firstReadMs = MicrosBetween(t0, Clock::now()) / 1000;
      break;
    } catch (const Tango::DevFailed& e) {
      error = Describe(e);
    }
    int status = 0;
    if (waitpid(pid, &status, WNOHANG) == pid) {
      error = "the device server ended before it answered";
      pid = -1;
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  if (pid > 0) {
    kill(pid, SIGTERM);
    int status = 0;
    for (int i = 0; i < 200 && waitpid(pid, &status, WNOHANG) == 0; ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    if (waitpid(pid, &status, WNOHANG) == 0) {
      kill(pid, SIGKILL);
      waitpid(pid, &status, 0);
    }
  }
  if (!std::isfinite(firstReadMs)) {
    PrintError("startup", error.empty() ? "no answer" : error);
    return 1;
  }
  Json line = Json::Object();
  line.Set("kind", "startup");
  line.Set("first_read_ms", Round(firstReadMs, 2));
  line.Set("polls", polls);
  Print(line);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  Args a;
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::string k = argv[i], v = argv[i + 1];
    if (k == "--device") a.device = v;
    else if (k == "--latency") a.latency = std::stoi(v);
    else if (k == "--warmup") a.warmup = std::stoi(v);
    else if (k == "--seconds") a.seconds = std::stod(v);
    else if (k == "--start-at-us") a.startAtUs = std::stoll(v);
    else if (k == "--startup") a.server = v;
    else if (k == "--port") a.port = std::stoi(v);
    else if (k == "--timeout-s") a.timeoutS = std::stod(v);
    else {
      std::cerr << "radalt-bench-peer-tango: unknown option " << k << "\n";
      return 2;
    }
  }
  const std::string kind = !a.server.empty() ? "startup" : a.latency > 0 ? "latency" : "throughput";
  try {
    if (!a.server.empty()) return Startup(a);
    if (a.device.empty()) {
      std::cerr << "radalt-bench-peer-tango: --device or --startup needed\n";
      return 2;
    }
    return a.latency > 0 ? Latency(a) : Throughput(a);
  } catch (const Tango::DevFailed& e) {
    PrintError(kind, Describe(e));
  } catch (const CORBA::Exception& e) {
    PrintError(kind, std::string("CORBA ") + e._name());
  } catch (const std::exception& e) {
    PrintError(kind, e.what());
  }
  return 1;
}
