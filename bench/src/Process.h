// Processes the bench starts, watches and stops, always by their own pid.
#pragma once

#include <chrono>
#include <string>
#include <vector>

#include "Stats.h"

namespace radalt_bench {

// Starts argv[0] (searched in PATH) with the environment of this process plus env
// ("NAME=value" entries replace those of the same name), standard input from /dev/null and
// standard output and error into log (truncated, or appended to). Returns the pid; throws
// std::runtime_error when it cannot start.
int Spawn(const std::vector<std::string>& argv, const std::vector<std::string>& env,
          const std::string& log, bool append = false);

// Whether pid is a child of this process (one that has ended is reaped by asking).
bool IsChild(int pid);

// Whether pid runs; a child of this process that has ended is reaped.
bool Alive(int pid);

// Waits at most timeout for pid to end. Returns its exit status when it is a child of this
// process (128 + signal when a signal ended it), 0 for another process that ended, -1 when
// it still runs.
int WaitEnd(int pid, std::chrono::milliseconds timeout);

// SIGTERM, then SIGKILL when pid has not ended within grace. Returns true when it ended.
bool StopProcess(int pid, std::chrono::milliseconds grace);

// Runs argv to its end, at most timeout (then it is stopped). Returns the exit status, or -1
// when it had to be stopped.
int RunToEnd(const std::vector<std::string>& argv, const std::vector<std::string>& env,
             const std::string& log, std::chrono::milliseconds timeout);

// A program on a pseudo terminal (so that it writes line by line as to an operator), read
// line by line with the instant each line arrived.
class PtyProcess {
 public:
  PtyProcess(const std::vector<std::string>& argv, const std::vector<std::string>& env);
  ~PtyProcess();
  PtyProcess(const PtyProcess&) = delete;
  PtyProcess& operator=(const PtyProcess&) = delete;

  // The next complete line, waiting at most timeout; false when none came or the program
  // ended. at is when the line's last character was read.
  bool NextLine(std::string& line, Clock::time_point& at, std::chrono::milliseconds timeout);
  // Discards what has arrived so far; returns the number of lines discarded.
  int Drain();
  int Pid() const { return pid_; }

 private:
  bool ReadSome(std::chrono::milliseconds timeout);

  int pid_ = -1;
  int fd_ = -1;
  std::string pending_;
  std::vector<std::pair<std::string, Clock::time_point>> lines_;
};

}  // namespace radalt_bench
