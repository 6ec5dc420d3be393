// The publisher and subscriber templates against real Fast DDS on a private domain.
#include <gtest/gtest.h>

#include <fastdds/dds/common/InstanceHandle.hpp>
#include <fastdds/dds/publisher/qos/DataWriterQos.hpp>

#include <atomic>
#include <cstdlib>
#include <functional>
#include <thread>

#include "platform/DDS_Publisher.h"
#include "platform/DDS_Subscriber.h"
#include "DdsTestSupport.h"

namespace {

using namespace Velmarin;
using dds_test::Inbox;
using dds_test::TestTopic;

// "create,1" ... "create,<count>".
std::vector<std::string> Announcements(int count) {
  std::vector<std::string> texts;
  for (int i = 1; i <= count; ++i) texts.push_back("create," + std::to_string(i));
  return texts;
}

// Three values of each type, every field distinct so that a field copied wrong shows; the
// strings end with a burst of 50 sent as quickly as they can be.
template <class T> std::vector<T> Samples();
template <> std::vector<bool> Samples() { return {true, false, true}; }
template <> std::vector<int> Samples() { return {0, -2147483647 - 1, 2147483647}; }
template <> std::vector<CORBA::String_var> Samples() {
  std::vector<CORBA::String_var> texts = {CORBA::string_dup("create,1"), CORBA::String_var(),
                                          CORBA::string_dup("destroy,Lumaren/local/RADALT/1")};
  for (const std::string& text : Announcements(50)) texts.emplace_back(CORBA::string_dup(text.c_str()));
  return texts;
}
template <> std::vector<VALUE_DOUBLE::VALUE> Samples() {
  return {{1.5, -2.25, 100.125, 3, 2, true}, {-0.001, -1e6, 1e6, 0, 9, false}, {12000.5, 0, 50000, 1, 3, true}};
}
template <> std::vector<VALUE_LONG::VALUE> Samples() {
  return {{5, -10, 20, 2, 4, true}, {-7, -8, 9, 1, 0, false}, {0, 0, 1, 1, 7, true}};
}

// A subscriber that collects what it receives, as text, with the topic it came on.
template <class T>
struct Collector {
  Inbox<std::string> inbox;
  boost::function<void(const char*, T)> Callback() {
    return [this](const char* topic, T value) { inbox.Put(std::string(topic) + "|" + DDS_ValueText(value)); };
  }
};

template <class T>
class DdsRoundTrip : public ::testing::Test {};
using ValueTypes = ::testing::Types<bool, int, CORBA::String_var, VALUE_DOUBLE::VALUE, VALUE_LONG::VALUE>;
TYPED_TEST_SUITE(DdsRoundTrip, ValueTypes);

TYPED_TEST(DdsRoundTrip, EveryValueArrivesWholeAndInOrderWithItsTopic) {
  const std::string topic = TestTopic();
  Collector<TypeParam> received;
  DDS_Subscriber<TypeParam> subscriber(topic.c_str(), received.Callback());
  DDS_Publisher<TypeParam> publisher(topic.c_str());
  ASSERT_TRUE(publisher.WaitForSubscribers(1, boost::posix_time::seconds(20)));

  std::vector<std::string> expected;
  for (const auto& value : Samples<TypeParam>()) {
    publisher.sendData(value);
    expected.push_back(topic + "|" + DDS_ValueText(value));
  }
  ASSERT_TRUE(received.inbox.WaitFor(expected.size()));
  EXPECT_EQ(received.inbox.Values(), expected);
}

// Holds a subscriber's initialisation thread, once its reader exists, until released.
struct InitGate {
  void Hold() {
    entered = true;
    while (!released) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    events.Put("initialisation ends");
  }
  std::atomic<bool> entered{false}, released{false};
  Inbox<std::string> events;
};

template <class T>
class GatedSubscriber : public DDS_Subscriber<T> {
 public:
  GatedSubscriber(const char* topic, typename DDS_Subscriber<T>::Callback callback, InitGate& gate)
      : DDS_Subscriber<T>(topic, std::move(callback), [&gate] { gate.Hold(); }) {}
};

// Runs an action when the scope ends, so that a failed assertion never leaves a thread held.
class OnExit {
 public:
  explicit OnExit(std::function<void()> action) : action_(std::move(action)) {}
  ~OnExit() { action_(); }

