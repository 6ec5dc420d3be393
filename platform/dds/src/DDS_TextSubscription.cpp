#include "platform/DDS_TextSubscription.h"

#include <iostream>
#include <thread>

#include "platform/DDS_Subscriber.h"

namespace Velmarin {

namespace detail {

// The subscriber behind a text subscription, whatever its value type.
class DDS_TextReader {
 public:
  virtual ~DDS_TextReader() = default;
  virtual void WaitReady() const = 0;
  virtual bool Matched() const = 0;
};

}  // namespace detail

namespace {

template <class T>
class TextReader final : public detail::DDS_TextReader {
 public:
  TextReader(const std::string& topic, DDS_TextSubscription::Callback callback)
      : subscriber_(topic.c_str(), [callback = std::move(callback)](const char* name, T value) {
          if (callback) callback(name, DDS_ValueText(value));
        }) {}
  void WaitReady() const override { subscriber_.WaitInitFinished(); }
  bool Matched() const override {
    eprosima::fastdds::dds::SubscriptionMatchedStatus status;
    auto* reader = subscriber_.Reader();
    return reader && reader->get_subscription_matched_status(status) == eprosima::fastrtps::types::ReturnCode_t::RETCODE_OK &&
           status.current_count > 0;
  }

 private:
  DDS_Subscriber<T> subscriber_;
};

std::unique_ptr<detail::DDS_TextReader> MakeReader(const std::string& topic, DDS_ValueKind kind,
                                                         DDS_TextSubscription::Callback callback) {
  switch (kind) {
    case DDS_ValueKind::Boolean:
      return std::make_unique<TextReader<bool>>(topic, std::move(callback));
    case DDS_ValueKind::Long:
      return std::make_unique<TextReader<int>>(topic, std::move(callback));
    case DDS_ValueKind::String:
      return std::make_unique<TextReader<CORBA::String_var>>(topic, std::move(callback));
    case DDS_ValueKind::ValueDouble:
      return std::make_unique<TextReader<VALUE_DOUBLE::VALUE>>(topic, std::move(callback));
    case DDS_ValueKind::ValueLong:
      return std::make_unique<TextReader<VALUE_LONG::VALUE>>(topic, std::move(callback));
  }
  throw Runtime_errors::Unhandled_switch("DDS_TextSubscription: unknown value kind");
}

}  // namespace

DDS_TextSubscription::DDS_TextSubscription(const std::string& topic, DDS_ValueKind kind,
                                           Callback callback)
    : topic_(topic), kind_(kind), reader_(MakeReader(topic, kind, std::move(callback))) {}

DDS_TextSubscription::~DDS_TextSubscription() = default;

void DDS_TextSubscription::WaitReady() const { reader_->WaitReady(); }

bool DDS_TextSubscription::WaitMatched(std::chrono::milliseconds timeout) const {
  reader_->WaitReady();
  const auto end = std::chrono::steady_clock::now() + timeout;
  while (!reader_->Matched()) {
    if (std::chrono::steady_clock::now() >= end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return true;
}

}  // namespace Velmarin
