// Receives the values of one topic as calls of a boost::function.
//
// A subscriber returns from its constructor at once; its own thread creates the DDS entities.
// A sample that arrives before that thread has finished waits for it, so no value is lost and
// no callback runs before the subscriber is complete.
//
// Fast DDS calls a listener while holding the reader's lock, which create_datareader also takes
// after the reader can already receive. A listener that blocked until the initialisation ended
// could therefore stop the initialisation for good. An early sample is taken at once and kept
// instead, and the initialisation thread delivers the kept samples, in order, as it finishes.
#pragma once

#include <fastdds/dds/domain/DomainParticipant.hpp>
#include <fastdds/dds/subscriber/DataReader.hpp>
#include <fastdds/dds/subscriber/DataReaderListener.hpp>
#include <fastdds/dds/subscriber/SampleInfo.hpp>
#include <fastdds/dds/subscriber/Subscriber.hpp>
#include <fastdds/dds/subscriber/qos/DataReaderQos.hpp>
#include <fastdds/dds/topic/Topic.hpp>
#include <fastdds/dds/topic/TypeSupport.hpp>

#include <boost/date_time/posix_time/posix_time_types.hpp>
#include <boost/function.hpp>
#include <boost/thread/condition_variable.hpp>
#include <boost/thread/mutex.hpp>
#include <boost/thread/thread.hpp>

#include <atomic>
#include <deque>
#include <exception>
#include <iostream>
#include <string>
#include <type_traits>

#include "platform/DDS_BaseObj.h"
#include "platform/DDS_Failure.h"
#include "platform/DDS_SampleTypes.h"

namespace Velmarin {

// Subscribers of one translation unit are destroyed one at a time. Constructed when the
// library or program is loaded; boost::thread_resource_error if the system refuses the mutex.
static boost::mutex SerializeSubscriberDestructionMutex;

template <class T>
class DDS_Subscriber;
template <class T, class F>
class DDS_SubscriberBase;

// Runs action; an exception it throws is written to standard error after where and goes no
// further (the DDS threads and the initialisation thread must survive a failing callback).
template <class Action>
void DDS_Guarded(const std::string& where, Action action) {
  try {
    action();
  } catch (const CORBA::Exception& e) {
    std::cerr << where << " " << DDS_ExceptionText(e) << std::endl;
  } catch (const std::exception& e) {
    std::cerr << where << " " << e.what() << std::endl;
  } catch (...) {
    std::cerr << where << " unknown exception" << std::endl;
  }
}

// Hands the samples of a reader to its subscriber, one at a time. Runs on Fast DDS threads:
// a failure is written to standard error and never leaves the listener.
//
// One notification may stand for several samples (those that came in one go, a repaired gap):
// each notification takes every sample the reader holds, in order, until there is none left.
template <class T>
class DDS_DataReaderListener : public eprosima::fastdds::dds::DataReaderListener {
 public:
  using Base = DDS_SubscriberBase<T, void(const char*, T)>;

  explicit DDS_DataReaderListener(Base* base) : base_(base) {}

  // From now on samples are ignored.
  void Detach() { base_ = nullptr; }

  void on_data_available(eprosima::fastdds::dds::DataReader* reader) override;

  void on_requested_deadline_missed(eprosima::fastdds::dds::DataReader*,
                                    const eprosima::fastdds::dds::RequestedDeadlineMissedStatus&) override {}
  void on_requested_incompatible_qos(eprosima::fastdds::dds::DataReader*,
                                     const eprosima::fastdds::dds::RequestedIncompatibleQosStatus&) override {}
  void on_sample_rejected(eprosima::fastdds::dds::DataReader*,
                          const eprosima::fastdds::dds::SampleRejectedStatus&) override {}
  void on_liveliness_changed(eprosima::fastdds::dds::DataReader*,
                             const eprosima::fastdds::dds::LivelinessChangedStatus&) override {}
  void on_subscription_matched(eprosima::fastdds::dds::DataReader*,
                               const eprosima::fastdds::dds::SubscriptionMatchedStatus&) override {}
  void on_sample_lost(eprosima::fastdds::dds::DataReader*,
                      const eprosima::fastdds::dds::SampleLostStatus&) override {}

