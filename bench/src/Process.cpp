#include "Process.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>
#include <thread>

extern char** environ;

namespace radalt_bench {

namespace {

// environ with the entries of env put in place of those of the same name.
std::vector<std::string> MergedEnvironment(const std::vector<std::string>& env) {
  std::vector<std::string> out;
  for (char** e = environ; *e; ++e) {
    const std::string entry = *e;
    const std::string name = entry.substr(0, entry.find('='));
    bool replaced = false;
    for (const auto& add : env)
      if (add.substr(0, add.find('=')) == name) replaced = true;
    if (!replaced) out.push_back(entry);
  }
  out.insert(out.end(), env.begin(), env.end());
  return out;
}

std::vector<char*> Pointers(std::vector<std::string>& strings) {
  std::vector<char*> out;
  for (auto& s : strings) out.push_back(&s[0]);
  out.push_back(nullptr);
  return out;
}

// Exit status of a waitpid status word.
int StatusOf(int status) {
  if (WIFEXITED(status)) return WEXITSTATUS(status);
  if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
  return 0;
}

}  // namespace

int Spawn(const std::vector<std::string>& argv, const std::vector<std::string>& env,
          const std::string& log, bool append) {
  std::vector<std::string> args = argv;
  std::vector<std::string> envs = MergedEnvironment(env);
  std::vector<char*> argp = Pointers(args);
  std::vector<char*> envp = Pointers(envs);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, log.c_str(),
                                   O_WRONLY | O_CREAT | (append ? O_APPEND : O_TRUNC), 0644);
  posix_spawn_file_actions_adddup2(&actions, 1, 2);
  // The child starts with no signal blocked, whatever this process blocks.
  posix_spawnattr_t attr;
  posix_spawnattr_init(&attr);
  sigset_t none;
  sigemptyset(&none);
  posix_spawnattr_setsigmask(&attr, &none);
  posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSIGMASK);

  pid_t pid = -1;
  const int rc = ::posix_spawnp(&pid, argp[0], &actions, &attr, argp.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  posix_spawnattr_destroy(&attr);
  if (rc != 0) throw std::runtime_error("cannot start " + argv[0] + ": " + std::strerror(rc));
  return pid;
}

bool IsChild(int pid) {
  int status = 0;
  return pid > 0 && ::waitpid(pid, &status, WNOHANG) >= 0;
}

bool Alive(int pid) {
  if (pid <= 0) return false;
  int status = 0;
  const pid_t r = ::waitpid(pid, &status, WNOHANG);
  if (r == pid) return false;
  if (r == 0) return true;
  // not a child of this process
  return ::kill(pid, 0) == 0 || errno == EPERM;
}

int WaitEnd(int pid, std::chrono::milliseconds timeout) {
  const auto deadline = Clock::now() + timeout;
  for (;;) {
    int status = 0;
    const pid_t r = ::waitpid(pid, &status, WNOHANG);
    if (r == pid) return StatusOf(status);
    if (r < 0 && ::kill(pid, 0) != 0 && errno == ESRCH) return 0;
    if (Clock::now() >= deadline) return -1;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
}

bool StopProcess(int pid, std::chrono::milliseconds grace) {
  if (!Alive(pid)) return true;
  ::kill(pid, SIGTERM);
  if (WaitEnd(pid, grace) >= 0) return true;
  ::kill(pid, SIGKILL);
  return WaitEnd(pid, std::chrono::milliseconds(2000)) >= 0;
}

int RunToEnd(const std::vector<std::string>& argv, const std::vector<std::string>& env,
             const std::string& log, std::chrono::milliseconds timeout) {
  const int pid = Spawn(argv, env, log);
  const int status = WaitEnd(pid, timeout);
  if (status >= 0) return status;
  StopProcess(pid, std::chrono::milliseconds(2000));
  return -1;
}

PtyProcess::PtyProcess(const std::vector<std::string>& argv, const std::vector<std::string>& env) {
  std::vector<std::string> args = argv;
  std::vector<std::string> envs = MergedEnvironment(env);
  std::vector<char*> argp = Pointers(args);
  std::vector<char*> envp = Pointers(envs);
  struct termios raw;
  std::memset(&raw, 0, sizeof raw);
  cfmakeraw(&raw);
  const pid_t pid = ::forkpty(&fd_, nullptr, &raw, nullptr);
  if (pid < 0) throw std::runtime_error(std::string("cannot open a terminal: ") + std::strerror(errno));
  if (pid == 0) {
    sigset_t none;
    sigemptyset(&none);
    ::sigprocmask(SIG_SETMASK, &none, nullptr);
    ::execvpe(argp[0], argp.data(), envp.data());
    ::_exit(127);
  }
  pid_ = pid;
}

PtyProcess::~PtyProcess() {
  if (pid_ > 0) StopProcess(pid_, std::chrono::milliseconds(2000));
  if (fd_ >= 0) ::close(fd_);
}

bool PtyProcess::ReadSome(std::chrono::milliseconds timeout) {
  struct pollfd p = {fd_, POLLIN, 0};
  const int ready = ::poll(&p, 1, static_cast<int>(timeout.count()));
  if (ready <= 0) return false;
  char buf[4096];
  const ssize_t n = ::read(fd_, buf, sizeof buf);
  if (n <= 0) return false;
  const auto at = Clock::now();
  for (ssize_t i = 0; i < n; ++i) {
    if (buf[i] == '\n') {
      if (!pending_.empty() && pending_.back() == '\r') pending_.pop_back();
      lines_.emplace_back(pending_, at);
      pending_.clear();
    } else {
      pending_ += buf[i];
    }
  }
  return true;
}

bool PtyProcess::NextLine(std::string& line, Clock::time_point& at, std::chrono::milliseconds timeout) {
  const auto deadline = Clock::now() + timeout;
  while (lines_.empty()) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    if (left.count() <= 0) return false;
    if (!ReadSome(left) && Clock::now() >= deadline) return false;
    if (!Alive(pid_) && lines_.empty() && !ReadSome(std::chrono::milliseconds(0))) return false;
  }
  line = lines_.front().first;
  at = lines_.front().second;
  lines_.erase(lines_.begin());
  return true;
}

int PtyProcess::Drain() {
  while (ReadSome(std::chrono::milliseconds(0))) {
  }
  const int n = static_cast<int>(lines_.size());
  lines_.clear();
  return n;
}

}  // namespace radalt_bench
