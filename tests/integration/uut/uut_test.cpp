// UUT identification, readings and display, and the diagnostics, against simulated channels:
// the detection mode and the locks it moves, the UUT type, the readings of every channel, the
// units and display modes; the diagnostic settings, each switch's holds and button code (each
// switch against every other activity is in locks_test's table), the engines that come and
// go, and every way the outputs go off.
#include <algorithm>
#include <functional>
#include <thread>

#include "../../support/TestSet.h"
#include "CALIBRATION.h"
#include "DiagnosticsObjects.h"
#include "SelftestLocking.h"
#include "UutObjects.h"

using namespace Velmarin;
using radalt::LockGroup;
using Operation_errors::Locking_Error;
using Operation_errors::Settings_Conflict;

namespace {

const char* const kStartupMessage =
    "Locked because auto uut detect mode is selected - the test set is automatically detecting the type of the "
    "Altimeter. To manually select the Altimeter type, change the uut detect mode from Auto to Manual";
const char* const kChangedMessage =
    "Locked because auto uut detect mode is selected - the test set is automatically detecting the type of the "
    "Altimeter. To manually select the Altimeter type, change the Uut Detect Mode from Auto to Manual";

// The groups a diagnostic output holds: the runs' first, then the diagnostics'.
const LockGroup kHeldGroups[] = {LockGroup::SIMRUN,          LockGroup::ALTZERORUN,         LockGroup::CALRUN,
                                 LockGroup::DIAGTXOUTPUT,    LockGroup::DIAGTXATTENOUTPUT,  LockGroup::DIAGRXMEASURING,
                                 LockGroup::DIAGLOOPBACKOUTPUT, LockGroup::DIAGLOOPBACKMEASURING,
                                 LockGroup::DIAGPASSTHRURUNNING};

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

// The test set with a UUT to plug in (engine clocks stopped, so a test moves the readings
// itself) and the platform's self-test engine lock.
class Maintenance : public ::testing::Test {
 protected:
  radalt::UutObjects& uut() { return *b.mc.Find<radalt::UutObjects>(); }
  radalt::DiagnosticsObjects& diag() { return *b.mc.Find<radalt::DiagnosticsObjects>(); }
  void Detect(int mode) { b.SetInt("UUTDETECT", mode); }
  bool TypeGroupsHeld() { return !b.Free(LockGroup::UUT_TYPE) && !b.Free(LockGroup::UUT_CDF_SUB_TYPE); }
  void Switch(const char* key, bool on) { b.SetBool(key, on); }
  bool On(const char* key) { return b.Attr<EngineAttribBoolean>(key)->Get(); }
  bool AllFree() {
    return std::all_of(std::begin(kHeldGroups), std::end(kHeldGroups), [&](LockGroup g) { return b.Free(g); });
  }
  unsigned CalButtons() { return b.mc.CalibrationObj()->CalibrationButtonsLocked(); }
  void SaveSettings() { b.mc.Save(("radaltmc_settings" + std::to_string(b.mc.InstanceNum())).c_str(), 0); }
  // The text call is refused with (what it logs swallowed).
  template <class F>
  std::string Refusal(F&& call) {
    return Catch<Settings_Conflict>([&] { Output(call); }).text.in();
  }

  testset::Bench b{{{1, 2, 3}, testset::Stopped(), true}};
};
class Uut : public Maintenance {};
class Diagnostics : public Maintenance {};

}  // namespace

// ---- detection and type ---------------------------------------------------------------------

