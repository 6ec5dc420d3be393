// The DDS adapters against real Fast DDS on a private domain: the publisher and subscriber
// templates, the strand and the channel commands, the attribute publisher and the text
// subscription (with a second process of this program for discovery on the loopback interface).
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fastdds/dds/common/InstanceHandle.hpp>
#include <fastdds/dds/publisher/qos/DataWriterQos.hpp>

#include <atomic>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <thread>

#include "../../support/Eventually.h"
#include "../../support/StreamRecorder.h"
#include "DDS_ChannelCommand.h"
#include "DDS_Strand.h"
#include "RadAltSC.hh"
#include "platform/DDS_AttributePublisher.h"
#include "platform/DDS_Publisher.h"
#include "platform/DDS_Subscriber.h"
#include "platform/DDS_TextSubscription.h"
#include "platform/Orb.h"

extern char** environ;

namespace {

using namespace Velmarin;
using Verb = DDS_ChannelCommand::Verb;
using AltSim = RadAltSingleChannelModel::AltimeterSimulationObjects::Alt_Sim_Data;
using AltSimSeq = RadAltSingleChannelModel::AltimeterSimulationObjects::alt_sim_data_seq;

// Upper bound of every wait for a DDS event; reached only when the event never comes.
const boost::posix_time::seconds kBound(20);

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
    return arrived_.wait_for(lock, std::chrono::seconds(20), [&] { return values_.size() >= count; });
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
  void SetUp() override {
    participant_ = std::make_unique<DDS_BaseObj>();
    ASSERT_NE(participant_->DdsBase(), nullptr) << "no DDS participant";
  }
  void TearDown() override { participant_.reset(); }
  std::unique_ptr<DDS_BaseObj> participant_;
};

// A topic name of its own for the running test.
std::string TestTopic() {
  const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
  return std::string("radalt/test/") + info->test_suite_name() + "/" + info->name();
}

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
  ASSERT_TRUE(publisher.WaitForSubscribers(1, kBound));

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

struct GatedSubscriber : DDS_Subscriber<int> {
  GatedSubscriber(const char* topic, Callback callback, InitGate& gate)
      : DDS_Subscriber<int>(topic, std::move(callback), [&gate] { gate.Hold(); }) {}
};

// A sample that arrives while the subscriber is still being initialised is kept and delivered
// at the end; a destruction started meanwhile waits for that end.
TEST(DdsSubscriberInitialisation, SampleArrivingBeforeTheEndIsDeliveredAfterIt) {
  const std::string topic = TestTopic();
  InitGate gate;
  Inbox<int> received;
  auto* subscriber = new GatedSubscriber(topic.c_str(), [&](const char*, int value) { received.Put(value); }, gate);
  DDS_Publisher<int> publisher(topic.c_str());
  std::thread destroyer;
  // Runs when the scope ends, so that a failed assertion never leaves a thread held.
  std::shared_ptr<void> release(nullptr, [&](void*) {
    gate.released = true;
    if (destroyer.joinable()) destroyer.join();
  });
  ASSERT_TRUE(Eventually([&] { return gate.entered.load(); }));
  ASSERT_TRUE(publisher.WaitForSubscribers(1, kBound));

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
  ASSERT_TRUE(publisher.WaitForSubscribers(1, kBound));
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
  ASSERT_TRUE(publisher.WaitForSubscribers(1, kBound));

  const std::vector<std::string> burst = Announcements(20);
  for (const auto& text : burst) publisher.sendData(CORBA::string_dup(text.c_str()));
  ASSERT_TRUE(Eventually([&] { return reader->get_unread_count() == burst.size(); }));

  StreamRecorder errors(std::cerr);
  subscriber.Listener()->on_data_available(reader);
  EXPECT_EQ(received.Values(), burst);
  EXPECT_EQ(reader->get_unread_count(), 0u);
  EXPECT_NE(errors.WaitForLine("Settings_Conflict:third refused"), "");
}

