// The diagnostics against simulated channels: the settings, each switch's holds and button
// code (each switch against every other activity is in locks_test's table), the engines that
// come and go, Reset and recall.
#include <algorithm>
#include <thread>

#include "DiagnosticsObjects.h"
#include "SelftestLocking.h"
#include "UutBench.h"

using namespace uutbench;

namespace {

const LockGroup kRunGroups[] = {LockGroup::SIMRUN, LockGroup::ALTZERORUN, LockGroup::CALRUN};
const LockGroup kDiagGroups[] = {LockGroup::DIAGTXOUTPUT,          LockGroup::DIAGTXATTENOUTPUT,
                                 LockGroup::DIAGRXMEASURING,       LockGroup::DIAGLOOPBACKOUTPUT,
                                 LockGroup::DIAGLOOPBACKMEASURING, LockGroup::DIAGPASSTHRURUNNING};

// One switch as the maintenance screens see it.
struct SwitchCase {
  radalt::DiagSwitchRole role;
  const char* key;
  const char* reason;
  unsigned code;
};
const SwitchCase kSwitches[] = {
    {radalt::DiagSwitchRole::TxOutput, "DIAGOUTPUTSTATUS", "Diagnostics output is on", 10},
    {radalt::DiagSwitchRole::RxMeasuring, "DIAGRXMEASURING", "Receive Diagnostics measurements active", 11},
    {radalt::DiagSwitchRole::AttenOutput, "DIAGATTENOUTPUTSTATUS", "Diagnostics TX Atten output is on", 8},
    {radalt::DiagSwitchRole::LoopbackOutput, "DIAGLOOPBACKOUTPUTSTATUS", "Diagnostics loopback is on", 9},
    {radalt::DiagSwitchRole::LoopbackMeasuring, "DIAGLOOPBACKMEASURING", "Diagnostics loopback is on", 9},
    {radalt::DiagSwitchRole::PassthruRunning, "DIAGPASSTHRURUNNING", "Diagnostics passthrough is on", 15},
};

class Diagnostics : public ::testing::Test {
 protected:
  radalt::DiagnosticsObjects& diag() { return *b.mc.Find<radalt::DiagnosticsObjects>(); }
  void Switch(const char* key, bool on) { b.Attr<EngineAttribBoolean>(key)->Set(b.client.Id(), on); }
  bool On(const char* key) { return b.Attr<EngineAttribBoolean>(key)->Get(); }
  bool AllFree() {
    return std::all_of(std::begin(kRunGroups), std::end(kRunGroups), [&](LockGroup g) { return b.Free(g); }) &&
           std::all_of(std::begin(kDiagGroups), std::end(kDiagGroups), [&](LockGroup g) { return b.Free(g); });
  }

  Bench b{{1, 2, 3}};
};

}  // namespace

// ---- settings -----------------------------------------------------------------------------

TEST_F(Diagnostics, SettingsActOnChannelOneAndShowWhatItTook) {
  EngineAttribValueLong_var freq = b.Attr<EngineAttribValueLong>("DIAGOUTPUTFREQ");
  VALUE_LONG::VALUE f = freq->Get();
  f.val = 4250;
  freq->Set(b.client.Id(), f);
  EXPECT_EQ(4250, b.EngineNumber(1, "DIAGFREQ"));
  EXPECT_EQ(4300, b.EngineNumber(2, "DIAGFREQ"));
  EXPECT_EQ(4250, freq->Get().val);
  EXPECT_EQ(4400, b.Attr<EngineAttribValueLong>("DIAGOUTPUTFREQ")->GetParams().max);  // the engine's limits

  // A power the engine holds within a thousandth leaves the attribute as it was.
  EngineAttribValueDouble_var power = b.Attr<EngineAttribValueDouble>("DIAGOUTPUTPOWER");
  VALUE_DOUBLE::VALUE p = power->Get();
  const double shown = p.val;
  p.val = shown + 0.0004;
  power->Set(b.client.Id(), p);
  EXPECT_DOUBLE_EQ(shown + 0.0004, b.EngineNumber(1, "DIAGPWR"));
  EXPECT_DOUBLE_EQ(shown, power->Get().val);

  Velmarin::EngineAttribEnumParams_var modes = b.Attr<EngineAttribEnum>("DIAGMODE")->GetParams();
  EXPECT_EQ(3u, modes->length());
}

