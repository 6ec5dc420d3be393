// UUT identification, readings and display against simulated channels: the detection mode and
// the locks it moves, the UUT type, the readings of every channel, the units and display modes.
#include "UutBench.h"
#include "UutObjects.h"

using namespace uutbench;

namespace {

const char* const kAutoReason = "Auto uut detect mode";
const char* const kStartupMessage =
    "Locked because auto uut detect mode is selected - the test set is automatically detecting the type of the "
    "Altimeter. To manually select the Altimeter type, change the uut detect mode from Auto to Manual";
const char* const kChangedMessage =
    "Locked because auto uut detect mode is selected - the test set is automatically detecting the type of the "
    "Altimeter. To manually select the Altimeter type, change the Uut Detect Mode from Auto to Manual";

class Uut : public ::testing::Test {
 protected:
  radalt::UutObjects& uut() { return *b.mc.Find<radalt::UutObjects>(); }
  void Detect(int mode) { b.Attr<EngineAttribEnum>("UUTDETECT")->Set(b.client.Id(), mode); }
  bool TypeGroupsHeld() { return !b.Free(LockGroup::UUT_TYPE) && !b.Free(LockGroup::UUT_CDF_SUB_TYPE); }
  bool TypeGroupsFree() { return b.Free(LockGroup::UUT_TYPE) && b.Free(LockGroup::UUT_CDF_SUB_TYPE); }

  Bench b{{1, 2, 3}};
};

}  // namespace

// ---- detection and type ---------------------------------------------------------------------

