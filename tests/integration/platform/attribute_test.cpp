// Attribute servants as clients reach them: writes pass the locks before the callback
// decides, assignments are published on the item's topic, the simulated engine's items
// refuse what the instrument would refuse, and the registry's observer hands the writes to the
// journal (16 writers at once, each write and refusal there once and in each writer's order; a
// write, a refusal, a failure and a command while the registry is observed, and none outside).
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <thread>

#include "JournalObserver.h"
#include "ScItems.h"
#include "platform/GUI_Able_i.h"
#include "platform/Orb.h"

using namespace Velmarin;
namespace rj = radaltjournal;
namespace fs = std::filesystem;

namespace {

class AttributeTest : public ::testing::Test {
 protected:
  AttributeTest() : namer("Lumaren/local/TEST/1"), gui("gui") {
    ProcessOrb();  // servants are activated in the process's root POA
  }
  ItemNamer namer;
  GUI_Able_i gui;
  Locker client{"client"}, other{"other"};
};

// The registry observed by a journal of its own.
class JournalWrites : public AttributeTest {
 protected:
  JournalWrites() {
    std::string pattern = (fs::temp_directory_path() / "journal-XXXXXX").string();
    dir = ::mkdtemp(pattern.data());
    writer = std::make_shared<rj::Writer>(rj::Store::OpenForWriting(dir + "/journal.db"), rj::Writer::Options{},
                                          nullptr);
    writer->Start();
    gui.Observe(std::make_shared<radalt::JournalObserver>(writer));
  }
  ~JournalWrites() override {
    gui.Observe(nullptr);
    writer.reset();
    fs::remove_all(dir);
  }
  std::vector<rj::Entry> Entries() {
    writer->Flush();
    return rj::Store::OpenForReading(dir + "/journal.db")->Query({});
  }

  std::string dir;
  std::shared_ptr<rj::Writer> writer;
};

}  // namespace

TEST_F(AttributeTest, ClientWriteRunsTheCallbackOnlyWhenEveryLockAllows) {
  std::vector<int> seen;
  EngineAttribLong_i attr(namer, gui, "COUNT", 0, [&](CORBA::Long v) { seen.push_back(v); },
                          EngineAttribLongParams{0, 3, 1});
  Lockable_i group("SIMRUN");
  attr.GuardWith(group);
  EngineAttribLong_var ref = attr._this();

  ref->Set(client.Id(), 2);
  EXPECT_EQ(std::vector<int>{2}, seen);
  // The write alone does not change the value: the callback decides.
  EXPECT_EQ(0, ref->Get());

  // A group held by another locker refuses the write, no callback (its texts in the journal:
  // JournalWrites); a client can ask beforehand what would refuse it.
  group.Lock(other.Authority("Simulation is running", "Locked because a simulation is running. Stop the simulation"));
  EXPECT_THROW(ref->Set(client.Id(), 3), Operation_errors::Locking_Error);
  CORBA::String_var holder, reason, message;
  EXPECT_TRUE(ref->Blocked(client.Id(), holder.out(), reason.out(), message.out()));
  EXPECT_EQ((std::vector<std::string>{"other", "Simulation is running",
                                      "Locked because a simulation is running. Stop the simulation"}),
            (std::vector<std::string>{holder.in(), reason.in(), message.in()}));
  EXPECT_FALSE(ref->Blocked(other.Id(), holder.out(), reason.out(), message.out()));

  // The holder of the group itself may write.
  ref->Set(other.Id(), 1);
  EXPECT_EQ((std::vector<int>{2, 1}), seen);

  // The attribute's own lock refuses in the same way.
  CORBA::ULong key = ref->Lock(other.Authority("Busy", "Locked because busy"));
  EXPECT_THROW(ref->Set(client.Id(), 3), Operation_errors::Locking_Error);
  ref->Unlock(other.Id(), key);
  EXPECT_EQ(2u, seen.size());
}

