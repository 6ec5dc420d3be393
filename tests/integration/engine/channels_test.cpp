// Channel configuration against simulated engines: counts and their refusals, the copy of
// channel-wide settings to newly enabled channels, coupling, the RF connection, and the
// stored values a restart recalls.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <cstdlib>
#include <filesystem>

#include "CALIBRATION.h"
#include "COUPLED_ALTITUDE_SIMULATION.h"
#include "NO_OF_AVAILABLE_CHANNELS.h"
#include "NO_OF_ENABLED_CHANNELS.h"
#include "RADALT_MC.h"
#include "RF_CONNECTION.h"
#include "SLAVE_MODE.h"
#include "ScFixture.h"
#include "TestConfig.h"

using namespace Velmarin;
using OE = Operation_errors::DataOutOfRange;

namespace {

struct ThreeChannels {
  ThreeChannels() : sims({1, 2, 3}), mc(TestConfig()) {}
  radaltsim::ItemStore& Engine(int ch) { return sims.Engine(ch).Items(); }
  template <class Servant>
  Servant& EngineItem(int ch, const char* key) {
    return dynamic_cast<Servant&>(Engine(ch).Servant(key));
  }
  long EngineLong(int ch, const char* key) { return Engine(ch).Ref<EngineReadingLong>(key)->Get(); }
  void SetEnabled(int n) { mc.NoOfEnabledChannelsObj()->NoOfEnabledChannels()->Set(client.Id(), n); }
  std::string EnabledRefusal(int n) {
    try {
      SetEnabled(n);
    } catch (const Operation_errors::Settings_Conflict& e) {
      return e.text.in();
    }
    return "accepted";
  }
  SimulatedChannels sims;
  RADALT_MC mc;
  Locker client{"client"};
};

}  // namespace

TEST(Channels, EnablingChannelsCopiesChannelOnesChannelWideSettings) {
  ThreeChannels t;
  EXPECT_THROW(t.SetEnabled(4), OE);
  EXPECT_EQ(3, t.mc.NoOfEnabledChannelsObj()->Value());

  t.SetEnabled(1);
  // Channel 1 is set up for manual RF level, manual UUT type, its own display modes...
  t.EngineItem<EngineAttribEnum_i>(1, "RFLVLMODE") = 1;
  t.EngineItem<EngineAttribEnum_i>(1, "UUTDETECT") = 1;
  t.EngineItem<EngineAttribEnum_i>(1, "UUTTYPE") = 2;
  t.EngineItem<EngineAttribEnum_i>(1, "FREQDISPLAYMODE") = 1;
  t.EngineItem<EngineAttribEnum_i>(1, "POWERUNITS") = 1;
  t.EngineItem<EngineAttribLong_i>(1, "DIAGATTENTX1RAW") = 12;
  // ...and its own CDF altitude correction, which stays per channel.
  t.EngineItem<EngineAttribEnum_i>(1, "CDFALTCORR") = 0;

  t.SetEnabled(3);
  for (int ch : {2, 3}) {
    EXPECT_EQ(1, t.EngineLong(ch, "RFLVLMODE")) << ch;
    EXPECT_EQ(1, t.EngineLong(ch, "UUTDETECT")) << ch;
    EXPECT_EQ(2, t.EngineLong(ch, "UUTTYPE")) << ch;
    EXPECT_EQ(1, t.EngineLong(ch, "FREQDISPLAYMODE")) << ch;
    EXPECT_EQ(1, t.EngineLong(ch, "POWERUNITS")) << ch;
    EXPECT_EQ(12, t.EngineLong(ch, "DIAGATTENTX1RAW")) << ch;
    EXPECT_EQ(1, t.EngineLong(ch, "CDFALTCORR")) << ch;
  }
}

TEST(Channels, ActivitiesOnEnabledChannelsRefuseACountChangeInTheirOrder) {
  ThreeChannels t;
  t.EngineItem<EngineReadingBoolean_i>(3, "FACTORYCALRUNNING") = true;
  t.EngineItem<EngineReadingBoolean_i>(2, "CHECKUSERCALRUNNING") = true;
  t.EngineItem<EngineAttribBoolean_i>(1, "RUNSTOPTEST") = true;
  t.EngineItem<EngineAttribBoolean_i>(2, "DIAGOUTPUTSTATUS") = true;
  t.EngineItem<EngineAttribBoolean_i>(3, "DIAGRXMEASURING") = true;
  t.EngineItem<EngineAttribBoolean_i>(1, "DIAGLOOPBACKMEASURING") = true;
  testing::internal::CaptureStdout();
  EXPECT_EQ("Cannot change no of channels since a factory calibration is active", t.EnabledRefusal(2));
  EXPECT_EQ(" NO_OF_ENABLED_CHANNELS::NoOfEnabledChannelsCallback:throw "
            "Cannot change no of channels since a factory calibration is active\n",
            testing::internal::GetCapturedStdout());
  t.EngineItem<EngineReadingBoolean_i>(3, "FACTORYCALRUNNING") = false;
  EXPECT_EQ("Cannot change no of channels since a user calibration is active", t.EnabledRefusal(2));
  t.EngineItem<EngineReadingBoolean_i>(2, "CHECKUSERCALRUNNING") = false;
  EXPECT_EQ("Cannot change no of channels since testing is active", t.EnabledRefusal(2));
  t.EngineItem<EngineAttribBoolean_i>(1, "RUNSTOPTEST") = false;
  EXPECT_EQ("Cannot change no of channels since diagnostics is active", t.EnabledRefusal(2));
  t.EngineItem<EngineAttribBoolean_i>(2, "DIAGOUTPUTSTATUS") = false;
  EXPECT_EQ("Cannot change no of channels since rx diagnostics is active", t.EnabledRefusal(2));
  t.EngineItem<EngineAttribBoolean_i>(3, "DIAGRXMEASURING") = false;
  EXPECT_EQ("Cannot change no of channels since loopback diagnostics is active", t.EnabledRefusal(2));
  EXPECT_EQ(3, t.mc.NoOfEnabledChannelsObj()->Value());
  t.EngineItem<EngineAttribBoolean_i>(1, "DIAGLOOPBACKMEASURING") = false;
  EXPECT_EQ("accepted", t.EnabledRefusal(2));
  EXPECT_EQ(2, t.mc.NoOfEnabledChannelsObj()->Value());
}