TEST_F(Uut, TheTypeLocksFollowTheDetectionModeFromConstructionOn) {
  ASSERT_TRUE(TypeGroupsHeld());  // the engines start in automatic detection
  EXPECT_EQ(kAutoReason, b.Reason(LockGroup::UUT_TYPE));
  EXPECT_EQ(kStartupMessage, b.Message(LockGroup::UUT_CDF_SUB_TYPE));

  Detect(1);
  EXPECT_TRUE(TypeGroupsFree());
  for (int ch = 1; ch <= 3; ++ch) EXPECT_EQ(1, b.EngineNumber(ch, "UUTDETECT")) << ch;
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

TEST_F(Uut, TheTypeIsRefusedInAutomaticDetectionAndTakenInManual) {
  EngineAttribEnum_var type = b.Attr<EngineAttribEnum>("UUTTYPE");
  EXPECT_THROW(type->Set(b.client.Id(), 2), Locking_Error);  // with the group's texts: locks_test
  EXPECT_EQ(0, b.EngineNumber(1, "UUTTYPE"));

  Detect(1);
  type->Set(b.client.Id(), 4);
  b.Attr<EngineAttribEnum>("UUTCDFSUBTYPE")->Set(b.client.Id(), 1);
  for (int ch = 1; ch <= 3; ++ch) {
    EXPECT_EQ(4, b.EngineNumber(ch, "UUTTYPE")) << ch;
    EXPECT_EQ(1, b.EngineNumber(ch, "UUTCDFSUBTYPE")) << ch;
  }
  EXPECT_EQ(4, type->Get());
}

TEST_F(Uut, AWrittenTypeTheEnginesIgnoreLeavesTheAttributeAndShowsWhatTheyDetect) {
  // Automatic detection: the engines accept a written type and keep the one they detected.
  uut().uutType->UutTypeCallback(2);
  EXPECT_EQ(0, uut().uutType->Value());
  EXPECT_EQ(0, b.EngineNumber(3, "UUTTYPE"));
  EXPECT_TRUE(TypeGroupsHeld());
  for (int ch = 1; ch <= 3; ++ch) b.engines[ch].Uut().Plug(3, 0);
  uut().uutType->UutTypeCallback(2);
  EXPECT_EQ(3, uut().uutType->Value());
  EXPECT_TRUE(TypeGroupsHeld());
}

TEST_F(Uut, EverySettingIsRefusedWithoutAnEnabledChannel) {
  Detect(1);  // the type groups free, so that a write reaches the handlers
  b.SetEnabled(0);
  for (const char* key : {"UUTDETECT", "UUTTYPE", "UUTCDFSUBTYPE", "CDFALTCORRECTION", "ALTUNITS", "DISTUNITS",
                          "FREQDISPLAYMODE", "PROFILEDISPLAYUNITS"}) {
    SCOPED_TRACE(key);
    Velmarin::EngineReadingBase_i* attr = b.mc.Gui().Local(key);
    ASSERT_NE(nullptr, attr);
    auto* setting = dynamic_cast<Velmarin::EngineAttribEnum_i*>(attr);
    ASSERT_NE(nullptr, setting);
    const Settings_Conflict e = Catch<Settings_Conflict>([&] { Output([&] { setting->Set(NoLock(), 1); }); });
    EXPECT_STREQ("No enabled channels", e.text.in());
  }
}

TEST_F(Uut, ARecallWritesReadsBackAndKeepsTheLocksWithTheMode) {
  Detect(1);
  b.Attr<EngineAttribEnum>("UUTTYPE")->Set(b.client.Id(), 2);
  // The stored values are those at first start-up: automatic detection, type 0.
  uut().uutAutodetect->RecallUutAutodetect();
  EXPECT_EQ(0, uut().uutAutodetect->Value());
  EXPECT_TRUE(TypeGroupsHeld());
  for (int ch = 1; ch <= 3; ++ch) b.engines[ch].Uut().Plug(1, 0);
  uut().uutType->RecallUutType();
  EXPECT_EQ(1, uut().uutType->Value());  // what the engines detect, not what was stored
}

// ---- measurement readings -------------------------------------------------------------------

TEST_F(Uut, EachReadingChecksItsChannelAndHandsOutItsEngineItem) {
  b.SetEnabled(2);
  radalt::UutReadingObjects& r = *uut().readings;
  int checked = 0;
  // Every getter of the table: channel 3 refused, channels 1 and 2 their own engine's item.
  auto expect = [&](auto* reading, auto getter, auto engineOp, int ch, const char* name) {
    SCOPED_TRACE(name);
    ++checked;
    if (ch == 3) {
      const Settings_Conflict e = Catch<Settings_Conflict>([&] { Output([&] { (reading->*getter)(); }); });
      EXPECT_STREQ("Channel 3 not enabled", e.text.in());
      return;
    }
    auto got = (reading->*getter)();
    auto want = (b.engines[ch].*engineOp)();
    CORBA::String_var gotTopic = got->DDS_Topic(), wantTopic = want->DDS_Topic();
    EXPECT_STREQ(wantTopic.in(), gotTopic.in());
    CORBA::release(got);
    CORBA::release(want);
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
  const Settings_Conflict e =
      Catch<Settings_Conflict>([&] { Output([&] { uut().readings->m_UUT_PRF_CHAN1->UUTPRFChan1(); }); });
  EXPECT_STREQ("Channel 1 not enabled", e.text.in());
}

// (The type-3 sweep-rate reading: remote_test; what a plugged unit's readings do while a ramp
// runs: uut_model_test.)

// ---- display modes and units ----------------------------------------------------------------

TEST_F(Uut, UnitsAndDisplayModesReachEveryEnabledChannel) {
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
}

TEST_F(Uut, ThePowerDisplayModeIsAlwaysLockedForClients) {
  const Locking_Error e =
      Catch<Locking_Error>([&] { b.Attr<EngineAttribEnum>("POWERDISPLAYMODE")->Set(b.client.Id(), 1); });
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
    const char *key, *engineKey, *log;
    int value, shown;  // shown: the attribute afterwards
  } kCases[] = {
      // Shown from the last channel: what its engine kept.
      {"CDFALTCORRECTION", "CDFALTCORR", " CdfAltCorrection::CdfAltCorrCallback", 0, 1},
      // Shown from channel 1: what it took.
      {"ALTUNITS", "ALTUNITS", " ALTITUDE_UNITS::AltitudeUnitsCallback", 1, 1},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.key);
    const int before = static_cast<int>(b.EngineNumber(2, c.engineKey));
    b.EngineItem<EngineAttribEnum>(2, c.engineKey)->Lock(b.other.Authority("held", "Locked because held"));
    Locking_Error e;
    const std::string line = Output([&] {
      e = Catch<Locking_Error>([&] { b.Attr<EngineAttribEnum>(c.key)->Set(b.client.Id(), c.value); });
    });
    EXPECT_EQ(std::string(c.log) + " throw Locking_Error_Exception\n", line);
    EXPECT_STREQ("held", e.reason.in());
    EXPECT_STREQ("other", e.holder.in());
    EXPECT_STREQ("Locked because held (taken by channel 1; not taken by channels 2, 3)", e.message.in());
    EXPECT_EQ(c.value, b.EngineNumber(1, c.engineKey));
    for (int ch = 2; ch <= 3; ++ch) EXPECT_EQ(before, b.EngineNumber(ch, c.engineKey)) << ch;
    EXPECT_EQ(c.shown, b.Attr<EngineAttribEnum>(c.key)->Get());
  }
}