TEST_F(Diagnostics, WithoutAnEnabledChannelEveryWriteIsRefused) {
  b.SetEnabled(0);
  int checked = 0;
  auto refused = [&](const char* key) {
    SCOPED_TRACE(key);
    ++checked;
    Velmarin::EngineReadingBase_i* attr = b.mc.Gui().Local(key);
    ASSERT_NE(nullptr, attr);
    const Settings_Conflict e = Catch<Settings_Conflict>([&] {
      Output([&] {
        // The value as it is, written back through the attribute's own kind.
        if (auto* l = dynamic_cast<EngineAttribLong_i*>(attr)) return l->Set(b.client.Id(), l->Value());
        if (auto* n = dynamic_cast<EngineAttribEnum_i*>(attr)) return n->Set(b.client.Id(), n->Value());
        if (auto* v = dynamic_cast<EngineAttribValueLong_i*>(attr)) return v->Set(b.client.Id(), v->Value());
        if (auto* d = dynamic_cast<EngineAttribValueDouble_i*>(attr)) return d->Set(b.client.Id(), d->Value());
        if (auto* s = dynamic_cast<EngineAttribBoolean_i*>(attr)) return s->Set(b.client.Id(), true);
        ADD_FAILURE() << "unexpected kind";
      });
    });
    EXPECT_STREQ("No enabled channels", e.text.in());
  };
#define DIAG_SETTING(CLASS, KEY, ...) refused(KEY);
#include "DiagSettings.def"
#undef DIAG_SETTING
  for (const SwitchCase& s : kSwitches) refused(s.key);
  EXPECT_EQ(35, checked);
  const std::string line = Output([&] { EXPECT_THROW(Switch("DIAGATTENOUTPUTSTATUS", true), Settings_Conflict); });
  EXPECT_EQ(" DiagAttenOutputStatus::DiagAttenOutputStatusCallback throw Settings_Conflict:No enabled channels\n",
            line);
  const Settings_Conflict reading = Catch<Settings_Conflict>([&] { Output([&] { diag().diagLoopbackSPA->DiagLoopbackSPAAccess(); }); });
  EXPECT_STREQ("Channel 1 not enabled", reading.text.in());
}

TEST_F(Diagnostics, ReadingsAreChannelOnesAndMoveWhileTheirSwitchIsOn) {
  EngineReadingValueDouble_var rx = diag().diagRxPower->DiagRxPower();
  const double before = rx->Get().val;
  b.engines[1].Uut().Advance(0.3);
  EXPECT_EQ(before, rx->Get().val);
  Switch("DIAGRXMEASURING", true);
  b.engines[1].Uut().Advance(0.3);
  EXPECT_NE(before, rx->Get().val);
  Switch("DIAGRXMEASURING", false);
}

// ---- the switches (against each other and the other activities, and giving back every group:
// locks_test's table) ---------------------------------------------------------------------------

TEST_F(Diagnostics, EachSwitchTakesItsGroupsAndGivesBackWhatItTook) {
  for (const SwitchCase& s : kSwitches) {
    SCOPED_TRACE(s.key);
    const radalt::DiagSwitchRow& row = radalt::RowOf(s.role);
    Switch(s.key, true);
    ASSERT_TRUE(On(s.key));
    EXPECT_EQ(1, b.EngineNumber(1, s.key));
    for (LockGroup g : kRunGroups) EXPECT_EQ(s.reason, b.Reason(g));
    for (LockGroup g : row.locks) {
      EXPECT_EQ(s.reason, b.Reason(g));
      EXPECT_EQ(row.message, b.Message(g));
    }
    EXPECT_TRUE(b.Free(row.own));
    EXPECT_EQ(s.code, b.CalButtons());
    EXPECT_EQ(std::string("lock: ") + row.message, b.LastSelftestRequest());
    Switch(s.key, false);
    EXPECT_FALSE(On(s.key));
    EXPECT_EQ(0, b.EngineNumber(1, s.key));
    EXPECT_EQ(0u, b.CalButtons());
    EXPECT_EQ("unlock", b.LastSelftestRequest());
  }
  // The loopback switches share their groups: the buttons keep their code until both are off.
  Switch("DIAGLOOPBACKOUTPUTSTATUS", true);
  Switch("DIAGLOOPBACKMEASURING", true);
  Switch("DIAGLOOPBACKOUTPUTSTATUS", false);
  EXPECT_EQ(9u, b.CalButtons());
}