 private:
  enum class Taken { Sample, None, Failed };
  // Takes one sample and hands it on; None when the reader holds no more, Failed when the take
  // failed (nothing more can be taken). A failure of the sample's own is written to standard
  // error and leaves the next sample to be taken.
  Taken TakeNextSample(eprosima::fastdds::dds::DataReader* reader, const std::string& function);

  std::atomic<Base*> base_;
};

// What every subscriber of values T has: the topic, its entities, the callback F
// (void(const char* topic, T value)) and the initialisation thread with its finished flag.
template <class T, class F>
class DDS_SubscriberBase : public DDS_BaseObj {
  static_assert(std::is_same<F, void(const char*, T)>::value,
                "the callback of a subscriber of T is void(const char* topic, T value)");

 public:
  using Traits = DDS_SampleTraits<T>;
  using Callback = boost::function<F>;

  // Waits until the initialisation thread has finished, then deletes the entities.
  ~DDS_SubscriberBase() override;

  // Runs on the initialisation thread: creates the subscriber, the topic and, last, the reader,
  // which reports to self's listener. historyDepth > 0 keeps only the last historyDepth samples
  // not yet taken (0 keeps them all); maxSamples > 0 bounds the samples held by the reader
  // (0 leaves the Fast DDS limit). Throws Connection_errors::Not_Connected when Fast DDS
  // refuses an entity.
  void InitSubBase(DDS_Subscriber<T>* self, long historyDepth, unsigned long maxSamples,
                   eprosima::fastdds::dds::DurabilityQosPolicyKind durability);
  // Marks the initialisation as finished.
  void FinishedInitSubBase();

  bool InitFinished() const;
  // Waits until the initialisation has finished, testing once per millisecond at least.
  void WaitInitFinished() const;
  // The threads waiting in WaitInitFinished now (a destructor).
  int InitWaiters() const;
  // The samples taken before the end of the initialisation and not delivered yet.
  std::size_t KeptSamples() const;

  const char* TopicName() const { return topicName_.in(); }
  const std::string& TypeName() const { return typeSupport_.get_type_name(); }
  // The reader once the initialisation has finished; nullptr when it failed.
  eprosima::fastdds::dds::DataReader* Reader() const { return reader_; }

  // Calls the callback with the topic and value once the initialisation has finished, at once
  // when it has; boost::bad_function_call when the callback is empty.
  void Deliver(T value);

 protected:
  DDS_SubscriberBase(const char* topic, Callback callback);

  DDS_DataReaderListener<T>* Listener() const { return listener_; }

  boost::thread initThread_;

 private:
  CORBA::String_var topicName_;
  eprosima::fastdds::dds::TypeSupport typeSupport_;
  eprosima::fastdds::dds::Subscriber* subscriber_ = nullptr;
  eprosima::fastdds::dds::Topic* topic_ = nullptr;
  eprosima::fastdds::dds::DataReader* reader_ = nullptr;
  DDS_DataReaderListener<T>* listener_;
  Callback callback_;
  mutable boost::mutex mutex_;
  mutable boost::condition_variable finished_;
  unsigned char initFinished_ = 0;
  mutable int initWaiters_ = 0;
  // Held while a callback runs or a sample is kept: one sample at a time, in order.
  mutable boost::mutex deliveryMutex_;
  std::deque<T> kept_;
};

// A subscriber of values T on one topic, reliable and volatile. Construction returns at once;
// callbacks run one sample at a time on Fast DDS threads (on the initialisation thread for the
// samples that arrived before it finished).
template <class T>
class DDS_Subscriber : public DDS_SubscriberBase<T, void(const char*, T)> {
 public:
  using Callback = typename DDS_SubscriberBase<T, void(const char*, T)>::Callback;

  DDS_Subscriber(const char* topic, Callback callback)
      : DDS_Subscriber(topic, std::move(callback), boost::function<void()>()) {}

