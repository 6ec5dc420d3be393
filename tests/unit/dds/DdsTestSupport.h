// Helpers for tests against real Fast DDS: collected callbacks, recorded console lines, and a
// participant kept for the whole test program. Every wait is bounded and waits for an event.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <iostream>
#include <memory>
#include <mutex>
#include <streambuf>
#include <string>
#include <thread>
#include <vector>

#include "platform/DDS_BaseObj.h"

namespace dds_test {

// Upper bound of every wait for a DDS event; reached only when the event never comes.
constexpr std::chrono::seconds kEventBound{20};

// Waits until condition holds, testing it every millisecond; false when it never does.
template <class Condition>
bool WaitUntil(Condition condition) {
  const auto bound = std::chrono::steady_clock::now() + kEventBound;
  while (!condition()) {
    if (std::chrono::steady_clock::now() >= bound) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return true;
}

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

// Records the lines written to a standard stream (std::cout or std::cerr) while it lives.
class StreamRecorder : public std::streambuf {
 public:
  explicit StreamRecorder(std::ostream& stream) : stream_(stream), saved_(stream.rdbuf(this)) {}
  ~StreamRecorder() override { stream_.rdbuf(saved_); }

  // Waits until a recorded line contains text; returns that line, or "" when none comes.
  std::string WaitForLine(const std::string& text) {
    std::unique_lock<std::mutex> lock(mutex_);
    std::string found;
    lines_changed_.wait_for(lock, kEventBound, [&] {
      for (const auto& line : lines_) {
        if (line.find(text) == std::string::npos) continue;
        found = line;
        return true;
      }
      return false;
    });
    return found;
  }
  std::vector<std::string> Lines() {
    std::lock_guard<std::mutex> lock(mutex_);
    return lines_;
  }

 protected:
  int_type overflow(int_type ch) override {
    if (traits_type::eq_int_type(ch, traits_type::eof())) return traits_type::not_eof(ch);
    const char c = traits_type::to_char_type(ch);
    xsputn(&c, 1);
    return ch;
  }
  std::streamsize xsputn(const char* text, std::streamsize count) override {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      for (std::streamsize i = 0; i < count; ++i) {
        if (text[i] != '\n') {
          partial_ += text[i];
          continue;
        }
        lines_.push_back(partial_);
        partial_.clear();
      }
    }
    lines_changed_.notify_all();
    return count;
  }

 private:
  std::ostream& stream_;
  std::streambuf* saved_;
  std::mutex mutex_;
  std::condition_variable lines_changed_;
  std::string partial_;
  std::vector<std::string> lines_;
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
