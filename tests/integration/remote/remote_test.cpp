// The master control's remote interfaces as a client reaches them: through the naming
// service, against simulated channel engines served from this process.
#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <thread>

#include "CALIBRATION.h"
#include "RADALT_MC.h"
#include "RADALTMC_main_i.h"
#include "RadAltMC.hh"
#include "ScFixture.h"
#include "SelftestHarness.h"
#include "SelftestLocking.h"
#include "TestConfig.h"
#include "../../support/Eventually.h"
#include "../../support/RegisteredKeys.h"

using namespace Velmarin;
using radalt::LockGroup;
namespace MC = Velmarin::RADALTMC;

namespace {

// The master control over simulated channels, and its remote interfaces as a client finds them.
struct TestSet {
  explicit TestSet(std::vector<int> channels = {1, 2, 3})
      : sims(std::move(channels)), mc(new RADALT_MC(TestConfig())) {}
  template <class I>
  typename I::_ptr_type Resolve(const char* child) {
    CORBA::Object_var obj = naming.LookupClient({"Lumaren", "local", child, "RADALT" + std::to_string(mc->InstanceNum())});
    return I::_narrow(obj);
  }
  MC::RADALTMC_MAIN_INTERFACE_ptr Main() { return Resolve<MC::RADALTMC_MAIN_INTERFACE>("RADALT_MAIN"); }
  MC::RADALTMC_INHOUSE_INTERFACE_ptr Inhouse() { return Resolve<MC::RADALTMC_INHOUSE_INTERFACE>("RADALT_INHOUSE"); }
  MC::RADALTMC_SELFTEST_INTERFACE_ptr Selftest() { return Resolve<MC::RADALTMC_SELFTEST_INTERFACE>("RADALT_SELFTEST"); }
  Test_Able_ptr Module() { return Resolve<Test_Able>("TEST_ABLE"); }
  std::string ModulePath() { return "Lumaren/local/TEST_ABLE/RADALT" + std::to_string(mc->InstanceNum()); }
  CORBA::Long EnabledViaGui() {
    EngineReadingBase_var a = mc->Gui().Get_attr("NOOFENABLEDCHANNELS");
    return EngineReadingLong::_narrow(a)->Get();
  }

  SimulatedChannels sims;
  ORB_wrapper_base naming;
  std::unique_ptr<RADALT_MC> mc;
};

}  // namespace

// ---- main interface ------------------------------------------------------------------------

TEST(MainInterface, WritesThroughAnOperationLandInTheAttributeAndOutOfRangeIsRefused) {
  TestSet t;
  MC::RADALTMC_MAIN_INTERFACE_var main = t.Main();
  EngineReadingBase_var ref = main->NoOfEnabledChannels();
  EngineAttribLong_var enabled = EngineAttribLong::_narrow(ref);
  ASSERT_FALSE(CORBA::is_nil(enabled));
  Locker client("client");
  enabled->Set(client.Id(), 2);
  EXPECT_EQ(2, t.EnabledViaGui());
  try {
    enabled->Set(client.Id(), 7);
    FAIL() << "an out-of-range count was accepted";
  } catch (const Operation_errors::DataOutOfRange& e) {
    EXPECT_STREQ("Attribute : NoOfEnabledChannelsCallback - illegal no of channels", e.info.text.in());
    EXPECT_EQ(3, e.info.maximum.l());
  }
  EXPECT_EQ(2, t.EnabledViaGui());
}

// Every operation of the table hands out the attribute of its key; one whose key is not
// registered says so, naming the key. served / missing: the keys of each outcome.
void CheckEveryOperation(MC::RADALTMC_MAIN_INTERFACE_ptr main, std::vector<std::string>& served,
                         std::vector<std::string>& missing) {
  auto check = [&](const char* op, const char* key, auto call) {
    try {
      EngineReadingBase_var a = call();
      ASSERT_FALSE(CORBA::is_nil(a)) << op;
      CORBA::String_var name = a->Name();
      EXPECT_STREQ(key, name.in()) << op;
      served.push_back(key);
    } catch (const Operation_errors::NotConfigured& e) {
      EXPECT_NE(std::string::npos, std::string(e.text.in()).find(std::string("\"") + key + "\"")) << op;
      missing.push_back(key);
    }
  };
#define MC_ATTR(op, key) check(#op, key, [&] { return main->op(); });
#define MC_KEY(key)
#define MC_ENGINE_ITEM(op, ch, item, who)
#define MC_SWEEP_ITEM(op, ch, who)
#define MC_CAL_ITEM(op, item, who)
#define MC_ENGINE_RUN(op, ch, item, who, text)
#define MC_CHANNEL_POINTER(op)
#include "radaltmc_attributes.def"
#undef MC_ATTR
#undef MC_KEY
#undef MC_ENGINE_ITEM
#undef MC_SWEEP_ITEM
#undef MC_CAL_ITEM
#undef MC_ENGINE_RUN
#undef MC_CHANNEL_POINTER
}