// Our writers cut a string at its first NUL, but another writer may send one whole (the reader's
// deserialiser keeps it), and a CORBA string cut at it would turn "create,2" NUL "junk" into
// "create,2". Such a sample is refused.
TEST(DdsSubscriberStrings, AStringSampleHoldingANulIsRefusedNotCutAtIt) {
  DDS_SampleTraits<CORBA::String_var>::Sample sample;
  sample.value(std::string("create,2\0junk", 13));
  try {
    CORBA::String_var value = DDS_SampleTraits<CORBA::String_var>::Value(sample);
    ADD_FAILURE() << "taken as \"" << value.in() << '"';
  } catch (const DDS_RuntimeError& e) {
    EXPECT_NE(DDS_ExceptionText(e).find("string sample of 13 bytes refused: NUL at byte 8"), std::string::npos)
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
  ASSERT_TRUE(publisher.WaitForSubscribers(3, kBound));
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

// A publisher is refused with its text; a subscriber reports it and stays without reader.
TEST(DdsFailures, EntitiesOnATopicOfAnotherTypeAreRefusedWithTheirText) {
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
  DDS_Subscriber<bool> subscriber(topic.c_str(), [](const char*, bool) {});
  subscriber.WaitInitFinished();
  EXPECT_EQ(subscriber.Reader(), nullptr);
  EXPECT_NE(errors.WaitForLine(" err: Participant->create_topic [" + topic + "] [VIZU_DDS::ATTR_BOOLEAN]"), "");
  // Once its last user is gone the topic may change its type.
  longs.reset();
  EXPECT_NO_THROW(DDS_Publisher<bool>(topic.c_str()));
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

// A failing task (the 26th) is reported and the next one still runs.
TEST(DdsStrand, TasksWaitUntilOpenedThenRunOneAtATimeInArrivalOrder) {
  DDS_Strand strand("test strand");
  StreamRecorder err(std::cerr);
  Inbox<int> ran;
  std::atomic<int> running{0}, overlaps{0};
  for (int i = 0; i < 50; ++i)
    strand.Post([&, i] {
      if (++running > 1) ++overlaps;
      std::this_thread::yield();
      ran.Put(i);
      --running;
      if (i == 25) throw std::runtime_error("task failed");
    });
  EXPECT_FALSE(strand.WaitIdle(boost::posix_time::milliseconds(50)));
  EXPECT_TRUE(ran.Values().empty());
  EXPECT_EQ(strand.Pending(), 50u);

  strand.Open();
  ASSERT_TRUE(strand.WaitIdle(kBound));
  std::vector<int> expected;
  for (int i = 0; i < 50; ++i) expected.push_back(i);
  EXPECT_EQ(ran.Values(), expected);
  EXPECT_EQ(overlaps, 0);
  EXPECT_NE(err.WaitForLine("test strand task failed"), "");
}

TEST(DdsStrand, StopWaitsForTheRunningTaskAndDropsTheRest) {
  auto strand = std::make_unique<DDS_Strand>("test strand");
  std::atomic<bool> entered{false}, release{false}, finished{false}, dropped{false};
  strand->Post([&] {
    entered = true;
    while (!release) std::this_thread::yield();
    finished = true;
  });
  strand->Post([&] { dropped = true; });
  strand->Open();
  ASSERT_TRUE(Eventually([&] { return entered.load(); }));

  std::thread stopper([&] { strand->Stop(); });
  // The worker is busy: the queue empties only because Stop dropped what waited.
  EXPECT_TRUE(Eventually([&] { return strand->Pending() == 0; }));
  release = true;
  stopper.join();
  EXPECT_TRUE(finished);
  strand->Post([&] { dropped = true; });  // ignored once stopped
  strand.reset();
  EXPECT_FALSE(dropped);
}

// A listener that creates a writer while another thread creates writers can stop both for
// good; the strand runs that work on its own thread, after the listener has returned.
TEST(DdsStrand, ListenerWorkRunsOnTheStrandAndMayCreateEntities) {
  const std::string commands = TestTopic() + "/commands";
  const std::string answers = TestTopic() + "/answers";
  Inbox<std::string> heard;
  std::atomic<bool> sameThread{false};
  std::vector<std::unique_ptr<DDS_Publisher<int>>> made;  // touched by the strand only
  DDS_Strand strand("test strand");
  DDS_Subscriber<CORBA::String_var> answerReader(
      answers.c_str(), [&](const char*, CORBA::String_var text) { heard.Put(text.in()); });
  DDS_Subscriber<CORBA::String_var> commandReader(
      commands.c_str(), [&](const char*, CORBA::String_var text) {
        const std::string command = text.in();
        const auto listener = std::this_thread::get_id();
        strand.Post([&, command, listener] {
          if (std::this_thread::get_id() == listener) sameThread = true;
          made.emplace_back(new DDS_Publisher<int>((answers + "/" + command).c_str()));
          DDS_Publisher<CORBA::String_var> reply(answers.c_str());
          reply.WaitForSubscribers(1, kBound);
          reply.sendData(CORBA::string_dup(command.c_str()));
        });
      });
  DDS_Publisher<CORBA::String_var> sender(commands.c_str());
  ASSERT_TRUE(sender.WaitForSubscribers(1, kBound));

  // Announcements that arrive while the owner is still being built wait for it.
  sender.sendData(CORBA::string_dup("create,1"));
  sender.sendData(CORBA::string_dup("create,2"));
  ASSERT_TRUE(Eventually([&] { return strand.Pending() == 2; }));
  std::vector<std::unique_ptr<DDS_Publisher<bool>>> building;
  for (int i = 0; i < 10; ++i)
    building.emplace_back(new DDS_Publisher<bool>((TestTopic() + "/built/" + std::to_string(i)).c_str()));
  strand.Open();

  ASSERT_TRUE(heard.WaitFor(2));
  EXPECT_EQ(heard.Values(), (std::vector<std::string>{"create,1", "create,2"}));
  EXPECT_FALSE(sameThread);
  ASSERT_TRUE(strand.WaitIdle(kBound));
  EXPECT_EQ(made.size(), 2u);
}

// A text holding a NUL or a control character, or too long, is no command either.
TEST(DdsChannelCommand, TheWholeTextIsReadOrTheCommandIsInvalid) {
  const std::tuple<std::string, Verb, int> commands[] = {
      {"create,1", Verb::Create, 1}, {"destroy,3", Verb::Destroy, 3}, {"create,0", Verb::Create, 0},
      {"create,007", Verb::Create, 7}, {"create,123456789", Verb::Create, 123456789}};
  for (const auto& [text, verb, channel] : commands) {
    const DDS_ChannelCommand parsed = DDS_ChannelCommand::Parse(text);
    EXPECT_EQ(parsed.verb, verb) << text;
    EXPECT_EQ(parsed.channel, channel) << text;
  }
  const std::vector<std::string> invalid = {
      "create,2junk", "destroy,abc", "destroy,", "create, 2", "create,2 ", "create,-1", "create,+1",
      "create,1234567890", "Create,1", "create1", "remove,1", "", std::string("create,2\0junk", 13),
      std::string("create,2\0", 9), std::string("create,\0" "2", 9), std::string("\0create,2", 9), "create,2\n",
      "create,2\r", "destroy,\t3", "create,2\x7f", "create,2\x1b[2J", "create," + std::string(1 << 20, '2')};
  for (const std::string& text : invalid)
    EXPECT_EQ(DDS_ChannelCommand::Parse(text).verb, Verb::Invalid) << DDS_LogText(text);
}

TEST(DdsLogText, APayloadIsShownCutToEightyBytesWithControlCharactersVisible) {
  EXPECT_EQ(DDS_LogText("create,2"), "create,2");
  EXPECT_EQ(DDS_LogText(""), "");
  EXPECT_EQ(DDS_LogText(std::string("create,2\0junk", 13)), "create,2\\x00junk");
  EXPECT_EQ(DDS_LogText("a\nforged line\r\x7f"), "a\\x0Aforged line\\x0D\\x7F");

  const std::string eighty(80, 'x');
  EXPECT_EQ(DDS_LogText(eighty), eighty);
  EXPECT_EQ(DDS_LogText(eighty + "y"), eighty + "... (81 bytes)");
  EXPECT_EQ(DDS_LogText("create," + std::string(1 << 20, '7')),
            "create," + std::string(73, '7') + "... (1048583 bytes)");
  // Bytes from 0x80 up (UTF-8 text) pass as they are.
  EXPECT_EQ(DDS_LogText("canal \xc3\xa9"), "canal \xc3\xa9");
}

// Follows topic as kind and collects the texts.
struct Watch {
  Watch(const std::string& topic, DDS_ValueKind kind)
      : subscription(topic, kind, [this](const std::string&, const std::string& text) { texts.Put(text); }) {
    subscription.WaitReady();
  }
  Inbox<std::string> texts;
  DDS_TextSubscription subscription;
};

template <class V>
CORBA::Any AnyOf(const V& value) {
  CORBA::Any any;
  any <<= value;
  return any;
}

AltSimSeq TwoLegs() {
  AltSimSeq legs;
  legs.length(2);
  legs[0] = AltSim{0.0, 1000.0, 10.0, 1};
  legs[1] = AltSim{1000.0, 250.5, 30.0, 2};
  return legs;
}

TEST(DdsAttributePublisher, EachKindOfValueGoesOutAsItsSampleType) {
  const std::tuple<std::string, DDS_ValueKind, CORBA::Any, std::string> cases[] = {
      {"bool", DDS_ValueKind::Boolean, AnyOf(CORBA::Any::from_boolean(true)), "true"},
      {"long", DDS_ValueKind::Long, AnyOf(CORBA::Long(-17)), "-17"},
      {"string", DDS_ValueKind::String, AnyOf("PROFILE A"), "PROFILE A"},
      {"double", DDS_ValueKind::ValueDouble, AnyOf(VALUE_DOUBLE::VALUE{-3.5, -10, 10, 1, 2, true}),
       "val=-3.5 min=-10 max=10 resolution=1 unit=2 valid=true"},
      {"vlong", DDS_ValueKind::ValueLong, AnyOf(VALUE_LONG::VALUE{3, 1, 20, 1, 0, false}),
       "val=3 min=1 max=20 step=1 unit=0 valid=false"},
      {"profile", DDS_ValueKind::String, AnyOf(TwoLegs()),
       "[{Start_Alt=0, Stop_Alt=1000, AltRate_Dur=10, Leg_Number=1}, "
       "{Start_Alt=1000, Stop_Alt=250.5, AltRate_Dur=30, Leg_Number=2}]"},
  };
  const AttributePublisher publish = MakeDdsAttributePublisher();
  for (const auto& [name, kind, value, text] : cases) {
    const std::string topic = TestTopic() + "/" + name;
    Watch watch(topic, kind);
    publish(topic, value);
    ASSERT_TRUE(watch.texts.WaitFor(1)) << name;
    EXPECT_EQ(watch.texts.Values(), std::vector<std::string>{text}) << name;
  }
}

// A writer that cannot be created (its topic already carries booleans) is reported, not thrown.
TEST(DdsAttributePublisher, TheFirstValueFixesTheTopicType) {
  const std::string longTopic = TestTopic() + "/long";
  const std::string textTopic = TestTopic() + "/text";
  const std::string boolTopic = TestTopic() + "/bool";
  Watch longs(longTopic, DDS_ValueKind::Long);
  Watch texts(textTopic, DDS_ValueKind::String);
  DDS_Publisher<bool> booleans(boolTopic.c_str());
  const AttributePublisher publish = MakeDdsAttributePublisher();
  StreamRecorder errors(std::cerr);

  publish(longTopic, AnyOf(CORBA::Long(1)));
  publish(longTopic, AnyOf("two"));  // refused: not a long
  publish(longTopic, AnyOf(CORBA::Long(3)));
  publish(textTopic, AnyOf("one"));
  publish(textTopic, AnyOf(CORBA::Long(2)));  // goes out as its text
  EXPECT_NO_THROW(publish(boolTopic, AnyOf(CORBA::Long(5))));

  ASSERT_TRUE(longs.texts.WaitFor(2));
  ASSERT_TRUE(texts.texts.WaitFor(2));
  EXPECT_EQ(longs.texts.Values(), (std::vector<std::string>{"1", "3"}));
  EXPECT_EQ(texts.texts.Values(), (std::vector<std::string>{"one", "2"}));
  EXPECT_NE(errors.WaitForLine("[" + longTopic + "] carries VIZU_DDS::ATTR_LONG"), "");
  EXPECT_NE(errors.WaitForLine("[" + boolTopic + "] Not_Connected:"), "");
}

// Peer mode of this program: publishes 42 as ATTR_LONG on a topic once a subscriber is there.
constexpr const char* kPeerFlag = "--publish-long-as-peer";

int RunPeer(const std::string& topic) {
  DDS_Publisher<int> publisher(topic.c_str());
  if (!publisher.WaitForSubscribers(1, kBound)) return 2;
  publisher.sendData(42);
  return publisher.Writer()->wait_for_acknowledgments({20, 0}) == DDS_ReturnCode::RETCODE_OK ? 0 : 3;
}

TEST(DdsTextSubscription, FollowsAWriterInAnotherProcessOnLoopback) {
  const std::string topic = TestTopic();
  std::string self(1024, '\0'), flag = kPeerFlag, arg = topic;
  self.resize(readlink("/proc/self/exe", &self[0], self.size()));
  char* argv[] = {&self[0], &flag[0], &arg[0], nullptr};
  pid_t peer = 0;
  ASSERT_EQ(posix_spawn(&peer, self.c_str(), nullptr, nullptr, argv, environ), 0);
  Inbox<std::string> texts;
  DDS_TextSubscription subscription(topic, DDS_ValueKind::Long, [&](const std::string& from, const std::string& text) {
    texts.Put(from + "|" + text);
  });
  ASSERT_TRUE(texts.WaitFor(1));
  EXPECT_EQ(texts.Values(), std::vector<std::string>{topic + "|42"});
  int status = -1;
  ASSERT_EQ(waitpid(peer, &status, 0), peer);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::strcmp(argv[1], kPeerFlag) == 0) return RunPeer(argv[2]);
  ::testing::InitGoogleTest(&argc, argv);
  Velmarin::ProcessOrb();  // values in a CORBA::Any need the ORB
  ::testing::AddGlobalTestEnvironment(new ParticipantEnvironment);
  return RUN_ALL_TESTS();
}
