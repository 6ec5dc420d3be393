// The master control's remote interfaces as a client reaches them: through the naming
// service, against simulated channel engines served from this process.
#include "../../support/TestSet.h"
#include "../../support/RegisteredKeys.h"
#include "CALIBRATION.h"
#include "RadAltMC.hh"
#include "SelftestHarness.h"

using namespace Velmarin;
using radalt::LockGroup;
namespace MC = Velmarin::RADALTMC;

namespace {

using testset::Bench;

// The remote interface I of the master control, as a client finds it in the naming service.
template <class I>
typename I::_ptr_type Resolve(Bench& b, const char* child) {
  ORB_wrapper_base naming;
  CORBA::Object_var obj = naming.LookupClient({"Lumaren", "local", child, "RADALT" + std::to_string(b.mc.InstanceNum())});
  return I::_narrow(obj);
}
MC::RADALTMC_MAIN_INTERFACE_ptr Main(Bench& b) { return Resolve<MC::RADALTMC_MAIN_INTERFACE>(b, "RADALT_MAIN"); }
std::string ModulePath(Bench& b) { return "Lumaren/local/TEST_ABLE/RADALT" + std::to_string(b.mc.InstanceNum()); }

}  // namespace

// ---- main interface ------------------------------------------------------------------------

TEST(MainInterface, WritesThroughAnOperationLandInTheAttributeAndOutOfRangeIsRefused) {
  Bench b(testset::Setup{});
  MC::RADALTMC_MAIN_INTERFACE_var main = Main(b);
  EngineAttribLong_var enabled = EngineAttribLong::_narrow(EngineReadingBase_var(main->NoOfEnabledChannels()));
  ASSERT_FALSE(CORBA::is_nil(enabled));
  enabled->Set(b.client.Id(), 2);
  EXPECT_EQ(2, b.Attr<EngineAttribLong>("NOOFENABLEDCHANNELS")->Get());
  const auto e = Catch<Operation_errors::DataOutOfRange>([&] { enabled->Set(b.client.Id(), 7); });
  EXPECT_STREQ("Attribute : NoOfEnabledChannelsCallback - illegal no of channels", e.info.text.in());
  EXPECT_EQ(3, e.info.maximum.l());
  EXPECT_EQ(2, b.Attr<EngineAttribLong>("NOOFENABLEDCHANNELS")->Get());
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

// An attribute that is not registered is named by the operation, the registry check and the
// basic self test alike; with none missing the basic self test passes.
TEST(MainInterface, EveryAttributeOperationHandsOutItsKeyAndAMissingOneIsNamedByEveryCheck) {
  Bench b(testset::Setup{});
  MC::RADALTMC_MAIN_INTERFACE_var main = Main(b);
  std::vector<std::string> served, missing;
  CheckEveryOperation(main, served, missing);
  EXPECT_EQ(std::vector<std::string>{}, missing);
  EXPECT_FALSE(served.empty());
  EXPECT_EQ(std::vector<std::string>{}, UnregisteredKeys(b.mc.Gui()));
  // The basic self test reads every attribute of a complete master control, writing nothing.
  const CORBA::ULong accepted = b.engines[1].AcceptedCount();
  const std::vector<std::string> passed = radaltsim::SelfTestRunner_i::RunModule(ModulePath(b), 0, 60);
  ASSERT_FALSE(passed.empty());
  EXPECT_EQ(0u, passed.front().find("Basic Self Test (RadAltMC Module): PASSED")) << passed.front();
  EXPECT_EQ(accepted, b.engines[1].AcceptedCount());
  EXPECT_FALSE(b.Attr<EngineAttribBoolean>("RUNSTOPTEST")->Get());
  // Two calls hand out two references to the same attribute.
  EngineReadingBase_var one = main->SimulationMode(), two = main->SimulationMode();
  EXPECT_TRUE(one->_is_equivalent(two));

  Velmarin::EngineReadingBase_i* mode = b.mc.Gui().Local("DIAGMODE");
  ASSERT_NE(nullptr, mode);
  b.mc.Gui().Unregister("DIAGMODE", *mode);
  EXPECT_EQ(std::vector<std::string>{"DIAGMODE"}, UnregisteredKeys(b.mc.Gui()));
  missing.clear();
  CheckEveryOperation(main, served, missing);
  EXPECT_EQ(std::vector<std::string>{"DIAGMODE"}, missing);
  const std::vector<std::string> lines = radaltsim::SelfTestRunner_i::RunModule(ModulePath(b), 0, 60);
  ASSERT_EQ(2u, lines.size());
  EXPECT_NE(std::string::npos, lines[0].find("FAILED, 1 failures")) << lines[0];
  EXPECT_EQ("  missing attribute DIAGMODE1", lines[1]);
}

TEST(MainInterface, ChannelReadingsCheckTheChannelIsEnabledFirst) {
  Bench b(testset::Setup{});
  MC::RADALTMC_MAIN_INTERFACE_var main = Main(b);
  CORBA::String_var name = EngineReadingBase_var(main->UUTFrequencyChan3())->Name();
  EXPECT_STREQ("FREQ", name.in());
  b.SetEnabled(2);
  const auto e = Catch<Operation_errors::Settings_Conflict>([&] { EngineReadingBase_var(main->UUTFrequencyChan3()); });
  EXPECT_STREQ("Channel 3 not enabled", e.text.in());
  // UUT type 3 selects the type-3 sweep-rate reading (in manual detection: in automatic the
  // engine's type follows the plugged UUT).
  b.EngineItem<EngineAttribEnum>(2, "UUTDETECT")->Set(b.client.Id(), 1);
  b.EngineItem<EngineAttribEnum>(2, "UUTTYPE")->Set(b.client.Id(), 3);
  EngineReadingBase_var sweep = main->UUTSweepRateChan2();
  CORBA::String_var sweepName = sweep->Name();
  EXPECT_STREQ("SWPRTTYPE3", sweepName.in());
}

TEST(MainInterface, GetChannelPointerAnswersForRegisteredChannelsOnlyAndLeavesTheRegistry) {
  Bench b(testset::Engines({1, 2}));
  MC::RADALTMC_MAIN_INTERFACE_var main = Main(b);
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
  EXPECT_TRUE(b.mc.HasChannelEngine(1));
  EXPECT_EQ(1, b.mc.GetSingleChannelPtr(1)->Channel());
  EXPECT_FALSE(CORBA::is_nil(SCI::RADALTSC_MAIN_INTERFACE_var(main->GetChannelPointer(2))));
}

// ---- in-house interface ----------------------------------------------------------------------

TEST(InhouseInterface, OperationsReachChannelOnesBoardsWithTheirArguments) {
  Bench b(testset::Setup{});
  MC::RADALTMC_INHOUSE_INTERFACE_var ih = Resolve<MC::RADALTMC_INHOUSE_INTERFACE>(b, "RADALT_INHOUSE");
  EXPECT_TRUE(ih->rci_set_rf_mode(true, false));
  EXPECT_TRUE(ih->rci_write_rf_dds(1, 2, 3));
  EXPECT_TRUE(ih->rci_set_RFDM_coil_loss_factor(0.25));
  EXPECT_EQ(0x52460001u, ih->rci_get_rf_CardID());
  EXPECT_DOUBLE_EQ(3.3, ih->rci_get_selftest_debug_voltage_3v3a());
  EXPECT_EQ((std::vector<std::string>{"rci_set_rf_mode(true, false)", "rci_write_rf_dds(1, 2, 3)",
                                      "rci_set_RFDM_coil_loss_factor(0.25)", "rci_get_rf_CardID()",
                                      "rci_get_selftest_debug_voltage_3v3a()"}),
            b.engines[1].Requests());
  EXPECT_TRUE(b.engines[2].Requests().empty());
}

TEST(InhouseInterface, WithoutAChannelOneEngineTheClientIsToldNotConfigured) {
  Bench b(testset::Setup{});
  b.mc.RemoveRadAltSc(1);  // channel 1's engine has gone
  MC::RADALTMC_INHOUSE_INTERFACE_var ih = Resolve<MC::RADALTMC_INHOUSE_INTERFACE>(b, "RADALT_INHOUSE");
  EXPECT_THROW(ih->rci_set_rf_wake(), Operation_errors::NotConfigured);
  EXPECT_THROW(ih->rci_get_selftest_debug_pll_result(), Operation_errors::NotConfigured);
}

// ---- self-test interface ---------------------------------------------------------------------

// (The self test's holds and texts, and against the other activities: locks_test.)
TEST(SelftestInterface, LockAndUnlockReachTheLocksAndUnlockClearsOnlyItsOwnButtonCode) {
  Bench b(testset::Setup{});
  MC::RADALTMC_SELFTEST_INTERFACE_var st = Resolve<MC::RADALTMC_SELFTEST_INTERFACE>(b, "RADALT_SELFTEST");
  st->lockForSelftestStart();
  EXPECT_EQ(13u, b.mc.CalibrationObj()->CalibrationButtonsLocked());
  EXPECT_TRUE(b.HeldByMc(LockGroup::SIMRUN));
  st->unlockForSelftestStop();
  EXPECT_TRUE(b.Free(LockGroup::SIMRUN));

  st->lockForSelftestStart();
  b.mc.CalibrationObj()->setCalibrationButtonsLocked(CALBUTTONS_TEST_RUN);
  st->unlockForSelftestStop();
  EXPECT_EQ(unsigned(CALBUTTONS_TEST_RUN), b.mc.CalibrationObj()->CalibrationButtonsLocked());
}

TEST(SelftestInterface, BoardTestsReachChannelOneAndPowerDownReportsTheSleep) {
  Bench b(testset::Setup{});
  MC::RADALTMC_SELFTEST_INTERFACE_var st = Resolve<MC::RADALTMC_SELFTEST_INTERFACE>(b, "RADALT_SELFTEST");
  EXPECT_TRUE(st->testPlls(5));
  EXPECT_TRUE(st->powerDownRfBoard());
  EXPECT_FALSE(st->testVoltages());  // a sleeping board fails its tests
  EXPECT_TRUE(st->powerUpRfBoard());
  EXPECT_EQ((std::vector<std::string>{"testPlls(5)", "selftest_prepare_power_down()", "rci_set_rf_sleep()",
                                      "testVoltages()", "rci_set_rf_wake()"}),
            b.engines[1].Requests());
}

// ---- testable module and the harness ---------------------------------------------------------

// A harness the module reports to, as the self-test engine serves one.
struct Harness {
  radaltsim::HarnessRun_i* run = new radaltsim::HarnessRun_i;
  PortableServer::ServantBase_var owner{run};
  SelfTestHarness_var ref{run->_this()};
  ~Harness() { DeactivateServant(run); }
};

TEST(TestableModule, OffersBasicAndSoftwareOnlyAndCallsBackInOrderUntilEveryRunFinishes) {
  Bench b(testset::Setup{});
  Test_Able_var module = Resolve<Test_Able>(b, "TEST_ABLE");
  CORBA::String_var name = module->GetName();
  EXPECT_STREQ("RadAltMC Module", name.in());
  for (int kind : {0, 1, 2, 3}) EXPECT_EQ(kind % 2 == 0, module->SelfTestAvail(kind, SelfTestHarness::_nil())) << kind;
  Harness refused;
  EXPECT_FALSE(module->RunSelfTest(1, refused.ref));
  EXPECT_FALSE(module->RunSelfTest(0, SelfTestHarness::_nil()));
  EXPECT_TRUE(refused.run->Events().empty());

  Harness runs[2];  // two overlapping runs: basic, then software
  EXPECT_TRUE(module->RunSelfTest(0, runs[0].ref));
  EXPECT_TRUE(module->RunSelfTest(2, runs[1].ref));
  for (Harness& run : runs) {
    ASSERT_TRUE(run.run->WaitFinished(60));
    const std::vector<std::string> e = run.run->Events();
    ASSERT_GE(e.size(), 4u);
    EXPECT_EQ("StepStart Validate Rad Alt attribute list", e[1]);
    EXPECT_EQ("CompareText", e[2]);
    EXPECT_EQ("StepEnd", e[3]);
    EXPECT_EQ("TestFinished", e.back());
    for (const auto& ev : e) EXPECT_EQ(std::string::npos, ev.find("Check RUNSTOPTEST")) << ev;
  }
  EXPECT_EQ("TestStart Basic Self Test", runs[0].run->Events().front());
  EXPECT_EQ("TestStart Software Self Test", runs[1].run->Events().front());
}

TEST(TestableModule, DestroyingTheMasterControlDuringARunEndsItCleanly) {
  Harness run;
  {
    Bench b(testset::Setup{});
    Test_Able_var module = Resolve<Test_Able>(b, "TEST_ABLE");
    ASSERT_TRUE(module->RunSelfTest(0, run.ref));
  }  // the master control goes first, waiting for the run
  EXPECT_TRUE(run.run->WaitFinished(0));
  EXPECT_EQ("TestFinished", run.run->Events().back());
}