TEST(MainInterface, EveryAttributeOperationHandsOutItsKey) {
  TestSet t;
  MC::RADALTMC_MAIN_INTERFACE_var main = t.Main();
  std::vector<std::string> served, missing;
  CheckEveryOperation(main, served, missing);
  EXPECT_EQ(std::vector<std::string>{}, missing);
  EXPECT_FALSE(served.empty());
  EXPECT_EQ(std::vector<std::string>{}, UnregisteredKeys(t.mc->Gui()));
  // Two calls hand out two references to the same attribute.
  EngineReadingBase_var a = main->SimulationMode(), b = main->SimulationMode();
  EXPECT_TRUE(a->_is_equivalent(b));
}

TEST(MainInterface, ChannelReadingsCheckTheChannelIsEnabledFirst) {
  TestSet t;
  MC::RADALTMC_MAIN_INTERFACE_var main = t.Main();
  EngineReadingBase_var freq = main->UUTFrequencyChan3();
  CORBA::String_var name = freq->Name();
  EXPECT_STREQ("FREQ", name.in());
  Locker client("client");
  EngineAttribLong_var enabled = EngineAttribLong::_narrow(EngineReadingBase_var(main->NoOfEnabledChannels()));
  enabled->Set(client.Id(), 2);
  try {
    EngineReadingBase_var r = main->UUTFrequencyChan3();
    FAIL() << "channel 3 is not enabled";
  } catch (const Operation_errors::Settings_Conflict& e) {
    EXPECT_STREQ("Channel 3 not enabled", e.text.in());
  }
  // UUT type 3 selects the type-3 sweep-rate reading.
  // (In automatic detection the engine's type follows the plugged UUT: select manual first.)
  EngineReadingBase_var detect = t.mc->Gui().Get_attr("CH2:UUTDETECT");
  EngineAttribEnum::_narrow(detect)->Set(client.Id(), 1);
  EngineReadingBase_var type = t.mc->Gui().Get_attr("CH2:UUTTYPE");
  EngineAttribEnum::_narrow(type)->Set(client.Id(), 3);
  EngineReadingBase_var sweep = main->UUTSweepRateChan2();
  CORBA::String_var sweepName = sweep->Name();
  EXPECT_STREQ("SWPRTTYPE3", sweepName.in());
}

TEST(MainInterface, GetChannelPointerAnswersForRegisteredChannelsOnlyAndLeavesTheRegistry) {
  TestSet t({1, 2});
  MC::RADALTMC_MAIN_INTERFACE_var main = t.Main();
  SCI::RADALTSC_MAIN_INTERFACE_var one = main->GetChannelPointer(1);
  ASSERT_FALSE(CORBA::is_nil(one));
  EXPECT_EQ(1, one->Channel());
  testing::internal::CaptureStdout();
  for (CORBA::ULong ch : {0u, 3u, 4u, 0xffffffffu}) {
    SCI::RADALTSC_MAIN_INTERFACE_var none = main->GetChannelPointer(ch);
    EXPECT_TRUE(CORBA::is_nil(none)) << ch;
  }
  const std::string out = testing::internal::GetCapturedStdout();
  EXPECT_NE(std::string::npos,
            out.find(" Velmarin_RADALTMC_RADALTMC_MAIN_INTERFACE_i::GetChannelPointer caught exception"));
  one = SCI::RADALTSC_MAIN_INTERFACE::_nil();  // the client's reference goes; the registry keeps its own
  EXPECT_TRUE(t.mc->HasChannelEngine(1));
  EXPECT_EQ(1, t.mc->GetSingleChannelPtr(1)->Channel());
  EXPECT_FALSE(CORBA::is_nil(SCI::RADALTSC_MAIN_INTERFACE_var(main->GetChannelPointer(2))));
}

// ---- in-house interface ----------------------------------------------------------------------