 protected:
  // For a subclass that acts on the initialisation thread once the entities exist and before
  // the subscriber counts as initialised; beforeFinish also runs when the initialisation failed.
  DDS_Subscriber(const char* topic, Callback callback, boost::function<void()> beforeFinish)
      : DDS_SubscriberBase<T, void(const char*, T)>(topic, std::move(callback)) {
    try {
      this->initThread_ = boost::thread(&DDS_Subscriber::Initialise, this, std::move(beforeFinish));
    } catch (...) {
      this->FinishedInitSubBase();  // nothing to wait for in the destructor
      throw;
    }
  }

 private:
  void Initialise(const boost::function<void()>& beforeFinish);
};

// ---- implementation ----------------------------------------------------------------------

template <class T>
void DDS_DataReaderListener<T>::on_data_available(eprosima::fastdds::dds::DataReader* reader) {
  const std::string function = __PRETTY_FUNCTION__;
  Taken taken = Taken::Sample;
  while (taken == Taken::Sample) {
    taken = Taken::Failed;
    DDS_Guarded(function, [&] { taken = TakeNextSample(reader, function); });
  }
}

template <class T>
typename DDS_DataReaderListener<T>::Taken DDS_DataReaderListener<T>::TakeNextSample(
    eprosima::fastdds::dds::DataReader* reader, const std::string& function) {
  namespace dds = eprosima::fastdds::dds;
  Base* base = base_.load();
  if (base == nullptr) return Taken::None;

  typename DDS_SampleTraits<T>::Sample sample;
  dds::SampleInfo info;
  const bool typed = reader != nullptr && reader->type().get_type_name() == base->TypeName();
  const DDS_ReturnCode code = typed ? reader->take_next_sample(&sample, &info) : DDS_ReturnCode::RETCODE_ERROR;
  if (code == DDS_ReturnCode::RETCODE_NO_DATA) return Taken::None;
  if (code != DDS_ReturnCode::RETCODE_OK) {
    std::cerr << function << " take_next_sample error." << std::endl;
    return Taken::Failed;
  }

  // From here on the sample is taken: whatever it does, the next one is taken after it.
  DDS_Guarded(function, [&] {
    if (info.valid_data) {
      base->Deliver(DDS_SampleTraits<T>::Value(sample));
      return;
    }
    switch (info.instance_state) {
      case dds::NOT_ALIVE_DISPOSED_INSTANCE_STATE:
        std::cout << function << " instance is disposed" << std::endl;
        return;
      case dds::NOT_ALIVE_NO_WRITERS_INSTANCE_STATE:
        std::cout << function << " instance is unregistered" << std::endl;
        return;
      default:
        throw DDS_RuntimeError((function + " ERROR: received unknown instance state").c_str());
    }
  });
  return Taken::Sample;
}

template <class T, class F>
DDS_SubscriberBase<T, F>::DDS_SubscriberBase(const char* topic, Callback callback)
    : topicName_(CORBA::string_dup(topic)),
      typeSupport_(new typename Traits::TypeSupport()),
      listener_(new DDS_DataReaderListener<T>(this)),
      callback_(std::move(callback)) {}

template <class T, class F>
DDS_SubscriberBase<T, F>::~DDS_SubscriberBase() {
  boost::lock_guard<boost::mutex> serial(SerializeSubscriberDestructionMutex);
  WaitInitFinished();
  if (initThread_.joinable()) initThread_.join();

  listener_->Detach();
  if (reader_ != nullptr) {
    reader_->set_listener(nullptr);
    reader_->delete_contained_entities();
    subscriber_->delete_datareader(reader_);
  }
  if (subscriber_ != nullptr) DdsBase()->delete_subscriber(subscriber_);
  ReleaseTopic(topic_);
  delete listener_;
}

template <class T, class F>
void DDS_SubscriberBase<T, F>::InitSubBase(DDS_Subscriber<T>* self, long historyDepth,
                                           unsigned long maxSamples,
                                           eprosima::fastdds::dds::DurabilityQosPolicyKind durability) {
  namespace dds = eprosima::fastdds::dds;
  const std::string function = __PRETTY_FUNCTION__;
  dds::DomainParticipant* participant = DdsBase();
  if (participant == nullptr) DDS_ThrowNotConnected(function + " err: Participant NULL");

  if (typeSupport_.register_type(participant) != DDS_ReturnCode::RETCODE_OK)
    DDS_ThrowNotConnected(function + " err: Osts->register_type");

  subscriber_ = participant->create_subscriber(dds::SUBSCRIBER_QOS_DEFAULT, nullptr);
  if (subscriber_ == nullptr) DDS_ThrowNotConnected(function + " err: create_subscriber");

  topic_ = AcquireTopic(topicName_.in(), typeSupport_.get_type_name());
  if (topic_ == nullptr)
    DDS_ThrowNotConnected(function + " err: Participant->create_topic [" + topicName_.in() + "] [" +
                          typeSupport_.get_type_name() + "]");

  dds::DataReaderQos qos = subscriber_->get_default_datareader_qos();
  qos.reliability().kind = dds::RELIABLE_RELIABILITY_QOS;
  qos.durability().kind = durability;
  if (historyDepth > 0) {
    qos.history().kind = dds::KEEP_LAST_HISTORY_QOS;
    qos.history().depth = static_cast<int32_t>(historyDepth);
  } else {
    qos.history().kind = dds::KEEP_ALL_HISTORY_QOS;
  }
  if (maxSamples > 0) {
    qos.resource_limits().max_samples = static_cast<int32_t>(maxSamples);
    qos.resource_limits().max_samples_per_instance = static_cast<int32_t>(maxSamples);
  }
  qos.data_sharing().off();
  reader_ = subscriber_->create_datareader(topic_, qos, self->Listener());
  if (reader_ == nullptr) {
    std::cout << "DDS_Subscriber:: ERROR: create_datareader failed" << std::endl;
    DDS_ThrowNotConnected(function + " err: Subscriber->create_datareader");
  }
}

template <class T, class F>
void DDS_SubscriberBase<T, F>::FinishedInitSubBase() {
  boost::lock_guard<boost::mutex> delivery(deliveryMutex_);
  {
    boost::lock_guard<boost::mutex> lock(mutex_);
    initFinished_ = 1;
  }
  finished_.notify_all();
  for (; !kept_.empty(); kept_.pop_front())
    DDS_Guarded(__PRETTY_FUNCTION__, [&] { callback_(topicName_.in(), kept_.front()); });
}

template <class T, class F>
void DDS_SubscriberBase<T, F>::Deliver(T value) {
  boost::lock_guard<boost::mutex> delivery(deliveryMutex_);
  if (!InitFinished()) {
    kept_.push_back(value);
    return;
  }
  callback_(topicName_.in(), value);
}

template <class T, class F>
std::size_t DDS_SubscriberBase<T, F>::KeptSamples() const {
  boost::lock_guard<boost::mutex> delivery(deliveryMutex_);
  return kept_.size();
}

template <class T, class F>
bool DDS_SubscriberBase<T, F>::InitFinished() const {
  boost::lock_guard<boost::mutex> lock(mutex_);
  return initFinished_ == 1;
}

template <class T, class F>
void DDS_SubscriberBase<T, F>::WaitInitFinished() const {
  boost::unique_lock<boost::mutex> lock(mutex_);
  if (initFinished_ == 1) return;
  ++initWaiters_;
  while (initFinished_ != 1)
    finished_.timed_wait(lock, boost::get_system_time() + boost::posix_time::microseconds(1000));
  --initWaiters_;
}

template <class T, class F>
int DDS_SubscriberBase<T, F>::InitWaiters() const {
  boost::lock_guard<boost::mutex> lock(mutex_);
  return initWaiters_;
}

template <class T>
void DDS_Subscriber<T>::Initialise(const boost::function<void()>& beforeFinish) {
  const std::string function = __PRETTY_FUNCTION__;
  DDS_Guarded(function, [&] {
    try {
      this->InitSubBase(this, 0, 0, eprosima::fastdds::dds::VOLATILE_DURABILITY_QOS);
    } catch (const Connection_errors::Not_Connected&) {
      // Already on standard error; the subscriber stays without reader.
    }
  });
  if (beforeFinish) DDS_Guarded(function, beforeFinish);
  this->FinishedInitSubBase();
}

}  // namespace Velmarin