TEST_F(Uut, TheTypeLocksFollowTheDetectionModeFromConstructionOnAndTheTypeIsTakenInManualOnly) {
  ASSERT_TRUE(TypeGroupsHeld());  // the engines start in automatic detection
  EXPECT_EQ("Auto uut detect mode", b.Reason(LockGroup::UUT_TYPE));
  EXPECT_EQ(kStartupMessage, b.Message(LockGroup::UUT_CDF_SUB_TYPE));
  EngineAttribEnum_var type = b.Attr<EngineAttribEnum>("UUTTYPE");
  EXPECT_THROW(type->Set(b.client.Id(), 2), Locking_Error);  // with the group's texts: locks_test
  EXPECT_EQ(0, b.EngineNumber(1, "UUTTYPE"));

  Detect(1);
  EXPECT_TRUE(b.Free(LockGroup::UUT_TYPE) && b.Free(LockGroup::UUT_CDF_SUB_TYPE));
  type->Set(b.client.Id(), 4);
  b.SetInt("UUTCDFSUBTYPE", 1);
  for (int ch = 1; ch <= 3; ++ch) {
    EXPECT_EQ(1, b.EngineNumber(ch, "UUTDETECT")) << ch;
    EXPECT_EQ(4, b.EngineNumber(ch, "UUTTYPE")) << ch;
    EXPECT_EQ(1, b.EngineNumber(ch, "UUTCDFSUBTYPE")) << ch;
  }
  EXPECT_EQ(4, type->Get());
  Detect(0);
  EXPECT_TRUE(TypeGroupsHeld());
  EXPECT_EQ(kChangedMessage, b.Message(LockGroup::UUT_TYPE));

  // Writing automatic again reaches the engines and moves nothing.
  b.EngineItem<EngineAttribEnum>(3, "UUTDETECT")->Set(b.other.Id(), 1);
  Detect(0);
  EXPECT_EQ(0, b.EngineNumber(3, "UUTDETECT"));
  EXPECT_EQ(kChangedMessage, b.Message(LockGroup::UUT_TYPE));
}

TEST(UutConstruction, AMasterControlBuiltInManualDetectionLeavesTheTypeFree) {
  testset::SimulatedChannels manual({1}, testset::SimulatedChannels::Options(testset::Stopped()));
  manual[1].Items().Assign("UUTDETECT", 1);
  RADALT_MC mc(TestConfig(FreshTestRoot("uut")));
  EXPECT_FALSE(mc.Group(LockGroup::UUT_TYPE).IsLocked());
  EXPECT_FALSE(mc.Group(LockGroup::UUT_CDF_SUB_TYPE).IsLocked());
}

// A written or recalled type shows what the engines detect, not what was written or stored.
TEST_F(Uut, TheTypeShownIsTheOneTheEnginesDetectAndARecallKeepsTheLocksWithTheMode) {
  // Automatic detection: the engines accept a written type and keep the one they detected.
  uut().uutType->UutTypeCallback(2);
  EXPECT_EQ(0, uut().uutType->Value());
  EXPECT_EQ(0, b.EngineNumber(3, "UUTTYPE"));
  for (int ch = 1; ch <= 3; ++ch) b.engines[ch].Uut().Plug(3, 0);
  uut().uutType->UutTypeCallback(2);
  EXPECT_EQ(3, uut().uutType->Value());
  EXPECT_TRUE(TypeGroupsHeld());

  Detect(1);
  b.SetInt("UUTTYPE", 2);
  // The stored values are those at first start-up: automatic detection, type 0.
  uut().uutAutodetect->RecallUutAutodetect();
  EXPECT_EQ(0, uut().uutAutodetect->Value());
  EXPECT_TRUE(TypeGroupsHeld());
  for (int ch = 1; ch <= 3; ++ch) b.engines[ch].Uut().Plug(1, 0);
  uut().uutType->RecallUutType();
  EXPECT_EQ(1, uut().uutType->Value());
}

// ---- measurement readings -------------------------------------------------------------------

