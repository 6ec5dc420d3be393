// Settings stored and recalled through the master control's commands and the save/recall
// engine's stand-in; the settings names; a missing save/recall engine.
#include "SaveRecallBench.h"

using namespace srbench;

namespace {

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

TEST(StoreRecall, AnUnknownNameIsRefusedAndChangesNothing) {
  SaveRecallBench b;
  b.Manual(false);
  b.SetDouble("CH1OUTPWRLVL", -25.0);
  const unsigned long before = b.engines[1].AcceptedCount();
  Output([&] {
    b.SetName(1, "never stored");
    auto e = Catch<Operation_errors::Object_Not_Found>([&] { b.Exec("RECALLSETTINGS"); });
    EXPECT_EQ("No snapshot never stored of " + b.Table(), e.text.in());
  });
  EXPECT_DOUBLE_EQ(-25.0, b.Shown("CH1OUTPWRLVL"));
  // the name write above is the one accepted write
  EXPECT_EQ(before + 1, b.engines[1].AcceptedCount());
}

TEST(StoreRecall, ARefusedNameEndsItsHandOffSoTheNextStoreAndRecallGoThroughAtOnce) {
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
  b.StoreSettings("good");
  b.SetDouble("CH1OUTPWRLVL", -40.0);
  b.RecallSettings("good");
  EXPECT_DOUBLE_EQ(-20.0, b.Shown("CH1OUTPWRLVL"));
  EXPECT_EQ((std::vector<std::string>{"good"}), b.Snapshots());
}

TEST(StoreRecall, ASaveRecallEngineThatFailsMidwayIsNamedNotTheMasterControl) {
  SaveRecallBench b(false);
  // The engine's act fails as a call that was not answered in time does.
  bool answers = false;
  b.StartEngine([&](bool save, const std::string& table) {
    if (!answers) throw CORBA::TIMEOUT();
    save ? b.mc.Save(table.c_str(), 0) : b.mc.Recall(table.c_str(), 0);
  });
  const std::string text = "Save/recall engine EVERYBODYENG did not answer in time (TIMEOUT)";
  Output([&] {
    auto e = Catch<Connection_errors::Communications_failure>([&] { b.StoreSettings("x"); });
    EXPECT_EQ(text, e.text.in());
  });
  answers = true;
  b.StoreSettings("after");
  EXPECT_EQ((std::vector<std::string>{"after"}), b.Snapshots());
}

// (A recall switches every diagnostic output off: diagnostics_test; RECALLSETTINGS comes to the
// same recall.)

TEST(StoreRecall, WithoutSaveRecallEngineEveryCommandIsRefusedUntilOneIsRegistered) {
  SaveRecallBench b(false);
  for (const char* key : {"STORESETTINGS", "RECALLSETTINGS", "STOREPROFILE", "RECALLPROFILE"}) {
    Output([&] {
      auto e = Catch<Operation_errors::Object_Not_Found>([&] { b.Exec(key); });
      EXPECT_STREQ("Cannot find EVERYBODYENG interface", e.text.in()) << key;
    });
  }
  // A registration whose engine is gone counts as none, and is not kept.
  {
    radaltsim::EverybodyEng_i& gone = b.StartEngine();
    PortableServer::POA_var poa = gone._default_POA();
    PortableServer::ObjectId_var id = poa->servant_to_id(&gone);
    poa->deactivate_object(id);
    Output([&] { Catch<Operation_errors::Object_Not_Found>([&] { b.StoreSettings("x"); }); });
  }
  b.StartEngine();
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

}  // namespace
