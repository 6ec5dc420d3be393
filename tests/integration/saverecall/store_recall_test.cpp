// Settings stored and recalled through the master control's commands and the save/recall
// engine's stand-in; the settings names; a missing save/recall engine; the factory default of
// a channel; and the stand-in on its own: snapshots of a store kept in SQLite on disk, and the
// hand-off that keeps clients from interleaving.
#include "../rflevel/RfBench.h"

#include <memory>
#include <string>
#include <thread>

#include "EverybodyEng.h"
#include "SaveRecallObjects.h"
#include "SnapshotStore.h"
#include "persistence/PersistedValue.h"

using namespace rfbench;
using radaltsim::EverybodyEng_i;
using radaltsim::SnapshotError;
using radaltsim::SnapshotStore;
namespace OE = Velmarin::Operation_errors;

namespace {

// The master control on three simulated channel engines with the save/recall engine's
// stand-in served beside it, bound where the master control looks for it (and unbound with
// naming_).
class SaveRecallBench : public Bench {
 public:
  explicit SaveRecallBench(bool withEngine = true) {
    if (withEngine) StartEngine();
  }
  // The stand-in on the master control's database folder; owner in place of the registered
  // owners when given.
  radaltsim::EverybodyEng_i& StartEngine(radaltsim::EverybodyEng_i::Owner owner = {}) {
    engine_ = std::make_unique<radaltsim::EverybodyEng_i>(Root() + "/engines/lib", std::chrono::seconds(30), owner);
    CORBA::Object_var ref = engine_->_this();
    naming_.InstallAt({"Lumaren", "local", "EVERYBODYENG", "1"}, ref);
    return *engine_;
  }
  radaltsim::EverybodyEng_i& Saver() { return *engine_; }

  // The master control's settings (profile) table as the save/recall engine names it.
  std::string Table(bool profile = false) {
    return std::string(profile ? "radaltmc_altsim" : "radaltmc_settings") + std::to_string(mc.InstanceNum());
  }
  std::vector<std::string> Snapshots(bool profile = false) {
    Velmarin::String_Seq_var names = Saver().Snapshots(Table(profile).c_str());
    return std::vector<std::string>(names->get_buffer(), names->get_buffer() + names->length());
  }
  std::string EngineName(int channel) {
    return CORBA::String_var(Engine(channel).Ref<EngineAttribString>("SETTINGSNAME")->Get()).in();
  }
  void SetName(int channel, const std::string& name) {
    Attr<EngineAttribString>("CH" + std::to_string(channel) + "SETTINGSNAME")->Set(client.Id(), name.c_str());
  }
  std::string Name(int channel) {
    return CORBA::String_var(Attr<EngineAttribString>("CH" + std::to_string(channel) + "SETTINGSNAME")->Get()).in();
  }
  // Stores (or recalls) the settings under name, as an operator does.
  void StoreSettings(const std::string& name) {
    SetName(1, name);
    Exec("STORESETTINGS");
  }
  void RecallSettings(const std::string& name) {
    SetName(1, name);
    Exec("RECALLSETTINGS");
  }

