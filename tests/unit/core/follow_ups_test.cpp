// Work that follows writes: one run for a burst of posts, at once for whoever settles.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <future>
#include <mutex>
#include <stdexcept>
#include <thread>

#include "FollowUps.h"
#include "../../support/Eventually.h"

using namespace std::chrono_literals;
using radalt::FollowUps;

TEST(FollowUps, ABurstOfPostsIsOneRunAfterTheDelay) {
  std::atomic<int> runs{0};
  std::atomic<int> other{0};
  FollowUps followUps(50ms);
  followUps.Define(1, [&] { ++runs; });
  followUps.Define(2, [&] { ++other; });
  const auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < 100; ++i) followUps.Post(1);
  ASSERT_TRUE(Eventually([&] { return runs == 1; }));
  EXPECT_GE(std::chrono::steady_clock::now() - start, 50ms);
  std::this_thread::sleep_for(100ms);
  EXPECT_EQ(1, runs);
  EXPECT_EQ(0, other);  // keys are followed apart

  // A post after the run is a run of its own.
  followUps.Post(1);
  EXPECT_TRUE(Eventually([&] { return runs == 2; }));
  EXPECT_THROW(followUps.Post(3), std::out_of_range);
}

TEST(FollowUps, SettlingRunsDueWorkAtOnceOnTheCallersThread) {
  std::atomic<int> runs{0};
  std::thread::id ranOn;
  FollowUps followUps(1h);
  followUps.Define(1, [&] {
    ranOn = std::this_thread::get_id();
    ++runs;
  });
  followUps.Settle(1);  // nothing due: nothing runs
  EXPECT_EQ(0, runs);
  followUps.Post(1);
  followUps.Post(1);
  followUps.Settle(1);
  EXPECT_EQ(1, runs);
  EXPECT_EQ(std::this_thread::get_id(), ranOn);
  followUps.Settle(1);
  EXPECT_EQ(1, runs);
}

// A post while the work runs is followed by another run (what the first read may already be
// out of date); a settle meanwhile waits for the run under way and then for what is due.
TEST(FollowUps, SettlingWaitsForTheRunUnderWayAndAPostDuringItIsAnotherRun) {
  std::mutex m;
  std::condition_variable cv;
  int runs = 0, finished = 0;
  bool release = false;
  FollowUps followUps(0ms);
  followUps.Define(1, [&] {
    followUps.Settle(1);  // from inside its own run: returns at once
    std::unique_lock<std::mutex> lock(m);
    ++runs;
    cv.notify_all();
    cv.wait(lock, [&] { return release; });
    ++finished;
  });
  followUps.Post(1);
  {
    std::unique_lock<std::mutex> lock(m);
    ASSERT_TRUE(cv.wait_for(lock, 5s, [&] { return runs == 1; }));
  }
  auto settled = std::async(std::launch::async, [&] { followUps.Settle(1); });
  EXPECT_EQ(std::future_status::timeout, settled.wait_for(50ms));
  followUps.Post(1);
  {
    std::lock_guard<std::mutex> lock(m);
    release = true;
    cv.notify_all();
  }
  settled.get();
  std::lock_guard<std::mutex> lock(m);
  EXPECT_EQ(2, finished);
}

TEST(FollowUps, FailingWorkIsLoggedAndStoppingDropsWhatIsDue) {
  std::atomic<int> runs{0};
  FollowUps followUps(0ms);
  followUps.Define(1, [&] {
    ++runs;
    throw std::runtime_error("engine gone");
  });
  testing::internal::CaptureStderr();
  followUps.Post(1);
  ASSERT_TRUE(Eventually([&] { return runs == 1; }));
  followUps.Post(1);
  ASSERT_TRUE(Eventually([&] { return runs == 2; }));
  std::this_thread::sleep_for(20ms);
  EXPECT_NE(std::string::npos, testing::internal::GetCapturedStderr().find("engine gone"));

  FollowUps stopped(1h);
  stopped.Define(1, [&] { ++runs; });
  stopped.Post(1);
  stopped.Stop();
  stopped.Settle(1);
  stopped.Post(1);
  stopped.Settle(1);
  EXPECT_EQ(2, runs);
}