 private:
  std::function<void()> action_;
};

// A sample that arrives while the subscriber is still being initialised is kept and delivered
// at the end; a destruction started meanwhile waits for that end.
TEST(DdsSubscriberInitialisation, SampleArrivingBeforeTheEndIsDeliveredAfterIt) {
  const std::string topic = TestTopic();
  InitGate gate;
  Inbox<int> received;
  auto* subscriber =
      new GatedSubscriber<int>(topic.c_str(), [&](const char*, int value) { received.Put(value); }, gate);
  DDS_Publisher<int> publisher(topic.c_str());
  std::thread destroyer;
  OnExit cleanup([&] {
    gate.released = true;
    if (destroyer.joinable()) destroyer.join();
  });
  ASSERT_TRUE(Eventually([&] { return gate.entered.load(); }));
  ASSERT_TRUE(publisher.WaitForSubscribers(1, boost::posix_time::seconds(20)));

  publisher.sendData(5);
  ASSERT_TRUE(Eventually([&] { return subscriber->KeptSamples() == 1; }));
  EXPECT_FALSE(subscriber->InitFinished());
  EXPECT_TRUE(received.Values().empty());

  destroyer = std::thread([&] {
    delete subscriber;
    gate.events.Put("destroyed");
  });
  ASSERT_TRUE(Eventually([&] { return subscriber->InitWaiters() == 1; }));
  gate.released = true;
  destroyer.join();
  EXPECT_EQ(received.Values(), std::vector<int>{5});
  EXPECT_EQ(gate.events.Values(), (std::vector<std::string>{"initialisation ends", "destroyed"}));
}

TEST(DdsSubscriberInstances, DisposedAndUnregisteredInstancesPrintTheirLineAndCallNoCallback) {
  const std::string topic = TestTopic();
  Collector<CORBA::String_var> received;
  DDS_Subscriber<CORBA::String_var> subscriber(topic.c_str(), received.Callback());
  DDS_Publisher<CORBA::String_var> publisher(topic.c_str());
  ASSERT_TRUE(publisher.WaitForSubscribers(1, boost::posix_time::seconds(20)));
  publisher.sendData(CORBA::string_dup("create,1"));
  ASSERT_TRUE(received.inbox.WaitFor(1));

  StreamRecorder out(std::cout);
  DDS_SampleTraits<CORBA::String_var>::Sample instance;
  ASSERT_EQ(publisher.Writer()->dispose(&instance, eprosima::fastdds::dds::HANDLE_NIL),
            DDS_ReturnCode::RETCODE_OK);
  EXPECT_NE(out.WaitForLine(" instance is disposed"), "");
  publisher.sendData(CORBA::string_dup("create,3"));
  ASSERT_TRUE(received.inbox.WaitFor(2));

  auto qos = publisher.Writer()->get_qos();
  qos.writer_data_lifecycle().autodispose_unregistered_instances = false;
  ASSERT_EQ(publisher.Writer()->set_qos(qos), DDS_ReturnCode::RETCODE_OK);
  ASSERT_EQ(publisher.Writer()->unregister_instance(&instance, eprosima::fastdds::dds::HANDLE_NIL),
            DDS_ReturnCode::RETCODE_OK);
  EXPECT_NE(out.WaitForLine(" instance is unregistered"), "");

  EXPECT_EQ(received.inbox.Values(), (std::vector<std::string>{topic + "|create,1", topic + "|create,3"}));
}

// A subscriber whose listener the test can call as Fast DDS does.
class ListenedSubscriber : public DDS_Subscriber<CORBA::String_var> {
 public:
  using DDS_Subscriber::DDS_Subscriber;
  using DDS_Subscriber::Listener;
};

// Fast DDS reports the samples that came in one go (a repaired gap, a datagram of several) with a
// single on_data_available: that call takes them all, in order, and one failing callback stops
// none of the others.
TEST(DdsSubscriberBursts, OneNotificationTakesEverySampleTheReaderHolds) {
  const std::string topic = TestTopic();
  Inbox<std::string> received;
  ListenedSubscriber subscriber(topic.c_str(), [&](const char*, CORBA::String_var text) {
    received.Put(text.in());
    if (std::string(text.in()) == "create,3") throw Operation_errors::Settings_Conflict("third refused");
  });
  subscriber.WaitInitFinished();
  auto* reader = subscriber.Reader();
  ASSERT_NE(reader, nullptr);
  ASSERT_EQ(reader->set_listener(nullptr), DDS_ReturnCode::RETCODE_OK);
  DDS_Publisher<CORBA::String_var> publisher(topic.c_str());
  ASSERT_TRUE(publisher.WaitForSubscribers(1, boost::posix_time::seconds(20)));

  const std::vector<std::string> burst = Announcements(20);
  for (const auto& text : burst) publisher.sendData(CORBA::string_dup(text.c_str()));
  ASSERT_TRUE(Eventually([&] { return reader->get_unread_count() == burst.size(); }));

  StreamRecorder errors(std::cerr);
  subscriber.Listener()->on_data_available(reader);
  EXPECT_EQ(received.Values(), burst);
  EXPECT_EQ(reader->get_unread_count(), 0u);
  EXPECT_NE(errors.WaitForLine("Settings_Conflict:third refused"), "");
}

// Our writers cut a string at its first NUL when they serialise it, but another writer may send
// one whole: the bytes of such a sample, deserialised as the reader does, hold the NUL, and a
// CORBA string cut at it would turn "create,2" NUL "junk" into "create,2". It is refused.
TEST(DdsSubscriberStrings, AStringSampleHoldingANulIsRefusedNotCutAtIt) {
  const std::string text("create,2\0junk", 13);
  std::vector<unsigned char> wire = {0x00, 0x01, 0x00, 0x00,   // CDR, little endian
                                     0, 0, 0, 0,               // instance 0
                                     14, 0, 0, 0};             // length with the final NUL
  wire.insert(wire.end(), text.begin(), text.end());
  wire.push_back(0);
  while (wire.size() % 4 != 0) wire.push_back(0);
  eprosima::fastrtps::rtps::SerializedPayload_t payload(static_cast<uint32_t>(wire.size()));
  std::copy(wire.begin(), wire.end(), payload.data);
  payload.length = static_cast<uint32_t>(wire.size());

  DDS_SampleTraits<CORBA::String_var>::TypeSupport type;
  DDS_SampleTraits<CORBA::String_var>::Sample sample;
  ASSERT_TRUE(type.deserialize(&payload, &sample));
  ASSERT_EQ(sample.value(), text);
  try {
    CORBA::String_var value = DDS_SampleTraits<CORBA::String_var>::Value(sample);
    ADD_FAILURE() << "taken as \"" << value.in() << '"';
  } catch (const DDS_RuntimeError& e) {
    EXPECT_EQ(DDS_ExceptionText(e).find("string sample of 13 bytes refused: NUL at byte 8") != std::string::npos,
              true)
        << DDS_ExceptionText(e);
  }
  sample.value("create,2");
  EXPECT_STREQ(DDS_SampleTraits<CORBA::String_var>::Value(sample).in(), "create,2");
}

// An empty callback is reported (boost::bad_function_call) and stops no other reader.
TEST(DdsSharedTopic, SubscribersOfOneTopicInOneProcessComeAndGoIndependently) {
  const std::string topic = TestTopic();
  Inbox<int> first;
  Inbox<int> second;
  auto leaving = std::make_unique<DDS_Subscriber<int>>(
      topic.c_str(), [&](const char*, int value) { first.Put(value); });
  DDS_Subscriber<int> staying(topic.c_str(), [&](const char*, int value) { second.Put(value); });
  DDS_Subscriber<int> empty(topic.c_str(), boost::function<void(const char*, int)>());
  DDS_Publisher<int> publisher(topic.c_str());
  ASSERT_TRUE(publisher.WaitForSubscribers(3, boost::posix_time::seconds(20)));
  StreamRecorder errors(std::cerr);
  publisher.sendData(7);
  ASSERT_TRUE(first.WaitFor(1));
  EXPECT_NE(errors.WaitForLine("empty"), "");

  leaving.reset();
  publisher.sendData(8);
  ASSERT_TRUE(second.WaitFor(2));
  EXPECT_EQ(second.Values(), (std::vector<int>{7, 8}));
  EXPECT_EQ(first.Values(), std::vector<int>{7});
}

TEST(DdsFailures, PublisherOnATopicOfAnotherTypeIsRefusedWithItsText) {
  const std::string topic = TestTopic();
  auto longs = std::make_unique<DDS_Publisher<int>>(topic.c_str());
  StreamRecorder errors(std::cerr);
  try {
    DDS_Publisher<bool> booleans(topic.c_str());
    FAIL() << "a second type on one topic was accepted";
  } catch (const Connection_errors::Not_Connected& e) {
    const std::string text = e.text.in();
    EXPECT_EQ(text, "Velmarin::DDS_Publisher<T>::DDS_Publisher(const char*) [with T = bool] err:  "
                    "Participant->create_topic [" + topic + "] [VIZU_DDS::ATTR_BOOLEAN]");
    EXPECT_EQ(errors.WaitForLine(text), text);
  }
  // Once its last user is gone the topic may change its type.
  longs.reset();
  EXPECT_NO_THROW(DDS_Publisher<bool>(topic.c_str()));
}

TEST(DdsFailures, SubscriberThatCannotCreateItsTopicReportsAndStaysWithoutReader) {
  const std::string topic = TestTopic();
  DDS_Publisher<int> longs(topic.c_str());
  StreamRecorder errors(std::cerr);
  DDS_Subscriber<bool> subscriber(topic.c_str(), [](const char*, bool) {});
  subscriber.WaitInitFinished();
  EXPECT_EQ(subscriber.Reader(), nullptr);
  EXPECT_NE(errors.WaitForLine(" err: Participant->create_topic [" + topic + "] [VIZU_DDS::ATTR_BOOLEAN]"), "");
}

TEST(DdsConfiguration, DomainIdComesFromTheEnvironmentAndOnlyValidIdsAreTaken) {
  const std::string saved = std::getenv(DDS_DomainVariable) ? std::getenv(DDS_DomainVariable) : "";
  const std::vector<std::pair<const char*, int>> cases = {
      {"", 0}, {"0", 0}, {"42", 42}, {"232", 232}, {"233", -1}, {"-1", -1}, {"7x", -1}, {"x", -1}};
  for (const auto& c : cases) {
    setenv(DDS_DomainVariable, c.first, 1);
    EXPECT_EQ(DDS_DomainId(), c.second) << '"' << c.first << '"';
  }
  unsetenv(DDS_DomainVariable);
  EXPECT_EQ(DDS_DomainId(), 0);
  if (!saved.empty()) setenv(DDS_DomainVariable, saved.c_str(), 1);
}

}  // namespace

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  ::testing::AddGlobalTestEnvironment(new dds_test::ParticipantEnvironment);
  return RUN_ALL_TESTS();
}