 private:
  Velmarin::ORB_wrapper_base naming_;
  std::unique_ptr<radaltsim::EverybodyEng_i> engine_;
};

TEST(StoreRecall, EachNameRecallsItsOwnValueToTheAttributeAndTheEngineAndProfilesKeepTheirOwnTable) {
  SaveRecallBench b;
  b.Manual(false);
  b.SetDouble("CH1OUTPWRLVL", -20.0);
  b.StoreSettings("low");
  b.SetDouble("CH1OUTPWRLVL", -30.0);
  b.StoreSettings("lower");
  b.SetDouble("CH1OUTPWRLVL", -45.0);

  b.RecallSettings("low");
  EXPECT_DOUBLE_EQ(-20.0, b.Shown("CH1OUTPWRLVL"));
  EXPECT_DOUBLE_EQ(-20.0, b.EngineValue(1, "OUTPWRLVL"));
  // The name the recall brought back is the one stored with it.
  EXPECT_EQ("low", b.Name(1));

  b.RecallSettings("lower");
  EXPECT_DOUBLE_EQ(-30.0, b.Shown("CH1OUTPWRLVL"));
  EXPECT_DOUBLE_EQ(-30.0, b.EngineValue(1, "OUTPWRLVL"));

  // The profile commands keep a table of their own.
  b.SetName(1, "legs");
  b.Exec("STOREPROFILE");
  EXPECT_EQ((std::vector<std::string>{"low", "lower"}), b.Snapshots());
  EXPECT_EQ((std::vector<std::string>{"legs"}), b.Snapshots(true));
  b.Exec("RECALLPROFILE");
}

TEST(StoreRecall, RefusedAndUnknownNamesChangeNothingAndLeaveNoHandOffPending) {
  SaveRecallBench b;
  b.Manual(false);
  b.SetDouble("CH1OUTPWRLVL", -20.0);
  for (const char* key : {"STORESETTINGS", "RECALLSETTINGS"}) {
    Output([&] {
      b.SetName(1, "a/b");
      auto e = Catch<Operation_errors::Settings_Conflict>([&] { b.Exec(key); });
      EXPECT_STREQ("A snapshot name holds only letters, digits, blanks, '_', '-' and '.'", e.text.in()) << key;
    });
    // Nothing of the refused command is left pending at the save/recall engine.
    EXPECT_FALSE(b.Saver().HandOffActive()) << key;
  }
  b.SetName(1, "never stored");
  const unsigned long before = b.engines[1].AcceptedCount();
  Output([&] {
    auto e = Catch<Operation_errors::Object_Not_Found>([&] { b.Exec("RECALLSETTINGS"); });
    EXPECT_EQ("No snapshot never stored of " + b.Table(), e.text.in());
  });
  EXPECT_EQ(before, b.engines[1].AcceptedCount());
  EXPECT_DOUBLE_EQ(-20.0, b.Shown("CH1OUTPWRLVL"));

  b.StoreSettings("good");
  b.SetDouble("CH1OUTPWRLVL", -40.0);
  b.RecallSettings("good");
  EXPECT_DOUBLE_EQ(-20.0, b.Shown("CH1OUTPWRLVL"));
  EXPECT_EQ((std::vector<std::string>{"good"}), b.Snapshots());
}

// (A recall switches every diagnostic output off: uut_test; RECALLSETTINGS comes to the
// same recall.)

TEST(StoreRecall, WithoutAWorkingSaveRecallEngineEveryCommandIsRefusedNamingTheEngine) {
  SaveRecallBench b(false);
  for (const char* key : {"STORESETTINGS", "RECALLSETTINGS", "STOREPROFILE", "RECALLPROFILE"}) {
    Output([&] {
      auto e = Catch<Operation_errors::Object_Not_Found>([&] { b.Exec(key); });
      EXPECT_STREQ("Cannot find EVERYBODYENG interface", e.text.in()) << key;
    });
  }
  // A registration whose engine is gone counts as none.
  Velmarin::DeactivateServant(&b.StartEngine());
  Output([&] { Catch<Operation_errors::Object_Not_Found>([&] { b.StoreSettings("x"); }); });

  // An engine whose act fails as a call that was not answered in time does is named, not the
  // master control.
  bool answers = false;
  b.StartEngine([&](bool save, const std::string& table) {
    if (!answers) throw CORBA::TIMEOUT();
    save ? b.mc.Save(table.c_str(), 0) : b.mc.Recall(table.c_str(), 0);
  });
  Output([&] {
    auto e = Catch<Connection_errors::Communications_failure>([&] { b.StoreSettings("x"); });
    EXPECT_STREQ("Save/recall engine EVERYBODYENG did not answer in time (TIMEOUT)", e.text.in());
  });
  answers = true;
  b.StoreSettings("after");
  EXPECT_EQ((std::vector<std::string>{"after"}), b.Snapshots());
}

TEST(SettingsName, FollowsTheCoupling) {
  // (Refused for a channel not enabled: channel_roles_test.)
  SaveRecallBench b;
  b.SetBool("COUPLEDALTITUDESIMULATION", true);
  b.SetName(1, "all three");
  for (int ch = 1; ch <= 3; ++ch) {
    EXPECT_EQ("all three", b.Name(ch)) << ch;
    EXPECT_EQ("all three", b.EngineName(ch)) << ch;
  }
  b.SetBool("COUPLEDALTITUDESIMULATION", false);
  b.SetName(2, "second");
  EXPECT_EQ("all three", b.EngineName(1));
  EXPECT_EQ("second", b.EngineName(2));
  EXPECT_EQ("all three", b.Name(3));
}

TEST(Everybody, LockAndShutdownAreRefusedNotIgnored) {
  SaveRecallBench b;
  Velmarin::Everybody_var self = b.mc._this();
  Output([&] {
    Catch<Operation_errors::NotSupported>([&] { self->Shutdown(); });
    Catch<Operation_errors::NotSupported>([&] { self->Lock(b.client.Authority("r", "m")); });
    auto e = Catch<Operation_errors::Object_Not_Found>([&] { self->Save("radaltmc_other0", 0); });
    EXPECT_STREQ("No table radaltmc_other0", e.text.in());
  });
}

// ---- the factory default ----------------------------------------------------------------------

const char* const kLosses[] = {"TXCBLLOSS", "RXCBLLOSS", "TXCOUPLOSS", "RXCOUPLOSS"};

std::string Key(int channel, const char* stem) { return "CH" + std::to_string(channel) + stem; }

// (Every diagnostic output goes off with it, the passthrough too: uut_test.)
TEST(FactoryDefault, ResetsItsChannelOrCoupledEveryEnabledOneAndTheSharedSettingsOnce) {
  SaveRecallBench b;
  auto moveAway = [&] {
    b.Manual(false);
    for (int ch = 1; ch <= 3; ++ch) {
      b.SetDouble(Key(ch, "OUTPWRLVL"), -20.0);
      for (const char* loss : kLosses) b.SetDouble(Key(ch, loss), 2.0);
    }
  };
  moveAway();
  b.Exec("CH3FACTORYDEFAULT");
  for (int ch = 1; ch <= 3; ++ch) EXPECT_DOUBLE_EQ(ch == 3 ? 0.0 : 2.0, b.Shown(Key(ch, "TXCBLLOSS"))) << ch;
  EXPECT_EQ(0, b.Attr<EngineAttribEnum>("RFLVLMODE")->Get());

  moveAway();
  b.SetBool("COUPLEDALTITUDESIMULATION", true);
  // The RF level offset keeps the fields of its own record.
  VALUE_LONG::VALUE offset = b.Attr<EngineAttribValueLong>("RFLVLOFFSET")->Get();
  b.Exec("CH1FACTORYDEFAULT");
  offset.val = 0;
  EXPECT_TRUE(ValueLongSame(offset, b.Attr<EngineAttribValueLong>("RFLVLOFFSET")->Get()));
  for (int ch = 1; ch <= 3; ++ch) {
    EXPECT_DOUBLE_EQ(-55.0, b.EngineValue(ch, "OUTPWRLVL")) << ch;
    EXPECT_NEAR(48.9, b.EngineValue(ch, "LOOPLOSS"), 0.05) << ch;
    for (const char* loss : kLosses) EXPECT_DOUBLE_EQ(0.0, b.Shown(Key(ch, loss))) << ch << loss;
  }
  EXPECT_EQ(0, b.Attr<EngineAttribEnum>("RFLVLMODE")->Get());
  EXPECT_EQ(1, b.Attr<EngineAttribEnum>("CDFALTCORRECTION")->Get());
}

TEST(FactoryDefault, RefusedForADisabledChannelAndDuringARunWithNothingChanged) {
  SaveRecallBench b;
  b.Manual(false);
  b.SetDouble("CH1TXCBLLOSS", 2.0);
  b.SetEnabled(1);
  const unsigned long before = b.engines[1].AcceptedCount() + b.engines[2].AcceptedCount();
  Output([&] {
    auto e = Catch<Operation_errors::Settings_Conflict>([&] { b.Exec("CH2FACTORYDEFAULT"); });
    EXPECT_STREQ("Channel 2 not enabled", e.text.in());
  });

  // A running simulation holds the settings: refused for a client and for a direct call.
  b.mc.Locks().Take(LockGroup::SETTINGS, "simulation run", "Simulation is running",
                    "Locked because a simulation is running. Stop the simulation");
  auto e = Catch<Operation_errors::Locking_Error>([&] { b.Exec("CH1FACTORYDEFAULT"); });
  EXPECT_STREQ("Simulation is running", e.reason.in());
  radalt::FactoryDefault& direct = *b.mc.Find<radalt::SaveRecallObjects>()->factoryDefault.At(1);
  Output([&] { Catch<Operation_errors::Locking_Error>([&] { direct.Callback(); }); });
  EXPECT_EQ(before, b.engines[1].AcceptedCount() + b.engines[2].AcceptedCount());
  EXPECT_DOUBLE_EQ(2.0, b.Shown("CH1TXCBLLOSS"));
  EXPECT_EQ(radalt::kManualRfLevel, b.Attr<EngineAttribEnum>("RFLVLMODE")->Get());
}

TEST(FactoryDefault, ARefusedValueEndsTheSequenceAndWhatCameBeforeStays) {
  SaveRecallBench b;
  b.Manual(false);
  b.SetDouble("CH1OUTPWRLVL", -20.0);
  b.SetDouble("CH1TXCBLLOSS", 2.0);
  b.HoldEngineItem(1, "LOOPLOSS");
  Output([&] { Catch<Operation_errors::Locking_Error>([&] { b.Exec("CH1FACTORYDEFAULT"); }); });
  EXPECT_DOUBLE_EQ(-55.0, b.EngineValue(1, "OUTPWRLVL"));
  EXPECT_DOUBLE_EQ(2.0, b.Shown("CH1TXCBLLOSS"));
  EXPECT_EQ(radalt::kManualRfLevel, b.Attr<EngineAttribEnum>("RFLVLMODE")->Get());
}

// ---- the save/recall engine's stand-in on its own ------------------------------------------------

const char* const kTable = "radaltmc_settings0";

// A store like the master control's settings store, with a level, a count and a name.
struct Folder {
  Folder() { Open(); }
  ~Folder() {
    store.reset();
    std::filesystem::remove_all(std::filesystem::path(dir).parent_path().parent_path());
  }
  void Open() {
    store = std::make_unique<STpersistance>(0, dir);
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

  const std::string dir = FreshTestRoot("everybodyeng") + "/engines/lib";
  std::unique_ptr<STpersistance> store;
};

// One client's complete hand-off, or (begin false) the rest of the one it began.
void HandOff(EverybodyEng_i& engine, const Velmarin::Locker& who, const std::string& name, bool store,
             bool begin = true) {
  if (begin) engine.Begin()->Execute(who.Id());
  engine.Table()->Set(who.Id(), 0);
  engine.SnapshotName()->Set(who.Id(), name.c_str());
  (store ? engine.Store() : engine.Recall())->Execute(who.Id());
}

TEST(SnapshotStore, SnapshotsAreRestoredExactlyAndSurviveReopening) {
  Folder f;
  auto snapshots = std::make_unique<SnapshotStore>(f.dir + "/everybodyeng.db", f.dir + "/persistence.db");
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
  snapshots = std::make_unique<SnapshotStore>(f.dir + "/everybodyeng.db", f.dir + "/persistence.db");
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
  SnapshotStore snapshots(f.dir + "/everybodyeng.db", f.dir + "/persistence.db");
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
        engine_(f_.dir, std::chrono::seconds(30), [this](bool save, const std::string&) { Owner(save); },
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

  CORBA::ORB_ptr orb_;  // servants are activated in the process's root POA
  Folder f_;
  EverybodyEng_i engine_;
  std::atomic<int> mismatches_{0};
};

TEST_F(Clients, EightClientsStoringAndRecallingAtOnceKeepEverySnapshotIntact) {
  std::vector<std::thread> threads;
  for (int c = 1; c <= 8; ++c) {
    threads.emplace_back([&, c] {
      Velmarin::Locker me("client " + std::to_string(c));
      const std::string name = "client " + std::to_string(c);
      try {
        for (int round = 0; round < 10; ++round) {
          HandOff(engine_, me, name, true);
          HandOff(engine_, me, name, false);
        }
      } catch (const CORBA::Exception& e) {
        ADD_FAILURE() << name << ": " << e._name();
      }
    });
  }
  for (auto& t : threads) t.join();
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
  HandOff(engine_, second, "client 2", true);
  // The same for a table the engine does not know, and for acting without a table.
  engine_.Begin()->Execute(first.Id());
  Catch<OE::DataOutOfRange>([&] { engine_.Table()->Set(first.Id(), 999); });
  EXPECT_FALSE(engine_.HandOffActive());
  engine_.Begin()->Execute(first.Id());
  Catch<OE::Settings_Conflict>([&] { engine_.Store()->Execute(first.Id()); });
  EXPECT_FALSE(engine_.HandOffActive());
  HandOff(engine_, second, "client 2", false);
  EXPECT_EQ((std::vector<std::string>{"client 2"}), engine_.Snapshots().Names(kTable));
  EXPECT_EQ(0, mismatches_.load());
}

TEST(EverybodyEng, ABeginThatCannotHaveItsTurnIsRefusedNamingTheHolderAndTakesNothing) {
  Velmarin::ProcessOrb();
  Folder f;
  // No wait at all: a Begin behind another client's hand-off is refused at once.
  EverybodyEng_i engine(f.dir, std::chrono::seconds(30), [](bool, const std::string&) {}, std::chrono::seconds(0));
  Velmarin::Locker first("first");
  Velmarin::Locker second("second");
  engine.Begin()->Execute(first.Id());
  auto e = Catch<OE::Locking_Error>([&] { engine.Begin()->Execute(second.Id()); });
  EXPECT_STREQ("first", e.holder.in());
  EXPECT_STREQ("Store or recall in progress", e.reason.in());
  // The refused caller is not handed the engine later: the holder goes on, then the next.
  HandOff(engine, first, "first", true, false);
  engine.Begin()->Execute(second.Id());
  Catch<OE::Locking_Error>([&] { engine.Table()->Set(first.Id(), 0); });
  HandOff(engine, second, "second", true, false);
  EXPECT_EQ((std::vector<std::string>{"first", "second"}), engine.Snapshots().Names(kTable));
}

}  // namespace
