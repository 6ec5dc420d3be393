// Every calibration kind as a state machine against calibrating engines: a start takes the
// interlock and the button code, steps wait for the engine, a save or abort gives back exactly
// what the calibration took; and the calibration beside the other activities.
#include <algorithm>
#include <chrono>
#include <cmath>

#include "../../support/TestSet.h"
#include "CALIBRATION.h"
#include "SelftestLocking.h"

using namespace Velmarin;
using namespace std::chrono_literals;
using radalt::LockGroup;
using Operation_errors::DataOutOfRange;
using Operation_errors::Locking_Error;
using Operation_errors::Settings_Conflict;

namespace {

// The nine groups a calibration takes.
const LockGroup kActivityGroups[] = {LockGroup::SIMRUN,          LockGroup::DIAGTXOUTPUT,
                                     LockGroup::DIAGTXATTENOUTPUT, LockGroup::DIAGRXMEASURING,
                                     LockGroup::DIAGLOOPBACKOUTPUT, LockGroup::DIAGLOOPBACKMEASURING,
                                     LockGroup::DIAGPASSTHRURUNNING, LockGroup::ALTZERORUN,
                                     LockGroup::CALRUN};

// Engines that calibrate quickly: a step in 20 ms, the loopback and user calibrations as long
// as given, a tick of 5 ms.
radaltsim::CalibrationTiming EngineTiming(std::chrono::milliseconds loopback = 300ms,
                                          std::chrono::milliseconds user = 150ms) {
  return {20ms, loopback, user, 5ms};
}

// The test set with engines that calibrate and the self-test lock; the master control waits
// at most 5 s for a step, looking every 2 ms, and polls the self-running kinds every 10 ms.
class Bench : public testset::Bench {
 public:
  explicit Bench(std::vector<int> channels, radaltsim::CalibrationTiming engineTiming = EngineTiming())
      : testset::Bench({std::move(channels), testset::Stopped(engineTiming), true}) {
    cal().SetTiming({5s, 2ms, 10ms, 10ms});
  }
  CALIBRATION& cal() { return *mc.CalibrationObj(); }
  long EngineNumber(int channel, const char* key) { return std::lround(testset::Bench::EngineNumber(channel, key)); }
  bool AllFree() {
    return std::all_of(std::begin(kActivityGroups), std::end(kActivityGroups), [&](LockGroup g) { return Free(g); });
  }
};

std::string Text(const DataOutOfRange& e) { return e.info.text.in(); }

// ---- the stepped kinds -----------------------------------------------------------------------

struct SteppedKind {
  const char* start;
  const char* step;  // "" for none
  const char* save;
  const char* engineStep;  // the engine's current-step reading ("" for none)
  const char* reason;
  const char* message;
  unsigned code;
};

const SteppedKind kStepped[] = {
    {"STARTRXCWCAL", "DORXCWCALSTEP", "SAVERXCWCAL", "RXCWCURRSTEP", "RX CW Calibration active",
     "Locked because a RX CW calibration is active. Abort the calibration", 1},
    {"STARTRXPULSECAL", "DORXPULSECALSTEP", "SAVERXPULSECAL", "RXPULSECURRSTEP", "RX Pulse Calibration active",
     "Locked because a RX pulse calibration is active. Abort the calibration", 2},
    {"STARTTCXOCAL", "", "SAVETCXOCAL", "", "TCXO Calibration active",
     "Locked because a TCXO calibration is active. Abort the calibration", 3},
    {"STARTTXPOWERCAL", "DOTXCALSTEP", "SAVETXCAL", "TXCURRSTEP", "TX Calibration active",
     "Locked because a TX calibration is active. Abort the calibration", 4},
    {"STARTRFDMCAL", "DORFDMCALSTEP", "SAVERFDMCAL", "RFDMCURRSTEP", "RFDM Calibration active",
     "Locked because a RFDM calibration is active. Abort the calibration", 16},
};

class Stepped : public ::testing::TestWithParam<SteppedKind> {
 protected:
  Bench b{{1, 2}};
};

TEST_P(Stepped, StartStepsAndSaveRunTheStateTable) {
  const SteppedKind& k = GetParam();
  b.Exec(k.start);
  EXPECT_EQ(b.cal().CalibrationButtonsLocked(), k.code);
  for (LockGroup g : kActivityGroups) {
    EXPECT_TRUE(b.HeldByMc(g)) << radalt::kLockGroupNames[static_cast<std::size_t>(g)];
    EXPECT_EQ(b.mc.Group(g).Reason(), k.reason);
    EXPECT_EQ(b.mc.Group(g).Message(), k.message);
  }
  EXPECT_TRUE(b.selftest->lock.IsLocked());
  const Locking_Error refused = Catch<Locking_Error>([&] { b.SetBool("RUNSTOPTEST", true); });
  EXPECT_STREQ(refused.reason.in(), k.reason) << "a run is refused with the calibration's texts";
  EXPECT_STREQ(refused.message.in(), k.message);
  EXPECT_THROW(b.Exec("STARTUSERCAL"), Locking_Error) << "a second calibration is refused by CALRUN";

  if (*k.step) {
    for (long s = 1; s <= 3; ++s) {
      b.Exec(k.step);
      if (std::string(k.start) != "STARTRFDMCAL") {
        EXPECT_EQ(b.EngineNumber(1, k.engineStep), s);
      }
    }
    EXPECT_EQ(b.EngineNumber(2, k.engineStep), 0) << "only the factory calibration channel calibrates";
  }

  b.Exec(k.save);
  EXPECT_TRUE(b.AllFree());
  EXPECT_EQ(b.cal().CalibrationButtonsLocked(), 0u);
  EXPECT_FALSE(b.selftest->lock.IsLocked());
  EXPECT_THROW(b.Exec(k.save), Settings_Conflict) << "nothing left to save";

  // The next one starts; an abort ends it on the engine and gives everything back (what the
  // end of a run gives back: the save above).
  b.Exec(k.start);
  ASSERT_EQ(b.EngineNumber(1, "FACTORYCALRUNNING"), 1);
  b.Exec("ABORTCAL");
  EXPECT_EQ(b.EngineNumber(1, "FACTORYCALRUNNING"), 0);
  EXPECT_TRUE(b.AllFree());
}

INSTANTIATE_TEST_SUITE_P(Kinds, Stepped, ::testing::ValuesIn(kStepped),
                         [](const auto& info) { return std::string(info.param.start).substr(5); });

TEST(TxCalibration, StartCopiesTheEngineAttenuatorAndEachStepRefreshesBoth) {
  Bench b({1});
  b.engines[1].Items().Assign("TXCALTXVARATTEN", 300);
  b.Exec("STARTTXPOWERCAL");
  EXPECT_EQ(b.cal().TxCalTXVarAtten()->Get(), 300);
  b.Exec("DOTXCALSTEP");
  EXPECT_EQ(b.cal().TxCalTXVarAtten()->Get(), b.EngineNumber(1, "TXCALTXVARATTEN"));
  EXPECT_EQ(b.cal().TxCalRXVarAtten()->Get(), b.EngineNumber(1, "TXCALRXVARATTEN"));
  // A client's attenuator write shows what the engine accepted.
  b.SetLong("TXCALRXVARATTEN", 100);
  EXPECT_EQ(b.EngineNumber(1, "TXCALRXVARATTEN"), 100);
  EXPECT_EQ(b.cal().TxCalRXVarAtten()->Get(), 100);
  b.Exec("SAVETXCAL");
  EXPECT_TRUE(b.Flag("TXCALVALID")) << "the result is shown once saved";
}

// ---- the self-running kinds ------------------------------------------------------------------

TEST(LoopbackCalibration, EndsByItselfAndReleasesItsLocks) {
  Bench b({1});
  b.Exec("STARTANALOGVARATTENCAL");
  EXPECT_TRUE(b.Flag("CHKANALOGVARATTENCALRUNNING"));
  EXPECT_EQ(b.cal().CalibrationButtonsLocked(), 6u);
  EXPECT_EQ(b.mc.Group(LockGroup::CALRUN).Reason(), "Loopback Calibration active");
  ASSERT_TRUE(Eventually([&] { return b.AllFree(); }));
  EXPECT_FALSE(b.Flag("CHKANALOGVARATTENCALRUNNING"));
  EXPECT_TRUE(b.Flag("ANALOGVARATTENCALVALID"));
  EngineReadingLong_var pct = b.cal().LoopbackCalPctComplete();
  EXPECT_EQ(pct->Get(), 100);
}

TEST(UserCalibration, RunsOnEveryEnabledChannelAndEndsByItself) {
  Bench b({1, 2});
  b.Exec("STARTUSERCAL");
  EXPECT_EQ(b.EngineNumber(1, "CHECKUSERCALRUNNING"), 1);
  EXPECT_EQ(b.EngineNumber(2, "CHECKUSERCALRUNNING"), 1);
  EXPECT_EQ(b.cal().CalibrationButtonsLocked(), 7u);
  EXPECT_EQ(b.mc.Group(LockGroup::SIMRUN).Reason(), "Delay Calibration active");
  ASSERT_TRUE(Eventually([&] { return b.AllFree(); }));
  EXPECT_FALSE(b.Flag("CHKUSERCALRUNNING"));
  ASSERT_TRUE(Eventually([&] { return b.Flag("USERCALVALID"); })) << "valid on both channels";
}

TEST(UserCalibration, AnEngineKilledOnTheWayEndsItsPartWithoutAHang) {
  Bench b({1, 2}, EngineTiming(300ms, 500ms));
  b.Exec("STARTUSERCAL");
  b.engines.Kill(2);
  ASSERT_TRUE(Eventually([&] { return b.AllFree() && !b.cal().Active(); }));
}

// ---- the factory calibration channel and abort -----------------------------------------------

// (A channel beyond the enabled count: channels_test.)
TEST(FactoryChannel, RefusesAnyMoveDuringACalibrationAndAStartOrAbortOutsideTheEnabledChannels) {
  Bench b({1, 2});
  b.Exec("STARTRXCWCAL");
  const Settings_Conflict busy = Catch<Settings_Conflict>([&] { b.SetLong("FACTORYCALIBRATIONCHANNEL", 2); });
  EXPECT_STREQ(busy.text.in(), "Cannot change channel since a factory calibration is active");
  b.Exec("ABORTCAL");
  b.SetLong("FACTORYCALIBRATIONCHANNEL", 2);
  b.Exec("STARTRXCWCAL");
  EXPECT_EQ(b.EngineNumber(2, "FACTORYCALRUNNING"), 1);
  EXPECT_EQ(b.EngineNumber(1, "FACTORYCALRUNNING"), 0);
  b.Exec("SAVERXCWCAL");

  // A channel beyond the enabled ones: a start takes nothing, an abort reaches no engine.
  b.cal().AssignFactoryCalibrationChannel(3);
  EXPECT_EQ(Text(Catch<DataOutOfRange>([&] { b.Exec("STARTTCXOCAL"); })), "Factory calibration channel out of range");
  EXPECT_TRUE(b.AllFree());
  b.SetEnabled(0);
  const unsigned long before = b.engines[1].Items().Calls();
  EXPECT_EQ(Text(Catch<DataOutOfRange>([&] { b.Exec("ABORTCAL"); })), "Factory calibration channel out of range");
  EXPECT_EQ(b.engines[1].Items().Calls(), before);
}

TEST(Results, AValidReadingIsTrueOnlyWhenEveryEnabledChannelIsValid) {
  Bench b({1, 2});
  b.engines[1].Items().Assign("TXCALVALID", true);
  EXPECT_FALSE(b.cal().TxCalValid()->Get());
  b.engines[2].Items().Assign("TXCALVALID", true);
  EXPECT_TRUE(b.cal().TxCalValid()->Get());
  b.SetEnabled(0);
  EXPECT_FALSE(b.cal().TxCalValid()->Get()) << "no channel: no result";
}

// ---- beside the other activities -------------------------------------------------------------

// (Save and abort with no calibration active take nothing from another activity: the unit test.)
TEST(Overlap, ACalibrationLeavesAGroupAnotherActivityHeldToThatActivity) {
  Bench b({1});
  Locker other("other");
  CORBA::ULong key = 0;
  ASSERT_TRUE(b.mc.Group(LockGroup::DIAGTXOUTPUT).TryLock(other.Authority("mine", "Locked because mine"), key));
  b.Exec("STARTRXPULSECAL");
  EXPECT_EQ(b.mc.Group(LockGroup::DIAGTXOUTPUT).Reason(), "mine");
  b.Exec("SAVERXPULSECAL");
  EXPECT_TRUE(SameLocker(b.mc.Group(LockGroup::DIAGTXOUTPUT).Holder(), other.Id()));
  b.mc.Group(LockGroup::DIAGTXOUTPUT).Unlock(other.Id(), key);
  EXPECT_TRUE(b.AllFree());
}

TEST(Overlap, ASelfTestThatComesAndGoesLeavesTheCalibrationItsLocks) {
  Bench b({1});
  b.Exec("STARTRXCWCAL");
  b.mc.SelftestLocking()->lockForSelftestStart();
  EXPECT_EQ(b.cal().CalibrationButtonsLocked(), 13u) << "the last writer wins";
  b.mc.SelftestLocking()->unlockForSelftestStop();
  for (LockGroup g : kActivityGroups) {
    EXPECT_TRUE(b.HeldByMc(g)) << radalt::kLockGroupNames[static_cast<std::size_t>(g)];
    EXPECT_EQ(b.mc.Group(g).Reason(), "RX CW Calibration active");
  }
  EXPECT_TRUE(b.selftest->lock.IsLocked());
  b.Exec("SAVERXCWCAL");
  EXPECT_TRUE(b.AllFree());
  EXPECT_FALSE(b.selftest->lock.IsLocked());
}

TEST(Lifecycle, ResetAbortsAnActiveCalibrationAndAMasterControlGoesWhileAPollerRuns) {
  auto b = std::make_unique<Bench>(std::vector<int>{1}, EngineTiming(60s));
  b->Exec("STARTRXCWCAL");
  b->mc.Reset();
  EXPECT_FALSE(b->cal().Active());
  EXPECT_EQ(b->EngineNumber(1, "FACTORYCALRUNNING"), 0);
  b->Exec("STARTANALOGVARATTENCAL");
  // The poller runs for the calibration: the master control must stop and join it on its way
  // out (a poller left running would call into a destroyed calibration).
  ASSERT_TRUE(b->Flag("CHKANALOGVARATTENCALRUNNING"));
  b.reset();
}

// ---- a channel engine that is gone ------------------------------------------------------------

// The writer learns which channel failed: a raw middleware exception would tell the client that
// the master control itself cannot be reached.
TEST(GoneEngine, AStepSaveOrStartOnAKilledChannelNamesTheChannel) {
  Bench b({1, 2});
  b.Exec("STARTRXCWCAL");
  b.engines.Kill(1);
  auto namesChannel1 = [&](const std::function<void()>& write) {
    Connection_errors::Communications_failure gone;
    Output([&] { gone = Catch<Connection_errors::Communications_failure>(write); });
    EXPECT_NE(std::string::npos, std::string(gone.text.in()).find("Channel 1 engine not reached")) << gone.text.in();
  };
  namesChannel1([&] { b.Exec("DORXCWCALSTEP"); });
  namesChannel1([&] { b.Exec("SAVERXCWCAL"); });
  namesChannel1([&] { b.SetLong("TCXOCALDACVALUE", 3); });

  // The abort is told to the engines there are; the one gone is passed over.
  Output([&] { b.Exec("ABORTCAL"); });
  EXPECT_TRUE(b.AllFree());
  // A start on the gone channel takes nothing.
  namesChannel1([&] { b.Exec("STARTTCXOCAL"); });
  EXPECT_TRUE(b.AllFree());
  EXPECT_FALSE(b.cal().Active());
}

}  // namespace
