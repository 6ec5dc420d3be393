#include "Probes.h"

#include <filesystem>
#include <fstream>
#include <sstream>

namespace radalt_bench {

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

}  // namespace radalt_bench
