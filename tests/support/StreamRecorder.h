// The lines a program writes to a standard stream (std::cout or std::cerr), for tests that
// wait for a line another thread writes.
#pragma once

#include <chrono>
#include <condition_variable>
#include <iostream>
#include <mutex>
#include <streambuf>
#include <string>
#include <vector>

// Records the lines written to stream while it lives.
class StreamRecorder : public std::streambuf {
 public:
  explicit StreamRecorder(std::ostream& stream) : stream_(stream), saved_(stream.rdbuf(this)) {}
  // Gives the stream its buffer back, then waits for a write still under way on another
  // thread (it holds the lock until it has told the waiters).
  ~StreamRecorder() override {
    stream_.rdbuf(saved_);
    std::lock_guard<std::mutex> lock(mutex_);
  }

  // Waits until a recorded line contains text; returns that line, or "" when none comes.
  std::string WaitForLine(const std::string& text) {
    std::unique_lock<std::mutex> lock(mutex_);
    std::string found;
    lines_changed_.wait_for(lock, std::chrono::seconds(20), [&] {
      for (const auto& line : lines_) {
        if (line.find(text) == std::string::npos) continue;
        found = line;
        return true;
      }
      return false;
    });
    return found;
  }

 protected:
  int_type overflow(int_type ch) override {
    if (traits_type::eq_int_type(ch, traits_type::eof())) return traits_type::not_eof(ch);
    const char c = traits_type::to_char_type(ch);
    xsputn(&c, 1);
    return ch;
  }
  std::streamsize xsputn(const char* text, std::streamsize count) override {
    std::lock_guard<std::mutex> lock(mutex_);
    for (std::streamsize i = 0; i < count; ++i) {
      if (text[i] != '\n') {
        partial_ += text[i];
        continue;
      }
      lines_.push_back(partial_);
      partial_.clear();
    }
    lines_changed_.notify_all();  // under the lock: the destructor waits for it
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
