// The save/recall engine's stand-in on its own: snapshots of a store kept in SQLite on disk,
// and the hand-off that keeps clients from interleaving.
#include "../engine/TestConfig.h"

#include "../engine/Catch.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <thread>

#include "EverybodyEng.h"
#include "SnapshotStore.h"
#include "persistence/PersistedValue.h"
#include "platform/Lock.h"
#include "platform/Orb.h"

namespace {

using radaltsim::EverybodyEng_i;
using radaltsim::SnapshotError;
using radaltsim::SnapshotStore;
namespace OE = Velmarin::Operation_errors;

const char* const kTable = "radaltmc_settings0";

// A store like the master control's settings store, with a level, a count and a name.
class Folder {
 public:
  Folder() : dir_(FreshTestRoot("everybodyeng") + "/engines/lib") { Open(); }
  ~Folder() {
    store.reset();
    std::filesystem::remove_all(std::filesystem::path(dir_).parent_path().parent_path());
  }
  void Open() {
    store = std::make_unique<STpersistance>(0, dir_);
    store->ConnectToDB();
    store->CheckAndCreateTables("radaltmc_settings");
    store->CreateValue<double>(1, "Level", 1.0f, -20.0);
    store->CreateValue<int>(2, "Count", 1.0f, 3);
    store->CreateValue<std::string>(3, "Name", 1.0f, "first");
  }
  void Set(double level, int count, const std::string& name) {
    ASSERT_EQ(3, store->UpdateValues({{1, Bound::Of(level)}, {2, Bound::Of(count)}, {3, Bound::Of(name)}}, 1.0f));
  }
  double Level() { return store->GetValue<double>(1u, 1.0f); }
  const std::string& Dir() const { return dir_; }

  std::unique_ptr<STpersistance> store;

 private:
  std::string dir_;
};

TEST(SnapshotStore, SnapshotsAreRestoredExactlyAndSurviveReopening) {
  Folder f;
  auto snapshots = std::make_unique<SnapshotStore>(f.Dir() + "/everybodyeng.db", f.Dir() + "/persistence.db");
  f.Set(0.1, 7, "it's");
  EXPECT_EQ(3, snapshots->Take(kTable, "a"));
  f.Set(-55.0, 1, "other");
  snapshots->Take(kTable, "b");
  f.Set(9.0, 9, "nine");

  auto diffs = snapshots->Diff(kTable, "a");
  ASSERT_EQ(3u, diffs.size());
  EXPECT_EQ("Level", diffs[0].name);
  EXPECT_EQ("9.0", diffs[0].current);
  EXPECT_EQ("0.1", diffs[0].stored);
  EXPECT_DOUBLE_EQ(9.0, f.Level());  // a diff leaves the store as it is

  // Every process closed and opened again: the snapshots are still there.
  snapshots.reset();
  f.store.reset();
  f.Open();
  snapshots = std::make_unique<SnapshotStore>(f.Dir() + "/everybodyeng.db", f.Dir() + "/persistence.db");
  EXPECT_EQ((std::vector<std::string>{"a", "b"}), snapshots->Names(kTable));
  EXPECT_EQ(3, snapshots->Restore(kTable, "a"));
  EXPECT_EQ(0.1, f.Level());
  EXPECT_EQ(7, f.store->GetValue<int>(2u, 1.0f));
  EXPECT_EQ("it's", f.store->GetValue<std::string>(3u, 1.0f));
  EXPECT_TRUE(snapshots->Diff(kTable, "a").empty());
  snapshots->Restore(kTable, "b");
  EXPECT_EQ(-55.0, f.Level());
}

TEST(SnapshotStore, BadNamesUnknownSnapshotsAndTablesAreRefused) {
  Folder f;
  SnapshotStore snapshots(f.Dir() + "/everybodyeng.db", f.Dir() + "/persistence.db");
  for (const std::string& name : {std::string("../x"), std::string(), std::string(65, 'a'), std::string(".."),
                                 std::string("a;DROP TABLE snapshot")})
    EXPECT_THROW(snapshots.Take(kTable, name), SnapshotError) << name;
  EXPECT_THROW(snapshots.Restore(kTable, "unknown"), SnapshotError);
  EXPECT_THROW(snapshots.Take("radaltmc_settings", "a"), SnapshotError);
  EXPECT_THROW(snapshots.Take("x;y0", "a"), SnapshotError);
  EXPECT_THROW(snapshots.Take("radaltmc_other0", "a"), std::runtime_error);
  EXPECT_TRUE(snapshots.Names(kTable).empty());
}

// The stand-in with an owner that writes into the store what the hand-off's name says
// ("client 5" stores level 5) and, on recall, checks that the restored level is the name's.
class Clients : public ::testing::Test {
 protected:
  Clients()
      : orb_(Velmarin::ProcessOrb()),
        engine_(f_.Dir(), std::chrono::seconds(30), [this](bool save, const std::string&) { Owner(save); },
                std::chrono::seconds(30)) {}

