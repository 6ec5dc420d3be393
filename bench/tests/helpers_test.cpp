// The bench's helper programs as the driver uses them: the floor server answers, a throughput
// client reports on one line what it did, also when it could do nothing.
#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <sstream>
#include <thread>

#include "Lines.h"
#include "Process.h"

using namespace radalt_bench;
using std::chrono::milliseconds;

namespace {

std::string Slurp(const std::string& path) {
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

std::string StartAtMicros(milliseconds fromNow) {
  const auto at = std::chrono::system_clock::now() + fromNow;
  return std::to_string(std::chrono::duration_cast<std::chrono::microseconds>(at.time_since_epoch()).count());
}

}  // namespace

TEST(Helpers, FloorClientCountsItsCallsFromTheGivenInstant) {
  const std::string dir = testing::TempDir();
  const std::string ior = dir + "/bench_helpers_floor.ior";
  std::remove(ior.c_str());
  const int server = Spawn({BENCH_FLOOR_SERVER, "--ior", ior}, {}, dir + "/bench_helpers_floor.log");
  for (int i = 0; i < 500 && Slurp(ior).rfind("IOR:", 0) != 0; ++i) std::this_thread::sleep_for(milliseconds(10));
  ASSERT_EQ(Slurp(ior).rfind("IOR:", 0), 0u) << "the floor server wrote no reference";

  const auto t0 = Clock::now();
  const std::string log = dir + "/bench_helpers_client.log";
  const int client = Spawn({BENCH_CLIENT, "--ns", "127.0.0.1:1", "--floor-ior", ior, "--start-at-us",
                            StartAtMicros(milliseconds(500)), "--seconds", "0.3"},
                           {}, log);
  EXPECT_EQ(WaitEnd(client, milliseconds(20000)), 0);
  // It waited for the instant, then called for the given time.
  EXPECT_GT(MicrosBetween(t0, Clock::now()), 0.75e6);
  const ClientResult r = ParseClientResult(Slurp(log));
  EXPECT_GT(r.writes, 100);
  EXPECT_EQ(r.refused, 0);
  EXPECT_GT(r.p50, 0);
  EXPECT_GE(r.p99, r.p50);
  EXPECT_EQ(r.error, "");
  EXPECT_TRUE(StopProcess(server, milliseconds(5000)));
}

TEST(Helpers, ClientThatReachesNothingStillReports) {
  const std::string log = testing::TempDir() + "/bench_helpers_unreachable.log";
  const int client = Spawn({BENCH_CLIENT, "--ns", "127.0.0.1:1", "--attr", "NOOFENABLEDCHANNELS", "--start-at-us",
                            StartAtMicros(milliseconds(0)), "--seconds", "0.1"},
                           {}, log);
  EXPECT_EQ(WaitEnd(client, milliseconds(30000)), 1);
  const ClientResult r = ParseClientResult(Slurp(log));
  EXPECT_EQ(r.writes, 0);
  EXPECT_NE(r.error, "");
  EXPECT_NE(r.error, "no result line");
}
