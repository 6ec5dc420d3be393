// Client writes of a registry's attributes as the journal keeps them: 16 writers at once, each
// write and refusal there once and in each writer's order, a lock refusal with its texts; a
// write, a refusal, a failure and a command while the registry is observed, and none outside.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <thread>

#include "JournalObserver.h"
#include "platform/GUI_Able_i.h"
#include "platform/Lock.h"
#include "platform/Orb.h"

using namespace Velmarin;
namespace rj = radaltjournal;
namespace fs = std::filesystem;

namespace {

class JournalWrites : public ::testing::Test {
 protected:
  JournalWrites() : namer("Lumaren/local/TEST/1"), gui("gui") {
    ProcessOrb();
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

  ItemNamer namer;
  GUI_Able_i gui;
  std::string dir;
  std::shared_ptr<rj::Writer> writer;
};

}  // namespace

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
        if (i % 4 == 3) {
          try {
            heldRef->Set(me.Id(), i);
          } catch (const Operation_errors::Locking_Error&) {
          }
        } else {
          openRef->Set(me.Id(), i);
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
  Locker client("radaltctl");
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