TEST(InhouseInterface, OperationsReachChannelOnesBoardsWithTheirArguments) {
  TestSet t;
  MC::RADALTMC_INHOUSE_INTERFACE_var ih = t.Inhouse();
  EXPECT_TRUE(ih->rci_set_rf_mode(true, false));
  EXPECT_TRUE(ih->rci_write_rf_dds(1, 2, 3));
  EXPECT_TRUE(ih->rci_set_RFDM_coil_loss_factor(0.25));
  EXPECT_EQ(0x52460001u, ih->rci_get_rf_CardID());
  EXPECT_DOUBLE_EQ(3.3, ih->rci_get_selftest_debug_voltage_3v3a());
  EXPECT_EQ((std::vector<std::string>{"rci_set_rf_mode(true, false)", "rci_write_rf_dds(1, 2, 3)",
                                      "rci_set_RFDM_coil_loss_factor(0.25)", "rci_get_rf_CardID()",
                                      "rci_get_selftest_debug_voltage_3v3a()"}),
            t.sims.Engine(1).Requests());
  EXPECT_TRUE(t.sims.Engine(2).Requests().empty());
}

TEST(InhouseInterface, WithoutAChannelOneEngineTheClientIsToldNotConfigured) {
  TestSet t;
  t.mc->RemoveRadAltSc(1);  // channel 1's engine has gone
  MC::RADALTMC_INHOUSE_INTERFACE_var ih = t.Inhouse();
  EXPECT_THROW(ih->rci_set_rf_wake(), Operation_errors::NotConfigured);
  EXPECT_THROW(ih->rci_get_selftest_debug_pll_result(), Operation_errors::NotConfigured);
}

// ---- self-test interface ---------------------------------------------------------------------

TEST(SelftestInterface, LockRefusesARunAndUnlockFreesOnlyWhatItTook) {
  TestSet t;
  MC::RADALTMC_SELFTEST_INTERFACE_var st = t.Selftest();
  t.mc->Group(LockGroup::CALRUN).Lock(Locker("calibration").Authority("Cal", "Locked because cal"));

  st->lockForSelftestStart();
  EXPECT_EQ(13u, t.mc->CalibrationObj()->CalibrationButtonsLocked());
  EngineReadingBase_var run = t.mc->Gui().Get_attr("RUNSTOPTEST");
  try {
    EngineAttribBoolean::_narrow(run)->Set(Locker("operator").Id(), true);
    FAIL() << "a run started during a self test";
  } catch (const Operation_errors::Locking_Error& e) {
    EXPECT_STREQ("Selftest is active", e.reason.in());
    EXPECT_STREQ("Locked because a selftest is running. Abort the selftest", e.message.in());
  }
  st->unlockForSelftestStop();
  EXPECT_EQ(0u, t.mc->CalibrationObj()->CalibrationButtonsLocked());
  EXPECT_FALSE(t.mc->Group(LockGroup::SIMRUN).IsLocked());
  EXPECT_EQ("Cal", t.mc->Group(LockGroup::CALRUN).Reason());
}

TEST(SelftestInterface, UnlockLeavesTheLocksOfAnInvalidConfigurationAndAnotherButtonCode) {
  TestSet t;
  MC::RADALTMC_SELFTEST_INTERFACE_var st = t.Selftest();
  t.mc->lockAllRunButtons();
  st->lockForSelftestStart();
  t.mc->CalibrationObj()->setCalibrationButtonsLocked(CALBUTTONS_TEST_RUN);
  st->unlockForSelftestStop();
  EXPECT_EQ("Invalid Configuration", t.mc->Group(LockGroup::SIMRUN).Reason());
  EXPECT_TRUE(t.mc->Group(LockGroup::DIAGTXOUTPUT).IsLocked());
  EXPECT_EQ(unsigned(CALBUTTONS_TEST_RUN), t.mc->CalibrationObj()->CalibrationButtonsLocked());
}

TEST(SelftestInterface, BoardTestsReachChannelOneAndPowerDownReportsTheSleep) {
  TestSet t;
  MC::RADALTMC_SELFTEST_INTERFACE_var st = t.Selftest();
  EXPECT_TRUE(st->testPlls(5));
  EXPECT_TRUE(st->powerDownRfBoard());
  EXPECT_FALSE(st->testVoltages());  // a sleeping board fails its tests
  EXPECT_TRUE(st->powerUpRfBoard());
  EXPECT_EQ((std::vector<std::string>{"testPlls(5)", "selftest_prepare_power_down()", "rci_set_rf_sleep()",
                                      "testVoltages()", "rci_set_rf_wake()"}),
            t.sims.Engine(1).Requests());
}

// ---- testable module and the harness ---------------------------------------------------------

