// Follows a topic whatever its sample type, as printable text (for consoles and logs).
#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <string>

#include "platform/DDS_SampleTypes.h"

namespace Velmarin {

namespace detail {
class DDS_TextReader;
}

class DDS_TextSubscription {
 public:
  // Receives each value of the topic as DDS_ValueText renders it. Runs on Fast DDS threads.
  using Callback = std::function<void(const std::string& topic, const std::string& text)>;

  // Subscribes to topic as samples of kind. Returns at once: the reader is created on a thread
  // of its own (WaitReady). Failures to create it are written to standard error.
  DDS_TextSubscription(const std::string& topic, DDS_ValueKind kind, Callback callback);
  ~DDS_TextSubscription();
  DDS_TextSubscription(const DDS_TextSubscription&) = delete;
  DDS_TextSubscription& operator=(const DDS_TextSubscription&) = delete;

  const std::string& Topic() const { return topic_; }
  DDS_ValueKind Kind() const { return kind_; }
  // Waits until the reader exists; samples published from then on reach the callback.
  void WaitReady() const;
  // Waits (up to timeout) until the reader has met a writer of the topic; false when none
  // was met.
  bool WaitMatched(std::chrono::milliseconds timeout) const;

 private:
  std::string topic_;
  DDS_ValueKind kind_;
  std::unique_ptr<detail::DDS_TextReader> reader_;
};

}  // namespace Velmarin