TEST_F(Diagnostics, SwitchingOnTwiceMovesNothingMoreAndOffWhenOffMovesNothing) {
  Switch("DIAGPASSTHRURUNNING", true);
  b.mc.CalibrationObj()->setCalibrationButtonsLocked(13);  // someone else wrote the buttons since
  Switch("DIAGPASSTHRURUNNING", true);
  EXPECT_EQ(13u, b.CalButtons());
  Switch("DIAGPASSTHRURUNNING", false);
  EXPECT_TRUE(AllFree());

  b.mc.CalibrationObj()->setCalibrationButtonsLocked(12);
  Switch("DIAGPASSTHRURUNNING", false);
  EXPECT_EQ(12u, b.CalButtons());
}

TEST_F(Diagnostics, ARunRefusesASwitchReachedDirectlyAndASwitchOnInTheSettleBlocksTheNextRun) {
  EngineAttribBoolean_var run = b.Attr<EngineAttribBoolean>("RUNSTOPTEST");
  run->Set(b.client.Id(), true);
  // A switch reached without the lock layer (as Reset reaches it) is refused all the same.
  const std::string line = Output([&] { EXPECT_THROW(diag().diagOutputStatus->DiagOutputStatusCallback(1), Locking_Error); });
  EXPECT_EQ(" DIAG_OUTPUT_STATUS::DiagOutputStatusCallback throw Locking_Error_Exception\n", line);

  // Stop; while the run button settles, the transmit output goes on.
  std::thread stopper([&] { run->Set(b.client.Id(), false); });
  EXPECT_TRUE(Eventually([&] { return b.Free(LockGroup::DIAGTXOUTPUT); }));
  Switch("DIAGOUTPUTSTATUS", true);
  stopper.join();  // the settle is over
  EXPECT_STREQ("Diagnostics output is on", Catch<Locking_Error>([&] { run->Set(b.client.Id(), true); }).reason.in());
  EXPECT_FALSE(run->Get());
  Switch("DIAGOUTPUTSTATUS", false);
  EXPECT_TRUE(AllFree());
}

TEST_F(Diagnostics, AnEngineItemHeldByAnotherClientRefusesTheSwitchAndNothingIsTaken) {
  b.EngineItem<EngineAttribBoolean>(1, "DIAGPASSTHRURUNNING")
      ->Lock(b.other.Authority("Bench test", "Locked because the bench holds it"));
  const Locking_Error e = Catch<Locking_Error>([&] { Output([&] { Switch("DIAGPASSTHRURUNNING", true); }); });
  EXPECT_STREQ("other", e.holder.in());
  EXPECT_STREQ("Bench test", e.reason.in());
  EXPECT_STREQ("Locked because the bench holds it", e.message.in());
  EXPECT_FALSE(On("DIAGPASSTHRURUNNING"));
  EXPECT_TRUE(AllFree());
  EXPECT_EQ(0u, b.CalButtons());
}

// ---- channels that come and go; reset --------------------------------------------------------

TEST_F(Diagnostics, ASwitchCanBeTurnedOffWithNoChannelEnabled) {
  Switch("DIAGATTENOUTPUTSTATUS", true);
  b.SetEnabled(0);
  Switch("DIAGATTENOUTPUTSTATUS", false);
  EXPECT_EQ(0, b.EngineNumber(1, "DIAGATTENOUTPUTSTATUS"));
  EXPECT_TRUE(AllFree());
}

TEST_F(Diagnostics, AnEngineLeavingTakesItsOutputAndLocksWithIt) {
  Switch("DIAGPASSTHRURUNNING", true);
  Output([&] { b.mc.RemoveRadAltSc(1); });
  EXPECT_FALSE(On("DIAGPASSTHRURUNNING"));
  EXPECT_TRUE(AllFree());
  EXPECT_EQ(0u, b.CalButtons());
}