TEST_F(Uut, EachReadingChecksItsChannelAndHandsOutItsEngineItem) {
  b.SetEnabled(2);
  radalt::UutReadingObjects& r = *uut().readings;
  int checked = 0;
  // The topic an item publishes on; the reference is released.
  auto Topic = [](auto item) {
    const std::string topic = CORBA::String_var(item->DDS_Topic()).in();
    CORBA::release(item);
    return topic;
  };
  // Every getter of the table: channel 3 refused, channels 1 and 2 their own engine's item.
  auto expect = [&](auto* reading, auto getter, auto engineOp, int ch, const char* name) {
    SCOPED_TRACE(name);
    ++checked;
    if (ch == 3) {
      EXPECT_EQ("Channel 3 not enabled", Refusal([&] { (reading->*getter)(); }));
      return;
    }
    EXPECT_EQ(Topic((b.engines[ch].*engineOp)()), Topic((reading->*getter)()));
  };
  using Sc = radaltsim::ScEngine_i;
#define CASE(CLASS, GETTER, OP, CH) \
  expect(r.m_##CLASS##_CHAN##CH.get(), &CLASS##_CHAN##CH::GETTER##Chan##CH, &Sc::OP, CH, #CLASS "_CHAN" #CH);
#define CASES_1(CLASS, GETTER, OP) CASE(CLASS, GETTER, OP, 1)
#define CASES_3(CLASS, GETTER, OP) CASES_1(CLASS, GETTER, OP) CASE(CLASS, GETTER, OP, 2) CASE(CLASS, GETTER, OP, 3)
#define UUT_READING(CLASS, GETTER, FETCH, IFACE, N) CASES_##N(CLASS, GETTER, GETTER)
#include "UutReadings.def"
#undef UUT_READING
  EXPECT_EQ(84, checked);
  // Without an enabled channel even channel 1 is refused.
  b.SetEnabled(0);
  EXPECT_EQ("Channel 1 not enabled", Refusal([&] { uut().readings->m_UUT_PRF_CHAN1->UUTPRFChan1(); }));
}

// (The type-3 sweep-rate reading: remote_test; what a plugged unit's readings do while a ramp
// runs: uut_model_test.)

// ---- display modes and units ----------------------------------------------------------------

TEST_F(Uut, UnitsAndDisplayModesReachEveryEnabledChannelAndThePowerDisplayModeIsAlwaysLocked) {
  for (const char* key : {"ALTUNITS", "DISTUNITS", "FREQDISPLAYMODE", "PROFILEDISPLAYUNITS"}) {
    SCOPED_TRACE(key);
    EngineAttribEnum_var attr = b.Attr<EngineAttribEnum>(key);
    attr->Set(b.client.Id(), 1);
    EXPECT_EQ(1, attr->Get());
    for (int ch = 1; ch <= 3; ++ch) EXPECT_EQ(1, b.EngineNumber(ch, key)) << ch;
  }
  // The labels are the engine's.
  Velmarin::EngineAttribEnumParams_var labels = b.Attr<EngineAttribEnum>("ALTUNITS")->GetParams();
  ASSERT_EQ(2u, labels->length());
  EXPECT_STREQ("Metres", labels[1].label.in());

  const Locking_Error e = Catch<Locking_Error>([&] { b.SetInt("POWERDISPLAYMODE", 1); });
  EXPECT_STREQ("Currently always locked on Tarvik", e.reason.in());
  EXPECT_STREQ("", e.message.in());
  EXPECT_EQ(0, b.EngineNumber(1, "POWERUNITS"));
}

// ---- a setting of every channel that one engine does not take ---------------------------------

// Another client holds one engine's item: the writer gets its texts and is told which channels
// took the value; the engines from it on keep theirs, and the attribute shows the engine its row
// reads back (the path's mechanics: setting_write_test).
TEST_F(Uut, ASettingOneEngineRefusesNamesTheChannelsThatTookIt) {
  const struct {
    const char *key, *engineKey;
    int value, shown;  // shown: the attribute afterwards
  } kCases[] = {
      {"CDFALTCORRECTION", "CDFALTCORR", 0, 1},  // shown from the last channel: what its engine kept
      {"ALTUNITS", "ALTUNITS", 1, 1},            // shown from channel 1: what it took
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.key);
    const int before = static_cast<int>(b.EngineNumber(2, c.engineKey));
    b.EngineItem<EngineAttribEnum>(2, c.engineKey)->Lock(b.other.Authority("held", "Locked because held"));
    Locking_Error e;
    Output([&] { e = Catch<Locking_Error>([&] { b.SetInt(c.key, c.value); }); });
    EXPECT_STREQ("held", e.reason.in());
    EXPECT_STREQ("other", e.holder.in());
    EXPECT_STREQ("Locked because held (taken by channel 1; not taken by channels 2, 3)", e.message.in());
    EXPECT_EQ(c.value, b.EngineNumber(1, c.engineKey));
    for (int ch = 2; ch <= 3; ++ch) EXPECT_EQ(before, b.EngineNumber(ch, c.engineKey)) << ch;
    EXPECT_EQ(c.shown, b.Attr<EngineAttribEnum>(c.key)->Get());
  }
}

// ---- the settings, UUT and diagnostic alike, without an enabled channel --------------------------

