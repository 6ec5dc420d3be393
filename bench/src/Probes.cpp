#include "Probes.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace radalt_bench {

namespace {

// The value after "key" up to the next blank, or "" when key is absent.
std::string FieldAfter(const std::string& text, const std::string& key) {
  const auto at = text.find(key);
  if (at == std::string::npos) return "";
  const auto from = at + key.size();
  const auto end = text.find_first_of(" \t\n", from);
  return text.substr(from, end == std::string::npos ? std::string::npos : end - from);
}

// The port of an "address:port" column ("127.0.0.1:34513", "[::1]:80"); -1 when there is none.
int PortOf(const std::string& address) {
  const auto colon = address.rfind(':');
  if (colon == std::string::npos) return -1;
  try {
    return std::stoi(address.substr(colon + 1));
  } catch (...) {
    return -1;
  }
}

// The local and peer address columns of a line of `ss` (with or without its state column):
// the first two fields that hold a port.
bool Addresses(const std::string& line, std::string& local, std::string& peer) {
  std::istringstream fields(line);
  std::string field;
  local.clear();
  while (fields >> field) {
    if (field.find(':') == std::string::npos) continue;
    if (local.empty()) {
      local = field;
    } else {
      peer = field;
      return true;
    }
  }
  return false;
}

}  // namespace

ProcStatus ParseProcStatus(const std::string& text) {
  ProcStatus s;
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) {
    std::istringstream fields(line);
    std::string key;
    long value = -1;
    fields >> key >> value;
    if (key == "VmRSS:") s.rssKib = value;
    else if (key == "VmHWM:") s.hwmKib = value;
    else if (key == "Threads:") s.threads = value;
  }
  return s;
}

ProcStatus ReadProcStatus(int pid) {
  std::ifstream in("/proc/" + std::to_string(pid) + "/status");
  if (!in) return ProcStatus{};
  std::ostringstream text;
  text << in.rdbuf();
  return ParseProcStatus(text.str());
}

std::uint64_t ParseSchedstat(const std::string& text) {
  std::istringstream in(text);
  std::uint64_t ns = 0;
  in >> ns;
  return ns;
}

std::uint64_t ThreadsCpuNanos(int pid) {
  std::uint64_t total = 0;
  std::error_code ec;
  for (const auto& task : std::filesystem::directory_iterator("/proc/" + std::to_string(pid) + "/task", ec)) {
    std::ifstream in(task.path() / "schedstat");
    std::string text;
    if (std::getline(in, text)) total += ParseSchedstat(text);
  }
  return total;
}

std::vector<int> ListeningPorts(const std::string& ssListening, int pid) {
  std::vector<int> ports;
  const std::string tag = "pid=" + std::to_string(pid) + ",";
  std::istringstream in(ssListening);
  std::string line;
  while (std::getline(in, line)) {
    if (line.find(tag) == std::string::npos) continue;
    std::string local, peer;
    if (!Addresses(line, local, peer)) continue;
    const int port = PortOf(local);
    if (port > 0) ports.push_back(port);
  }
  return ports;
}

std::map<std::string, std::uint64_t> SegmentsIn(const std::string& ssInfo, const std::vector<int>& ports) {
  std::map<std::string, std::uint64_t> out;
  std::istringstream in(ssInfo);
  std::string line;
  std::string current;  // the connection the next information line belongs to
  while (std::getline(in, line)) {
    if (line.empty()) continue;
    if (line[0] != ' ' && line[0] != '\t') {
      std::string local, peer;
      current.clear();
      if (!Addresses(line, local, peer)) continue;
      const int port = PortOf(local);
      for (int p : ports)
        if (p == port) current = local + " " + peer;
      continue;
    }
    if (current.empty()) continue;
    const std::string segs = FieldAfter(line, "data_segs_in:");
    if (!segs.empty()) out[current] = std::stoull(segs);
    current.clear();
  }
  return out;
}

std::uint64_t SegmentsBetween(const std::map<std::string, std::uint64_t>& before,
                              const std::map<std::string, std::uint64_t>& after) {
  std::uint64_t total = 0;
  for (const auto& [conn, segs] : after) {
    auto it = before.find(conn);
    // A connection with fewer segments than before is a new one on the same ports.
    total += (it == before.end() || it->second > segs) ? segs : segs - it->second;
  }
  return total;
}

std::string CommandOutput(const std::string& command) {
  std::string out;
  FILE* pipe = ::popen(command.c_str(), "r");
  if (!pipe) return out;
  char buf[4096];
  std::size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, pipe)) > 0) out.append(buf, n);
  ::pclose(pipe);
  return out;
}

}  // namespace radalt_bench