TEST_F(Diagnostics, AfterChannelOneRestartsEverySettingAndSwitchReachesTheNewEngine) {
  Switch("DIAGLOOPBACKMEASURING", true);
  // The engine restarts without the master control hearing it go: the new one knows of no output.
  b.engines.Add(1);
  Output([&] { b.mc.RadAltDDS_SubCallback("Lumaren/local/RADALTSC", "create,1"); });
  b.Attr<EngineAttribLong>("DIAGLOOPBACKTX1RAW")->Set(b.client.Id(), 12);
  EXPECT_EQ(12, b.EngineNumber(1, "DIAGLOOPBACKTX1RAW"));
  Switch("DIAGLOOPBACKMEASURING", false);
  EXPECT_FALSE(On("DIAGLOOPBACKMEASURING"));
  EXPECT_TRUE(AllFree());
  Switch("DIAGOUTPUTSTATUS", true);
  EXPECT_EQ(1, b.EngineNumber(1, "DIAGOUTPUTSTATUS"));
  Switch("DIAGOUTPUTSTATUS", false);
}

TEST_F(Diagnostics, ResetSwitchesEveryOutputOffThePassthroughToo) {
  Switch("DIAGPASSTHRURUNNING", true);
  b.Attr<EngineAttribLong>("DIAGPASSTHRUTX0RAW")->Set(b.client.Id(), 5);
  Output([&] { b.mc.Reset(); });
  EXPECT_FALSE(On("DIAGPASSTHRURUNNING"));
  EXPECT_EQ(0, b.EngineNumber(1, "DIAGPASSTHRURUNNING"));
  EXPECT_TRUE(AllFree());
  EXPECT_EQ(63, b.EngineNumber(1, "DIAGPASSTHRUTX0RAW"));
  EXPECT_EQ(63, b.Attr<EngineAttribLong>("DIAGPASSTHRUTX0RAW")->Get());
}

TEST_F(Diagnostics, ARecallSwitchesEveryOutputOffAndOneItsEngineKeepsOnDoesNotKeepTheOthersOn) {
  // The settings recalled are the ones of now (three channels enabled).
  b.mc.Save(("radaltmc_settings" + std::to_string(b.mc.InstanceNum())).c_str(), 0);
  Switch("DIAGPASSTHRURUNNING", true);
  Output([&] { b.mc.RecallMCSettings(); });
  EXPECT_FALSE(On("DIAGPASSTHRURUNNING"));
  EXPECT_EQ(0, b.EngineNumber(1, "DIAGPASSTHRURUNNING"));
  EXPECT_TRUE(AllFree());
  EXPECT_EQ(0u, b.CalButtons());

  // Both loopback switches on; the engine keeps measuring on (another locker holds it).
  Switch("DIAGLOOPBACKOUTPUTSTATUS", true);
  Switch("DIAGLOOPBACKMEASURING", true);
  Velmarin::Locker holder("holder");
  CORBA::ULong key = 0;
  ASSERT_TRUE(b.engines[1].Items().Servant("DIAGLOOPBACKMEASURING").TryLock(holder.Authority("r", "m"), key));
  const std::string out = Output([&] { b.mc.RecallMCSettings(); });
  EXPECT_NE(std::string::npos, out.find(" DiagnosticsSubsystem: DIAGLOOPBACKMEASURING not switched off on recall"));
  EXPECT_FALSE(On("DIAGLOOPBACKOUTPUTSTATUS"));
  EXPECT_EQ(0, b.EngineNumber(1, "DIAGLOOPBACKOUTPUTSTATUS"));
  // What stays on is shown on and keeps its holds and the buttons' code.
  EXPECT_TRUE(On("DIAGLOOPBACKMEASURING"));
  EXPECT_FALSE(b.Free(LockGroup::DIAGPASSTHRURUNNING));
  EXPECT_EQ(9u, b.CalButtons());
  b.engines[1].Items().Servant("DIAGLOOPBACKMEASURING").Unlock(holder.Id(), key);
  Switch("DIAGLOOPBACKMEASURING", false);
  EXPECT_TRUE(AllFree());
}