TEST_F(Maintenance, WithoutAnEnabledChannelEveryWriteIsRefused) {
  Detect(1);  // the type groups free, so that a write reaches the handlers
  b.SetEnabled(0);
  int checked = 0;
  auto refused = [&](const char* key) {
    SCOPED_TRACE(key);
    ++checked;
    Velmarin::EngineReadingBase_i* attr = b.mc.Gui().Local(key);
    ASSERT_NE(nullptr, attr);
    EXPECT_EQ("No enabled channels", Refusal([&] {
      // The value as it is, written back through the attribute's own kind.
      if (auto* l = dynamic_cast<EngineAttribLong_i*>(attr)) return l->Set(b.client.Id(), l->Value());
      if (auto* n = dynamic_cast<EngineAttribEnum_i*>(attr)) return n->Set(b.client.Id(), n->Value());
      if (auto* v = dynamic_cast<EngineAttribValueLong_i*>(attr)) return v->Set(b.client.Id(), v->Value());
      if (auto* d = dynamic_cast<EngineAttribValueDouble_i*>(attr)) return d->Set(b.client.Id(), d->Value());
      if (auto* s = dynamic_cast<EngineAttribBoolean_i*>(attr)) return s->Set(b.client.Id(), true);
      ADD_FAILURE() << "unexpected kind";
    }));
  };
  for (const char* key : {"UUTDETECT", "UUTTYPE", "UUTCDFSUBTYPE", "CDFALTCORRECTION", "ALTUNITS", "DISTUNITS",
                          "FREQDISPLAYMODE", "PROFILEDISPLAYUNITS"})
    refused(key);
#define DIAG_SETTING(CLASS, KEY, ...) refused(KEY);
#include "DiagSettings.def"
#undef DIAG_SETTING
  for (const SwitchCase& s : kSwitches) refused(s.key);
  EXPECT_EQ(43, checked);
  EXPECT_EQ("Channel 1 not enabled", Refusal([&] { diag().diagLoopbackSPA->DiagLoopbackSPAAccess(); }));
}

// ---- diagnostic settings and readings ---------------------------------------------------------

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
  const double shown = power->Get().val;
  b.SetDouble("DIAGOUTPUTPOWER", shown + 0.0004);
  EXPECT_DOUBLE_EQ(shown + 0.0004, b.EngineNumber(1, "DIAGPWR"));
  EXPECT_DOUBLE_EQ(shown, power->Get().val);

  Velmarin::EngineAttribEnumParams_var modes = b.Attr<EngineAttribEnum>("DIAGMODE")->GetParams();
  EXPECT_EQ(3u, modes->length());
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
    for (LockGroup g : {LockGroup::SIMRUN, LockGroup::ALTZERORUN, LockGroup::CALRUN}) EXPECT_EQ(s.reason, b.Reason(g));
    for (LockGroup g : row.locks) {
      EXPECT_EQ(s.reason, b.Reason(g));
      EXPECT_EQ(row.message, b.Message(g));
    }
    EXPECT_TRUE(b.Free(row.own));
    EXPECT_EQ(s.code, CalButtons());
    EXPECT_EQ(std::string("lock: ") + row.message, b.LastSelftestRequest());
    Switch(s.key, false);
    EXPECT_FALSE(On(s.key));
    EXPECT_EQ(0, b.EngineNumber(1, s.key));
    EXPECT_EQ(0u, CalButtons());
    EXPECT_EQ("unlock", b.LastSelftestRequest());
  }
  // The loopback switches share their groups: the buttons keep their code until both are off.
  Switch("DIAGLOOPBACKOUTPUTSTATUS", true);
  Switch("DIAGLOOPBACKMEASURING", true);
  Switch("DIAGLOOPBACKOUTPUTSTATUS", false);
  EXPECT_EQ(9u, CalButtons());
}

TEST_F(Diagnostics, SwitchingOnTwiceMovesNothingMoreAndOffWhenOffMovesNothing) {
  Switch("DIAGPASSTHRURUNNING", true);
  b.mc.CalibrationObj()->setCalibrationButtonsLocked(13);  // someone else wrote the buttons since
  Switch("DIAGPASSTHRURUNNING", true);
  EXPECT_EQ(13u, CalButtons());
  Switch("DIAGPASSTHRURUNNING", false);
  EXPECT_TRUE(AllFree());

  b.mc.CalibrationObj()->setCalibrationButtonsLocked(12);
  Switch("DIAGPASSTHRURUNNING", false);
  EXPECT_EQ(12u, CalButtons());
}

