// Publishes values of one type on one topic: one call, one sample.
#pragma once

#include <fastdds/dds/domain/DomainParticipant.hpp>
#include <fastdds/dds/publisher/DataWriter.hpp>
#include <fastdds/dds/publisher/Publisher.hpp>
#include <fastdds/dds/publisher/qos/DataWriterQos.hpp>
#include <fastdds/dds/topic/Topic.hpp>
#include <fastdds/dds/topic/TypeSupport.hpp>

#include <boost/date_time/posix_time/posix_time_types.hpp>
#include <boost/thread/thread.hpp>

#include <iostream>
#include <string>

#include "platform/DDS_BaseObj.h"
#include "platform/DDS_Failure.h"
#include "platform/DDS_SampleTypes.h"

namespace Velmarin {

// Samples a writer keeps for subscribers that have not acknowledged them yet.
constexpr int32_t DDS_WriterHistoryDepth = 256;

// A data writer for values of type T (bool, int, CORBA::String_var, VALUE_DOUBLE::VALUE,
// VALUE_LONG::VALUE) on one topic, reliable and volatile.
template <class T>
class DDS_Publisher : public DDS_BaseObj {
 public:
  using Traits = DDS_SampleTraits<T>;
  using Sample = typename Traits::Sample;

  // Creates the writer; throws Connection_errors::Not_Connected when Fast DDS refuses an entity.
  explicit DDS_Publisher(const char* topic);
  ~DDS_Publisher() override;

  // Publishes value; throws Connection_errors::Communications_failure when the write fails.
  void sendData(const T& value);

  // Waits until at least count subscribers are matched, at most timeout; true when they are.
  bool WaitForSubscribers(int count, const boost::posix_time::time_duration& timeout) const;

  const char* TopicName() const { return topicName_.in(); }
  eprosima::fastdds::dds::DataWriter* Writer() const { return writer_; }

 private:
  void Release();

  CORBA::String_var topicName_;
  eprosima::fastdds::dds::TypeSupport typeSupport_;
  eprosima::fastdds::dds::Publisher* publisher_ = nullptr;
  eprosima::fastdds::dds::Topic* topic_ = nullptr;
  eprosima::fastdds::dds::DataWriter* writer_ = nullptr;
};

// ---- implementation ----------------------------------------------------------------------

// The writer itself when it writes samples of the given type, nullptr otherwise.
inline eprosima::fastdds::dds::DataWriter* DDS_NarrowWriter(
    eprosima::fastdds::dds::DataWriter* writer, const eprosima::fastdds::dds::TypeSupport& type) {
  if (writer == nullptr || writer->get_type().get_type_name() != type.get_type_name())
    return nullptr;
  return writer;
}

template <class T>
DDS_Publisher<T>::DDS_Publisher(const char* topic)
    : topicName_(CORBA::string_dup(topic)), typeSupport_(new typename Traits::TypeSupport()) {
  namespace dds = eprosima::fastdds::dds;
  const std::string function = __PRETTY_FUNCTION__;
  dds::DomainParticipant* participant = DdsBase();
  if (participant == nullptr) DDS_ThrowNotConnected(function + " err: Participant NULL");

  if (typeSupport_.register_type(participant) != DDS_ReturnCode::RETCODE_OK)
    DDS_ThrowNotConnected(function + " err: Osts->register_type");

  publisher_ = participant->create_publisher(dds::PUBLISHER_QOS_DEFAULT, nullptr);
  if (publisher_ == nullptr) DDS_ThrowNotConnected("DDS_Publisher::Init err: Participant->create_publisher");

  topic_ = AcquireTopic(topicName_.in(), typeSupport_.get_type_name());
  if (topic_ == nullptr) {
    Release();
    DDS_ThrowNotConnected(function + " err:  Participant->create_topic [" + topicName_.in() + "] [" +
                          typeSupport_.get_type_name() + "]");
  }

  dds::DataWriterQos qos = publisher_->get_default_datawriter_qos();
  qos.reliability().kind = dds::RELIABLE_RELIABILITY_QOS;
  qos.durability().kind = dds::VOLATILE_DURABILITY_QOS;
  qos.history().kind = dds::KEEP_LAST_HISTORY_QOS;
  qos.history().depth = DDS_WriterHistoryDepth;
  qos.reliable_writer_qos().times.heartbeatPeriod = {0, 200000000};
  qos.data_sharing().off();
  dds::DataWriter* writer = publisher_->create_datawriter(topic_, qos, nullptr);
  if (writer == nullptr) {
    std::cout << "DDS_Publisher:: ERROR: create_datawriter failed" << std::endl;
    Release();
    DDS_ThrowNotConnected(function + " err: Publisher->create_datawriter");
  }

  writer_ = DDS_NarrowWriter(writer, typeSupport_);
  if (writer_ == nullptr) {
    publisher_->delete_datawriter(writer);
    Release();
    DDS_ThrowNotConnected(function + " err:  pub_obj.writer_i_narrow_func");
  }
}

template <class T>
DDS_Publisher<T>::~DDS_Publisher() {
  Release();
}

template <class T>
void DDS_Publisher<T>::Release() {
  if (publisher_ != nullptr) {
    if (writer_ != nullptr) publisher_->delete_datawriter(writer_);
    DdsBase()->delete_publisher(publisher_);
  }
  ReleaseTopic(topic_);
  writer_ = nullptr;
  publisher_ = nullptr;
  topic_ = nullptr;
}

// The sample's key is fixed, so the writer registers the one instance of the topic and writes
// under its handle (Fast DDS refuses register_instance only on keyless types).
template <class T>
void DDS_Publisher<T>::sendData(const T& value) {
  Sample sample;
  Traits::Fill(sample, value);
  const eprosima::fastrtps::rtps::InstanceHandle_t handle = writer_->register_instance(&sample);
  if (writer_->write(&sample, handle) != DDS_ReturnCode::RETCODE_OK)
    throw Connection_errors::Communications_failure(
        (std::string(__PRETTY_FUNCTION__) + " error").c_str());
}

template <class T>
bool DDS_Publisher<T>::WaitForSubscribers(int count,
                                          const boost::posix_time::time_duration& timeout) const {
  const auto deadline = boost::get_system_time() + timeout;
  for (;;) {
    eprosima::fastdds::dds::PublicationMatchedStatus status;
    if (writer_->get_publication_matched_status(status) == DDS_ReturnCode::RETCODE_OK &&
        status.current_count >= count)
      return true;
    if (boost::get_system_time() >= deadline) return false;
    boost::this_thread::sleep(boost::posix_time::milliseconds(5));
  }
}

}  // namespace Velmarin