TEST_F(AttributeTest, AssignmentPublishesOnTheItemTopic) {
  std::vector<std::pair<std::string, std::string>> published;  // topic, text
  namer.SetPublisher([&](const std::string& topic, const CORBA::Any& v) {
    CORBA::Long l;
    published.emplace_back(topic, (v >>= l) ? std::to_string(l) : "?");
  });
  EngineAttribLong_i attr(namer, gui, "COUNT", 0, {}, EngineAttribLongParams{0, 3, 1});
  attr = 3;
  EXPECT_EQ((std::vector<std::pair<std::string, std::string>>{{"Lumaren/local/TEST/1/COUNT", "3"}}), published);
  CORBA::String_var topic = attr._this()->DDS_Topic();
  EXPECT_STREQ("Lumaren/local/TEST/1/COUNT", topic.in());
}

TEST_F(AttributeTest, RegistryListsFindsAndForgetsAttributes) {
  {
    EngineReadingBoolean_i a(namer, gui, "B", false);
    EngineAttribVoid_i c(namer, gui, "A", {});
    // Listed under the key and the instance digit; found by either name.
    CORBA::String_var list = gui.Get_attr_list();
    EXPECT_STREQ("A1 B1 ", list.in());
    EngineReadingBase_var found = gui.Get_attr("B");
    ASSERT_FALSE(CORBA::is_nil(found));
    EngineReadingBase_var registered = gui.Get_attr("B1");
    EXPECT_TRUE(found->_is_equivalent(registered));
    CORBA::String_var type = found->TypeName();
    EXPECT_STREQ("EngineReadingBoolean", type.in());
    EngineReadingBase_var missing = gui.Get_attr("NOSUCH");
    EXPECT_TRUE(CORBA::is_nil(missing));
  }
  // Servants that are gone are no longer offered.
  CORBA::String_var list = gui.Get_attr_list();
  EXPECT_STREQ("", list.in());
  EngineReadingBase_var gone = gui.Get_attr("B");
  EXPECT_TRUE(CORBA::is_nil(gone));
}

TEST_F(AttributeTest, MissingPageIsReportedOnceAndServedEmpty) {
  testing::internal::CaptureStderr();
  gui.Add_XML("1", "/nonexistent/RA_channelMain.ui");
  gui.Add_XML("1b", "/nonexistent/RA_channelMain.ui");
  const std::string err = testing::internal::GetCapturedStderr();
  EXPECT_EQ(1, std::count(err.begin(), err.end(), '\n'));
  CORBA::String_var page = gui.Get_XML("1");
  EXPECT_STREQ("", page.in());
  EXPECT_THROW(gui.Get_XML("nokey"), Operation_errors::Object_Not_Found);
}

// The simulated engine's numbers count what they take and refuse outside their limits: rf_path_test,
// and with the limits OutputPower.ARangeRefusalCarriesTheEnginesLimits in rf_level_mode_test.
TEST_F(AttributeTest, SimulatedEnumerationsTakeOnlyTheirListedValuesUntilAReset) {
  radaltsim::ItemStore items(namer, gui);
  EngineAttribEnum_var mode = items.Ref<EngineAttribEnum>("RFLVLMODE");
  EngineAttribValueDouble_var power = items.Ref<EngineAttribValueDouble>("OUTPWRLVL");
  VALUE_DOUBLE::VALUE v = power->Get();
  v.val = -40.0;
  power->Set(client.Id(), v);
  mode->Set(client.Id(), 1);
  EXPECT_THROW(mode->Set(client.Id(), 7), Operation_errors::DataOutOfRange);
  EXPECT_EQ(1, mode->Get());
  items.ResetAll();
  EXPECT_EQ(0, mode->Get());
  EXPECT_DOUBLE_EQ(-55.0, power->Get().val);
}

