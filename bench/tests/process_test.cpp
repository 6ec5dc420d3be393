// Processes the bench starts: what they are given, how they end, how their lines arrive, and
// how the bench's test set stops the ones it started itself.
#include <gtest/gtest.h>

#include <signal.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "Process.h"
#include "TestSet.h"

using namespace radalt_bench;
using std::chrono::milliseconds;

namespace {

std::string Slurp(const std::string& path) {
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

std::string TempLog(const std::string& name) {
  return testing::TempDir() + "/bench_process_test_" + name + ".log";
}

}  // namespace

TEST(Spawn, GivesTheEnvironmentAndCollectsOutputAndExit) {
  const std::string log = TempLog("env");
  ::setenv("BENCH_TEST_KEPT", "kept", 1);
  ::setenv("BENCH_TEST_REPLACED", "old", 1);
  const int pid = Spawn({"sh", "-c", "echo $BENCH_TEST_KEPT $BENCH_TEST_REPLACED; echo to-stderr >&2; exit 3"},
                        {"BENCH_TEST_REPLACED=new"}, log);
  EXPECT_EQ(WaitEnd(pid, milliseconds(5000)), 3);
  EXPECT_EQ(Slurp(log), "kept new\nto-stderr\n");
  EXPECT_FALSE(Alive(pid));

  // Appending keeps what was there.
  EXPECT_EQ(WaitEnd(Spawn({"sh", "-c", "echo more"}, {}, log, true), milliseconds(5000)), 0);
  EXPECT_EQ(Slurp(log), "kept new\nto-stderr\nmore\n");
}

TEST(Spawn, RefusesWhatCannotStart) {
  EXPECT_THROW(Spawn({"/nonexistent/program"}, {}, TempLog("missing")), std::runtime_error);
  EXPECT_THROW(Spawn({"true"}, {}, "/nonexistent/dir/log"), std::runtime_error);
}

TEST(Spawn, ChildrenGetSignalsThisProcessBlocks) {
  // The driver blocks SIGTERM in all its threads; its children must still stop on it.
  sigset_t term, old;
  sigemptyset(&term);
  sigaddset(&term, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &term, &old);
  const int pid = Spawn({"sleep", "30"}, {}, TempLog("mask"));
  pthread_sigmask(SIG_SETMASK, &old, nullptr);
  ASSERT_TRUE(Alive(pid));
  const auto t0 = Clock::now();
  EXPECT_TRUE(StopProcess(pid, milliseconds(5000)));
  EXPECT_LT(MicrosBetween(t0, Clock::now()), 4e6) << "SIGTERM was not delivered; SIGKILL ended it";
}

TEST(StopProcess, KillsWhatIgnoresTerm) {
  const int pid = Spawn({"sh", "-c", "trap '' TERM; while :; do sleep 0.05; done"}, {}, TempLog("ignore"));
  std::this_thread::sleep_for(milliseconds(100));  // the trap is set
  EXPECT_TRUE(StopProcess(pid, milliseconds(300)));
  EXPECT_FALSE(Alive(pid));
  EXPECT_FALSE(IsChild(pid));
}

TEST(RunToEnd, StopsWhatOutlivesItsTime) {
  EXPECT_EQ(RunToEnd({"sh", "-c", "exit 7"}, {}, TempLog("quick"), milliseconds(5000)), 7);
  const auto t0 = Clock::now();
  EXPECT_EQ(RunToEnd({"sleep", "30"}, {}, TempLog("slow"), milliseconds(200)), -1);
  EXPECT_LT(MicrosBetween(t0, Clock::now()), 5e6);
}

TEST(Alive, OtherProcessesAndEndedChildren) {
  EXPECT_TRUE(Alive(1));
  EXPECT_FALSE(IsChild(1));
  EXPECT_FALSE(Alive(-1));
  const int pid = Spawn({"true"}, {}, TempLog("ended"));
  EXPECT_TRUE(IsChild(pid));
  EXPECT_EQ(WaitEnd(pid, milliseconds(5000)), 0);
  EXPECT_FALSE(Alive(pid));
}

TEST(PtyProcess, LinesArriveAsTheyAreWrittenWithTheirInstants) {
  PtyProcess p({"sh", "-c", "echo one; sleep 0.3; echo two"}, {});
  std::string line;
  Clock::time_point first, second;
  ASSERT_TRUE(p.NextLine(line, first, milliseconds(5000)));
  EXPECT_EQ(line, "one");
  ASSERT_TRUE(p.NextLine(line, second, milliseconds(5000)));
  EXPECT_EQ(line, "two");
  EXPECT_GT(MicrosBetween(first, second), 200e3);
  // The program has ended: no further line, and no waiting for the whole timeout.
  const auto t0 = Clock::now();
  EXPECT_FALSE(p.NextLine(line, second, milliseconds(3000)));
  EXPECT_LT(MicrosBetween(t0, Clock::now()), 2.5e6);
}

TEST(PtyProcess, DrainDiscardsWhatArrivedSoFar) {
  PtyProcess p({"sh", "-c", "echo a; echo b; sleep 0.5; echo c; sleep 5"}, {"BENCH_TEST=1"});
  std::this_thread::sleep_for(milliseconds(200));
  EXPECT_EQ(p.Drain(), 2);
  std::string line;
  Clock::time_point at;
  ASSERT_TRUE(p.NextLine(line, at, milliseconds(5000)));
  EXPECT_EQ(line, "c");
  // The destructor stops the program that still runs.
}

TEST(TestSet, StopEndsAndCollectsItsOwnChildrenHostFirst) {
  // A run folder with pid files of processes this process started, as the bench leaves it.
  TestSetConfig config;
  config.repo = BENCH_TEST_REPO_DIR;
  config.runDir = testing::TempDir() + "/bench_testset_stop";
  std::filesystem::remove_all(config.runDir);
  std::filesystem::create_directories(config.runDir);
  TestSet testSet(config);
  const std::string order = config.runDir + "/order";
  // Each records its name when asked to stop.
  auto start = [&](const std::string& name) {
    const int pid = Spawn({"sh", "-c", "trap 'echo " + name + " >> " + order + "; exit 0' TERM; "
                                       "while :; do sleep 0.05; done"},
                          {}, testSet.LogPath(name));
    testSet.WritePid(name, pid);
    return pid;
  };
  const int floor = start("bench-floor");
  const int host = start("enginehost");
  std::this_thread::sleep_for(milliseconds(200));  // the traps are set

  testSet.Stop();
  EXPECT_FALSE(Alive(host));
  EXPECT_FALSE(Alive(floor));
  // Collected, not left for the script to find as zombies.
  EXPECT_FALSE(IsChild(host));
  EXPECT_FALSE(IsChild(floor));
  EXPECT_EQ(testSet.Pid("enginehost"), -1);
  EXPECT_EQ(testSet.Pid("bench-floor"), -1);
  EXPECT_EQ(Slurp(order), "enginehost\nbench-floor\n");
}