TEST(Channels, FactoryCalibrationChannelStaysAmongTheEnabled) {
  ThreeChannels t;
  EngineAttribLong_var calChannel = t.mc.CalibrationObj()->FactoryCalibrationChannel();
  calChannel->Set(t.client.Id(), 3);
  t.SetEnabled(2);
  EXPECT_EQ(2, calChannel->Get());
  // Out of the enabled range it is refused, with the enabled count as upper bound.
  try {
    calChannel->Set(t.client.Id(), 3);
    FAIL();
  } catch (const OE& e) {
    EXPECT_STREQ("Illegal channel", e.info.text.in());
    EXPECT_EQ(1, e.info.minimum.l());
    EXPECT_EQ(2, e.info.maximum.l());
  }
  t.SetEnabled(0);
  EXPECT_EQ(1, calChannel->Get());
}

TEST(Channels, CouplingCopiesChannelOnesRampOnlyWhenSwitchedOnWithChannelsToFollow) {
  ThreeChannels t;
  auto& start1 = t.EngineItem<EngineAttribValueDouble_i>(1, "CURSTARTALT");
  VALUE_DOUBLE::VALUE v = start1.Value();
  v.val = 1000.0;
  start1 = v;
  EngineAttribBoolean_var coupled = t.mc.CoupledAltSimObj()->CoupledAltitudeSimulation();

  t.SetEnabled(1);
  coupled->Set(t.client.Id(), true);  // one channel: only the switch changes
  EXPECT_TRUE(coupled->Get());
  EXPECT_DOUBLE_EQ(0.0, t.Engine(2).Ref<EngineAttribValueDouble>("CURSTARTALT")->Get().val);
  coupled->Set(t.client.Id(), false);

  t.SetEnabled(3);
  const unsigned before = t.Engine(2).Calls();
  coupled->Set(t.client.Id(), true);
  for (int ch : {2, 3}) EXPECT_DOUBLE_EQ(1000.0, t.Engine(ch).Ref<EngineAttribValueDouble>("CURSTARTALT")->Get().val);
  EXPECT_EQ(before + 4, t.Engine(2).Calls());  // start, stop, rate, duration
  // Switching it off again changes nothing but the switch.
  coupled->Set(t.client.Id(), false);
  EXPECT_EQ(before + 4, t.Engine(2).Calls());
}

TEST(Channels, RfConnectionGoesToEveryEnabledChannel) {
  ThreeChannels t;
  EngineAttribEnum_var rf = t.mc.RfConnectionObj()->RfConnection();
  EngineAttribEnumParams_var labels = rf->GetParams();
  EXPECT_EQ(2u, labels->length());  // the engines' own values
  t.SetEnabled(2);
  rf->Set(t.client.Id(), 1);
  EXPECT_EQ(1, rf->Get());
  EXPECT_EQ(1, t.EngineLong(1, "RFCONNECT"));
  EXPECT_EQ(1, t.EngineLong(2, "RFCONNECT"));
  EXPECT_EQ(0, t.EngineLong(3, "RFCONNECT"));
  t.SetEnabled(0);
  try {
    rf->Set(t.client.Id(), 0);
    FAIL();
  } catch (const Operation_errors::Settings_Conflict& e) {
    EXPECT_STREQ("No enabled channels", e.text.in());
  }
}

TEST(Channels, RestartShowsTheStoredValuesOnceRecalled) {
  const std::string root = testing::TempDir() + "radalt-restart-" + std::to_string(::getpid());
  std::filesystem::create_directories(root + "/engines/lib");
  SimulatedChannels sims({1, 2});
  { RADALT_MC first(TestConfig(root)); }

  // The store's values are changed by whatever else writes them (the save/recall engine).
  sqlite3* db = nullptr;
  ASSERT_EQ(SQLITE_OK, sqlite3_open((root + "/engines/lib/" + STpersistance::DatabaseFileName).c_str(), &db));
  const char* update =
      "UPDATE radaltmc_settings_values SET value_int = 1 WHERE id = 3;"   // SlaveMode
      "UPDATE radaltmc_settings_values SET value_int = 1 WHERE id = 2;";  // NoOfEnabledChannels
  ASSERT_EQ(SQLITE_OK, sqlite3_exec(db, update, nullptr, nullptr, nullptr));
  sqlite3_close(db);

  RADALT_MC second(TestConfig(root));
  EXPECT_FALSE(second.SlaveModeObj()->Value());
  EXPECT_EQ(2, second.NoOfEnabledChannelsObj()->Value());
  second.RecallMCSettings();
  EXPECT_TRUE(second.SlaveModeObj()->Value());
  EXPECT_EQ(1, second.NoOfEnabledChannelsObj()->Value());
  std::filesystem::remove_all(root);
}
