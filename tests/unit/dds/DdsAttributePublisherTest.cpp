// The attribute publisher and the text subscription against real Fast DDS on a private domain,
// within one process and, for discovery on the loopback interface, with a second process.
#include <gtest/gtest.h>

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>

#include "platform/DDS_Publisher.h"
#include "DdsTestSupport.h"
#include "RadAltSC.hh"
#include "platform/DDS_AttributePublisher.h"
#include "platform/DDS_TextSubscription.h"
#include "platform/Orb.h"

extern char** environ;

namespace {

using namespace Velmarin;
using AltSim = RadAltSingleChannelModel::AltimeterSimulationObjects::Alt_Sim_Data;
using AltSimSeq = RadAltSingleChannelModel::AltimeterSimulationObjects::alt_sim_data_seq;
using dds_test::Inbox;
using dds_test::TestTopic;

// Peer mode of this program: publishes 42 as ATTR_LONG on a topic once a subscriber is there.
constexpr const char* kPeerFlag = "--publish-long-as-peer";

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
  struct Case {
    std::string name;
    DDS_ValueKind kind;
    CORBA::Any value;
    std::string text;
  };
  CORBA::Any boolean;
  boolean <<= CORBA::Any::from_boolean(true);
  const std::vector<Case> cases = {
      {"bool", DDS_ValueKind::Boolean, boolean, "true"},
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
  for (const auto& c : cases) {
    const std::string topic = TestTopic() + "/" + c.name;
    Watch watch(topic, c.kind);
    publish(topic, c.value);
    ASSERT_TRUE(watch.texts.WaitFor(1)) << c.name;
    EXPECT_EQ(watch.texts.Values(), std::vector<std::string>{c.text}) << c.name;
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

// A second process of this program in peer mode.
class Peer {
 public:
  explicit Peer(const std::string& topic) {
    std::string self(1024, '\0');
    self.resize(readlink("/proc/self/exe", &self[0], self.size()));
    std::vector<std::string> args = {self, kPeerFlag, topic};
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(&a[0]);
    argv.push_back(nullptr);
    started_ = posix_spawn(&pid_, self.c_str(), nullptr, nullptr, argv.data(), environ) == 0;
  }
  bool Started() const { return started_; }
  int Wait() {
    int status = 0;
    if (!started_ || waitpid(pid_, &status, 0) != pid_) return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

 private:
  pid_t pid_ = 0;
  bool started_ = false;
};

int RunPeer(const std::string& topic) {
  DDS_Publisher<int> publisher(topic.c_str());
  if (!publisher.WaitForSubscribers(1, boost::posix_time::seconds(20))) return 2;
  publisher.sendData(42);
  return publisher.Writer()->wait_for_acknowledgments({20, 0}) == DDS_ReturnCode::RETCODE_OK ? 0 : 3;
}

TEST(DdsTextSubscription, FollowsAWriterInAnotherProcessOnLoopback) {
  const std::string topic = TestTopic();
  Peer peer(topic);
  ASSERT_TRUE(peer.Started());
  Inbox<std::string> texts;
  DDS_TextSubscription subscription(topic, DDS_ValueKind::Long, [&](const std::string& from, const std::string& text) {
    texts.Put(from + "|" + text);
  });
  ASSERT_TRUE(texts.WaitFor(1));
  EXPECT_EQ(texts.Values(), std::vector<std::string>{topic + "|42"});
  EXPECT_EQ(peer.Wait(), 0);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::strcmp(argv[1], kPeerFlag) == 0) return RunPeer(argv[2]);
  ::testing::InitGoogleTest(&argc, argv);
  Velmarin::ProcessOrb();  // values in a CORBA::Any need the ORB
  ::testing::AddGlobalTestEnvironment(new dds_test::ParticipantEnvironment);
  return RUN_ALL_TESTS();
}