TEST_F(JournalWrites, SixteenWritersAtOnceAreEachJournalledOnceInTheirOrder) {
  constexpr int kWriters = 16, kWrites = 40;
  EngineAttribLong_i open(namer, gui, "OPEN", 0, [&](CORBA::Long v) { open = v; }, EngineAttribLongParams{0, 1000, 1});
  EngineAttribLong_i held(namer, gui, "HELD", 0, [&](CORBA::Long v) { held = v; }, EngineAttribLongParams{0, 1000, 1});
  Lockable_i group("SIMRUN");
  held.GuardWith(group);
  Locker runner("RadAltMc");
  CORBA::ULong key;
  ASSERT_TRUE(group.TryLock(runner.Authority("Simulation is running", "Locked because a simulation is running"), key));
  EngineAttribLong_var openRef = open._this(), heldRef = held._this();

  std::vector<std::thread> threads;
  for (int w = 0; w < kWriters; ++w)
    threads.emplace_back([&, w] {
      Locker me("writer" + std::to_string(w));
      for (int i = 0; i < kWrites; ++i) {
        try {
          (i % 4 == 3 ? heldRef : openRef)->Set(me.Id(), i);
        } catch (const Operation_errors::Locking_Error&) {
        }
      }
    });
  for (auto& t : threads) t.join();

  std::map<std::string, std::vector<const rj::Entry*>> byWriter;
  const std::vector<rj::Entry> entries = Entries();
  for (const rj::Entry& e : entries) byWriter[e.writer].push_back(&e);
  ASSERT_EQ(std::size_t(kWriters), byWriter.size());
  for (const auto& [name, list] : byWriter) {
    ASSERT_EQ(std::size_t(kWrites), list.size()) << name;
    for (int i = 0; i < kWrites; ++i) {
      const rj::Entry& e = *list[i];
      const bool held = i % 4 == 3;  // refused: changes nothing, so 0 after
      EXPECT_EQ((held ? "HELD " : "OPEN ") + std::to_string(i) + (held ? " refused 0" : " accepted"),
                e.key + " " + e.requested + " " + e.outcome + (held ? " " + e.after : ""))
          << name;
    }
  }
  // A refusal keeps the lock's texts exactly as the writer got them, stamped to the microsecond.
  const rj::Entry& refused = *byWriter["writer0"][3];
  EXPECT_EQ((std::vector<std::string>{"write", "Locking_Error", "RadAltMc", "Simulation is running",
                                      "Locked because a simulation is running"}),
            (std::vector<std::string>{refused.kind, refused.refusal, refused.holder, refused.reason, refused.message}));
  EXPECT_EQ(std::string::npos, refused.at.find_first_not_of("0123456789-T:.Z"));
  EXPECT_EQ(27u, refused.at.size()) << refused.at;
  group.TryUnlock(runner.Id(), key);
}

TEST_F(JournalWrites, CommandsAndFailuresAreJournalledWithTheirOutcome) {
  EngineAttribLong_i attr(namer, gui, "COUNT", 1, [&](CORBA::Long v) {
    if (v == 3) throw Operation_errors::Settings_Conflict("three conflicts with the coupling");
    if (v == 4) throw std::runtime_error("the engine went away");
    attr = v;
  }, EngineAttribLongParams{0, 5, 1});
  EngineAttribVoid_i go(namer, gui, "GO", [] {});
  EngineAttribLong_var ref = attr._this();
  EngineAttribVoid_var goRef = go._this();
  gui.Observe(nullptr);
  ref->Set(client.Id(), 1);  // nobody observes yet
  gui.Observe(std::make_shared<radalt::JournalObserver>(writer));
  ref->Set(client.Id(), 2);
  EXPECT_THROW(ref->Set(client.Id(), 3), Operation_errors::Settings_Conflict);
  EXPECT_ANY_THROW(ref->Set(client.Id(), 4));
  goRef->Execute(client.Id());
  gui.Observe(nullptr);
  ref->Set(client.Id(), 0);  // nobody observes any more

  std::vector<std::string> lines;
  for (const rj::Entry& e : Entries())
    lines.push_back(e.kind + " " + e.key + " " + e.before + ">" + e.requested + "=" + e.after + " " + e.outcome + " " +
                    e.refusal + "|" + e.message);
  EXPECT_EQ((std::vector<std::string>{"write COUNT 1>2=2 accepted |",
                                      "write COUNT 2>3=2 refused Settings_Conflict|three conflicts with the coupling",
                                      "write COUNT 2>4=2 failed |the engine went away", "command GO >= accepted |"}),
            lines);
}
