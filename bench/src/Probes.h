// What the kernel tells about the test set's processes: memory, threads, and the requests
// that arrived on a server's connections.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace radalt_bench {

// The figures of /proc/<pid>/status that the footprint reports.
struct ProcStatus {
  long rssKib = -1;   // VmRSS
  long hwmKib = -1;   // VmHWM, the peak of VmRSS
  long threads = -1;  // Threads
};
ProcStatus ParseProcStatus(const std::string& text);
// The status of pid now; every field -1 when it cannot be read.
ProcStatus ReadProcStatus(int pid);

// CPU time of a thread in nanoseconds: the first field of /proc/<pid>/task/<tid>/schedstat.
std::uint64_t ParseSchedstat(const std::string& text);
// CPU time of pid's threads that run now, in nanoseconds (0 when it cannot be read). A thread
// that ended is not counted, so take differences only while the process keeps its threads.
std::uint64_t ThreadsCpuNanos(int pid);

}  // namespace radalt_bench