  void Owner(bool save) {
    CORBA::String_var name = engine_.SnapshotName()->Get();
    const int n = std::stoi(std::string(name.in()).substr(7));
    if (save) {
      // Between the write and the snapshot another client could slip in: give it the chance.
      f_.Set(n, n, name.in());
      std::this_thread::yield();
    } else if (f_.Level() != n) {
      mismatches_++;
    }
  }
  // One client's complete hand-off.
  void HandOff(const Velmarin::Locker& who, const std::string& name, bool store) {
    engine_.Begin()->Execute(who.Id());
    engine_.Table()->Set(who.Id(), 0);
    engine_.SnapshotName()->Set(who.Id(), name.c_str());
    (store ? engine_.Store() : engine_.Recall())->Execute(who.Id());
  }

  CORBA::ORB_ptr orb_;  // servants are activated in the process's root POA
  Folder f_;
  EverybodyEng_i engine_;
  std::atomic<int> mismatches_{0};
};

TEST_F(Clients, EightClientsStoringAndRecallingAtOnceKeepEverySnapshotIntact) {
  std::vector<std::thread> threads;
  std::atomic<int> failures{0};
  for (int c = 1; c <= 8; ++c) {
    threads.emplace_back([&, c] {
      Velmarin::Locker me("client " + std::to_string(c));
      const std::string name = "client " + std::to_string(c);
      try {
        for (int round = 0; round < 10; ++round) {
          HandOff(me, name, true);
          HandOff(me, name, false);
        }
      } catch (const CORBA::Exception& e) {
        std::cerr << name << ": " << e._name() << std::endl;
        failures++;
      }
    });
  }
  for (auto& t : threads) t.join();
  EXPECT_EQ(0, failures.load());
  EXPECT_EQ(0, mismatches_.load());
  for (int c = 1; c <= 8; ++c) {
    engine_.Snapshots().Restore(kTable, "client " + std::to_string(c));
    EXPECT_EQ(c, f_.Level()) << c;
  }
}

TEST_F(Clients, OnlyTheHolderMayGoOnAndARefusedStepOrAnActEndsItsHandOff) {
  Velmarin::Locker first("first");
  Velmarin::Locker second("second");
  EXPECT_STREQ("No hand-off", Catch<OE::Locking_Error>([&] { engine_.Table()->Set(first.Id(), 0); }).reason.in());
  engine_.Begin()->Execute(first.Id());
  // Another client's step, even a bad one, is refused as not its turn and leaves the hand-off.
  auto e = Catch<OE::Locking_Error>([&] { engine_.SnapshotName()->Set(second.Id(), "a/b"); });
  EXPECT_STREQ("first", e.holder.in());
  EXPECT_TRUE(engine_.HandOffActive());
  // The holder's bad name ends it: the next client has its turn at once.
  Catch<OE::Settings_Conflict>([&] { engine_.SnapshotName()->Set(first.Id(), "a/b"); });
  EXPECT_FALSE(engine_.HandOffActive());
  HandOff(second, "client 2", true);
  // The same for a table the engine does not know, and for acting without a table.
  engine_.Begin()->Execute(first.Id());
  Catch<OE::DataOutOfRange>([&] { engine_.Table()->Set(first.Id(), 999); });
  EXPECT_FALSE(engine_.HandOffActive());
  engine_.Begin()->Execute(first.Id());
  Catch<OE::Settings_Conflict>([&] { engine_.Store()->Execute(first.Id()); });
  EXPECT_FALSE(engine_.HandOffActive());
  HandOff(second, "client 2", false);
  EXPECT_EQ((std::vector<std::string>{"client 2"}), engine_.Snapshots().Names(kTable));
  EXPECT_EQ(0, mismatches_.load());
}

TEST(EverybodyEng, ABeginThatCannotHaveItsTurnIsRefusedNamingTheHolderAndTakesNothing) {
  Velmarin::ProcessOrb();
  Folder f;
  // No wait at all: a Begin behind another client's hand-off is refused at once.
  EverybodyEng_i engine(f.Dir(), std::chrono::seconds(30), [](bool, const std::string&) {}, std::chrono::milliseconds(0));
  Velmarin::Locker first("first");
  Velmarin::Locker second("second");
  engine.Begin()->Execute(first.Id());
  auto e = Catch<OE::Locking_Error>([&] { engine.Begin()->Execute(second.Id()); });
  EXPECT_STREQ("first", e.holder.in());
  EXPECT_STREQ("Store or recall in progress", e.reason.in());
  // The refused caller is not handed the engine later: the holder goes on, then the next.
  engine.Table()->Set(first.Id(), 0);
  engine.SnapshotName()->Set(first.Id(), "first");
  engine.Store()->Execute(first.Id());
  EXPECT_FALSE(engine.HandOffActive());
  engine.Begin()->Execute(second.Id());
  Catch<OE::Locking_Error>([&] { engine.Table()->Set(first.Id(), 0); });
  engine.Table()->Set(second.Id(), 0);
  engine.SnapshotName()->Set(second.Id(), "second");
  engine.Store()->Execute(second.Id());
  EXPECT_EQ((std::vector<std::string>{"first", "second"}), engine.Snapshots().Names(kTable));
}

}  // namespace