TEST_F(Diagnostics, ARunRefusesASwitchReachedDirectlyAndASwitchOnInTheSettleBlocksTheNextRun) {
  EngineAttribBoolean_var run = b.Attr<EngineAttribBoolean>("RUNSTOPTEST");
  run->Set(b.client.Id(), true);
  // A switch reached without the lock layer (as Reset reaches it) is refused all the same.
  const std::string line =
      Output([&] { EXPECT_THROW(diag().diagOutputStatus->DiagOutputStatusCallback(1), Locking_Error); });
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
  EXPECT_EQ(0u, CalButtons());
}

// ---- every way an output goes off; channels that come and go ----------------------------------

// Each way switches the output off at the engine and gives back what it took, whichever output
// is on (the passthrough too).
TEST_F(Diagnostics, ResetRecallFactoryDefaultAndChannelsLostSwitchEveryOutputOff) {
  SaveSettings();  // what the recall brings back: the settings of now
  b.SetLong("DIAGPASSTHRUTX0RAW", 5);
  const std::pair<const char*, std::function<void()>> kWays[] = {
      {"reset", [&] { b.mc.Reset(); }},
      {"recall", [&] { b.mc.RecallMCSettings(); }},
      {"factory default", [&] { b.Exec("CH1FACTORYDEFAULT"); }},
  };
  for (const auto& [way, act] : kWays) {
    for (const char* key : {"DIAGPASSTHRURUNNING", "DIAGLOOPBACKOUTPUTSTATUS"}) {
      SCOPED_TRACE(std::string(way) + ": " + key);
      Switch(key, true);
      Output(act);
      EXPECT_FALSE(On(key));
      EXPECT_EQ(0, b.EngineNumber(1, key));
      EXPECT_TRUE(AllFree());
      EXPECT_EQ(0u, CalButtons());
    }
  }
  // The reset gave the settings their start-up values.
  EXPECT_EQ(63, b.EngineNumber(1, "DIAGPASSTHRUTX0RAW"));
  EXPECT_EQ(63, b.Attr<EngineAttribLong>("DIAGPASSTHRUTX0RAW")->Get());

  // An output can be switched off with no channel enabled.
  Switch("DIAGATTENOUTPUTSTATUS", true);
  b.SetEnabled(0);
  Switch("DIAGATTENOUTPUTSTATUS", false);
  EXPECT_EQ(0, b.EngineNumber(1, "DIAGATTENOUTPUTSTATUS"));
  EXPECT_TRUE(AllFree());
  // Channel 1's engine leaving takes its output and holds with it.
  b.SetEnabled(3);
  Switch("DIAGPASSTHRURUNNING", true);
  Output([&] { b.mc.RemoveRadAltSc(1); });
  EXPECT_FALSE(On("DIAGPASSTHRURUNNING"));
  EXPECT_TRUE(AllFree());
  EXPECT_EQ(0u, CalButtons());
}

TEST_F(Diagnostics, ARecallLeavesOnWhatItsEngineKeepsOnWithItsHoldsAndNothingElse) {
  SaveSettings();
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
  EXPECT_EQ(9u, CalButtons());
  b.engines[1].Items().Servant("DIAGLOOPBACKMEASURING").Unlock(holder.Id(), key);
  Switch("DIAGLOOPBACKMEASURING", false);
  EXPECT_TRUE(AllFree());
}

TEST_F(Diagnostics, AfterChannelOneRestartsEverySettingAndSwitchReachesTheNewEngine) {
  Switch("DIAGLOOPBACKMEASURING", true);
  // The engine restarts without the master control hearing it go: the new one knows of no output.
  b.engines.Add(1);
  b.Announce("create,1");
  b.SetLong("DIAGLOOPBACKTX1RAW", 12);
  EXPECT_EQ(12, b.EngineNumber(1, "DIAGLOOPBACKTX1RAW"));
  Switch("DIAGLOOPBACKMEASURING", false);
  EXPECT_FALSE(On("DIAGLOOPBACKMEASURING"));
  EXPECT_TRUE(AllFree());
  Switch("DIAGOUTPUTSTATUS", true);
  EXPECT_EQ(1, b.EngineNumber(1, "DIAGOUTPUTSTATUS"));
  Switch("DIAGOUTPUTSTATUS", false);
}