TEST(TestableModule, OffersBasicAndSoftwareOnly) {
  TestSet t;
  Test_Able_var module = t.Module();
  CORBA::String_var name = module->GetName();
  EXPECT_STREQ("RadAltMC Module", name.in());
  EXPECT_TRUE(module->SelfTestAvail(0, SelfTestHarness::_nil()));
  EXPECT_TRUE(module->SelfTestAvail(2, SelfTestHarness::_nil()));
  EXPECT_FALSE(module->SelfTestAvail(1, SelfTestHarness::_nil()));
  EXPECT_FALSE(module->SelfTestAvail(3, SelfTestHarness::_nil()));
  auto* run = new radaltsim::HarnessRun_i;
  PortableServer::ServantBase_var owner(run);
  SelfTestHarness_var h = run->_this();
  EXPECT_FALSE(module->RunSelfTest(1, h));
  EXPECT_FALSE(module->RunSelfTest(0, SelfTestHarness::_nil()));
  EXPECT_TRUE(run->Events().empty());
  DeactivateServant(run);
}

TEST(TestableModule, BasicTestReadsEveryAttributeAndChangesNothing) {
  TestSet t;
  const CORBA::ULong accepted = t.sims.Engine(1).AcceptedCount();
  const std::vector<std::string> lines = radaltsim::SelfTestRunner_i::RunModule(t.ModulePath(), 0, 60);
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(0u, lines.front().find("Basic Self Test (RadAltMC Module): ")) << lines.front();
  // Nothing was written or executed on the way: no run, no output.
  EXPECT_EQ(accepted, t.sims.Engine(1).AcceptedCount());
  EngineReadingBase_var run = t.mc->Gui().Get_attr("RUNSTOPTEST");
  EXPECT_FALSE(EngineAttribBoolean::_narrow(run)->Get());
  // A complete master control over three channels publishes exactly the expected list.
  EXPECT_EQ(0u, lines.front().find("Basic Self Test (RadAltMC Module): PASSED")) << lines.front()
                                                                               << (lines.size() > 1 ? lines[1] : "");
}

TEST(TestableModule, AnAttributeThatIsNotRegisteredIsNamedByEveryCheck) {
  TestSet t;
  Velmarin::EngineReadingBase_i* mode = t.mc->Gui().Local("DIAGMODE");
  ASSERT_NE(nullptr, mode);
  t.mc->Gui().Unregister("DIAGMODE", *mode);
  EXPECT_EQ(std::vector<std::string>{"DIAGMODE"}, UnregisteredKeys(t.mc->Gui()));
  MC::RADALTMC_MAIN_INTERFACE_var main = t.Main();
  std::vector<std::string> served, missing;
  CheckEveryOperation(main, served, missing);
  EXPECT_EQ(std::vector<std::string>{"DIAGMODE"}, missing);
  const std::vector<std::string> lines = radaltsim::SelfTestRunner_i::RunModule(t.ModulePath(), 0, 60);
  ASSERT_EQ(2u, lines.size());
  EXPECT_NE(std::string::npos, lines[0].find("FAILED, 1 failures")) << lines[0];
  EXPECT_EQ("  missing attribute DIAGMODE1", lines[1]);
}

TEST(TestableModule, CallbacksComeInOrderAndEveryRunFinishes) {
  TestSet t;
  Test_Able_var module = t.Module();
  std::vector<PortableServer::ServantBase_var> owners;
  std::vector<radaltsim::HarnessRun_i*> runs;
  for (int i = 0; i < 2; ++i) {  // two overlapping runs
    auto* run = new radaltsim::HarnessRun_i;
    owners.emplace_back(run);
    runs.push_back(run);
    SelfTestHarness_var h = run->_this();
    EXPECT_TRUE(module->RunSelfTest(i == 0 ? 0 : 2, h));
  }
  for (auto* run : runs) {
    ASSERT_TRUE(run->WaitFinished(60));
    const std::vector<std::string> e = run->Events();
    ASSERT_GE(e.size(), 4u);
    EXPECT_EQ("StepStart Validate Rad Alt attribute list", e[1]);
    EXPECT_EQ("CompareText", e[2]);
    EXPECT_EQ("StepEnd", e[3]);
    EXPECT_EQ("TestFinished", e.back());
    for (const auto& ev : e) EXPECT_EQ(std::string::npos, ev.find("Check RUNSTOPTEST")) << ev;
    DeactivateServant(run);
  }
  EXPECT_EQ("TestStart Basic Self Test", runs[0]->Events().front());
  EXPECT_EQ("TestStart Software Self Test", runs[1]->Events().front());
}

TEST(TestableModule, DestroyingTheMasterControlDuringARunEndsItCleanly) {
  auto* run = new radaltsim::HarnessRun_i;
  PortableServer::ServantBase_var owner(run);
  SelfTestHarness_var h = run->_this();
  {
    TestSet t;
    Test_Able_var module = t.Module();
    ASSERT_TRUE(module->RunSelfTest(0, h));
    t.mc.reset();  // waits for the run
  }
  EXPECT_TRUE(run->WaitFinished(0));
  EXPECT_EQ("TestFinished", run->Events().back());
  DeactivateServant(run);
}
