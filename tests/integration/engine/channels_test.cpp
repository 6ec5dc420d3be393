// Channel configuration against simulated engines: counts and their refusals, the copy of
// channel-wide settings to newly enabled channels, coupling, the RF connection, and the
// stored values a restart recalls.
#include <sqlite3.h>

#include <cstdlib>
#include <filesystem>

#include "CALIBRATION.h"
#include "COUPLED_ALTITUDE_SIMULATION.h"
#include "NO_OF_AVAILABLE_CHANNELS.h"
#include "NO_OF_ENABLED_CHANNELS.h"
#include "RF_CONNECTION.h"
#include "SLAVE_MODE.h"
#include "../../support/TestSet.h"

using namespace Velmarin;
using OE = Operation_errors::DataOutOfRange;

namespace {

struct ThreeChannels : testset::Bench {
  ThreeChannels() : testset::Bench(testset::Setup{}) {}
  long EngineLong(int ch, const char* key) { return Engine(ch).Ref<EngineReadingLong>(key)->Get(); }
  void SetEnabled(int n) { SetLong("NOOFENABLEDCHANNELS", n); }
  std::string EnabledRefusal(int n) {
    try {
      Output([&] { SetEnabled(n); });
    } catch (const Operation_errors::Settings_Conflict& e) {
      return e.text.in();
    }
    return "accepted";
  }
};

}  // namespace

TEST(Channels, EnablingChannelsCopiesChannelOnesChannelWideSettings) {
  ThreeChannels t;
  EXPECT_THROW(Output([&] { t.SetEnabled(4); }), OE);
  EXPECT_EQ(3, t.mc.NoOfEnabledChannelsObj()->Value());

  t.SetEnabled(1);
  // Channel 1 is set up for manual RF level, manual UUT type, its own display modes...
  const std::pair<const char*, int> kChannelWide[] = {{"RFLVLMODE", 1},       {"UUTDETECT", 1}, {"UUTTYPE", 2},
                                                      {"FREQDISPLAYMODE", 1}, {"POWERUNITS", 1}, {"DIAGATTENTX1RAW", 12}};
  for (const auto& [key, value] : kChannelWide) t.Engine(1).Assign(key, value);
  // ...and its own CDF altitude correction, which stays per channel.
  t.Engine(1).Assign("CDFALTCORR", 0);

  t.SetEnabled(3);
  for (int ch : {2, 3}) {
    for (const auto& [key, value] : kChannelWide) EXPECT_EQ(value, t.EngineLong(ch, key)) << ch << " " << key;
    EXPECT_EQ(1, t.EngineLong(ch, "CDFALTCORR")) << ch;
  }
}

// Each activity on refuses the change, in this order; the next one's refusal shows once it is off.
TEST(Channels, ActivitiesOnEnabledChannelsRefuseACountChangeInTheirOrder) {
  ThreeChannels t;
  const struct {
    int channel;
    const char* key;
    const char* activity;
  } kActivities[] = {{3, "FACTORYCALRUNNING", "a factory calibration"}, {2, "CHECKUSERCALRUNNING", "a user calibration"},
                     {1, "RUNSTOPTEST", "testing"},                     {2, "DIAGOUTPUTSTATUS", "diagnostics"},
                     {3, "DIAGRXMEASURING", "rx diagnostics"},          {1, "DIAGLOOPBACKMEASURING", "loopback diagnostics"}};
  for (const auto& a : kActivities) t.Engine(a.channel).Assign(a.key, 1);
  for (const auto& a : kActivities) {
    EXPECT_EQ(std::string("Cannot change no of channels since ") + a.activity + " is active", t.EnabledRefusal(2));
    EXPECT_EQ(3, t.mc.NoOfEnabledChannelsObj()->Value());
    t.Engine(a.channel).Assign(a.key, 0);
  }
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
  const OE e = Catch<OE>([&] { Output([&] { calChannel->Set(t.client.Id(), 3); }); });
  EXPECT_STREQ("Illegal channel", e.info.text.in());
  EXPECT_EQ(1, e.info.minimum.l());
  EXPECT_EQ(2, e.info.maximum.l());
  t.SetEnabled(0);
  EXPECT_EQ(1, calChannel->Get());
}

TEST(Channels, CouplingCopiesChannelOnesRampOnlyWhenSwitchedOnWithChannelsToFollow) {
  ThreeChannels t;
  t.Engine(1).Assign("CURSTARTALT", 1000.0);
  EngineAttribBoolean_var coupled = t.mc.CoupledAltSimObj()->CoupledAltitudeSimulation();

  t.SetEnabled(1);
  coupled->Set(t.client.Id(), true);  // one channel: only the switch changes
  EXPECT_TRUE(coupled->Get());
  EXPECT_DOUBLE_EQ(0.0, t.EngineNumber(2, "CURSTARTALT"));
  coupled->Set(t.client.Id(), false);

  t.SetEnabled(3);
  const unsigned before = t.Engine(2).Calls();
  coupled->Set(t.client.Id(), true);
  for (int ch : {2, 3}) EXPECT_DOUBLE_EQ(1000.0, t.EngineNumber(ch, "CURSTARTALT"));
  EXPECT_EQ(before + 4, t.Engine(2).Calls());  // start, stop, rate, duration
  // Switching it off again changes nothing but the switch.
  coupled->Set(t.client.Id(), false);
  EXPECT_EQ(before + 4, t.Engine(2).Calls());
}

TEST(Channels, RfConnectionGoesToEveryEnabledChannel) {
  ThreeChannels t;
  EngineAttribEnum_var rf = t.mc.RfConnectionObj()->RfConnection();
  t.SetEnabled(2);
  rf->Set(t.client.Id(), 1);
  EXPECT_EQ(1, rf->Get());
  for (int ch : {1, 2, 3}) EXPECT_EQ(ch <= 2 ? 1 : 0, t.EngineLong(ch, "RFCONNECT")) << "channel " << ch;
  t.SetEnabled(0);
  EXPECT_STREQ("No enabled channels",
               Catch<Operation_errors::Settings_Conflict>([&] { Output([&] { rf->Set(t.client.Id(), 0); }); }).text.in());
}

TEST(Channels, RestartShowsTheStoredValuesOnceRecalled) {
  const std::string root = FreshTestRoot("restart");
  testset::SimulatedChannels sims({1, 2});
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
