// Helpers for tests against real Fast DDS: collected callbacks and a participant kept for the
// whole test program. Every wait is bounded and waits for an event.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "../../support/Eventually.h"
#include "../../support/StreamRecorder.h"
#include "platform/DDS_BaseObj.h"

namespace dds_test {

// Upper bound of every wait for a DDS event; reached only when the event never comes.
constexpr std::chrono::seconds kEventBound{20};

// Values in the order they arrived, from any thread.
template <class V>
class Inbox {
 public:
  void Put(V value) {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      values_.push_back(std::move(value));
    }
    arrived_.notify_all();
  }
  // Waits until count values have arrived; false when they do not come.
  bool WaitFor(std::size_t count) {
    std::unique_lock<std::mutex> lock(mutex_);
    return arrived_.wait_for(lock, kEventBound, [&] { return values_.size() >= count; });
  }
  std::vector<V> Values() {
    std::lock_guard<std::mutex> lock(mutex_);
    return values_;
  }

 private:
  std::mutex mutex_;
  std::condition_variable arrived_;
  std::vector<V> values_;
};

// Keeps the process participant for the whole program, so that tests do not pay for a new
// participant and its discovery each time.
class ParticipantEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    participant_ = std::make_unique<Velmarin::DDS_BaseObj>();
    ASSERT_NE(participant_->DdsBase(), nullptr) << "no DDS participant";
  }
  void TearDown() override { participant_.reset(); }

 private:
  std::unique_ptr<Velmarin::DDS_BaseObj> participant_;
};

// A topic name of its own for the running test.
inline std::string TestTopic() {
  const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
  return std::string("radalt/test/") + info->test_suite_name() + "/" + info->name();
}

}  // namespace dds_test
