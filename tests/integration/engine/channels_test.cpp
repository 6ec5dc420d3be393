// Channel configuration against simulated engines: counts and their refusals, the copy of
// channel-wide settings to newly enabled channels, the RF connection; the table of persisted
// values against itself and against what a started master control stores, and the stored
// values a restart recalls. (Coupling: readings_follow_test.)
#include <sqlite3.h>

#include <filesystem>
#include <set>
#include <utility>

#include "../../support/TestSet.h"
#include "CALIBRATION.h"
#include "PersistedValues.h"
#include "RF_CONNECTION.h"
#include "SLAVE_MODE.h"

using namespace Velmarin;
using OE = Operation_errors::DataOutOfRange;

namespace {

struct ThreeChannels : testset::Bench {
  ThreeChannels() : testset::Bench(testset::Setup{}) {}
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

using Rows = std::set<std::pair<unsigned, std::string>>;

Rows Stored(sqlite3* db, const std::string& table) {
  Rows rows;
  sqlite3_stmt* st = nullptr;
  EXPECT_EQ(SQLITE_OK, sqlite3_prepare_v2(db, ("SELECT id, name FROM " + table).c_str(), -1, &st, nullptr));
  while (sqlite3_step(st) == SQLITE_ROW)
    rows.emplace(static_cast<unsigned>(sqlite3_column_int(st, 0)),
                 reinterpret_cast<const char*>(sqlite3_column_text(st, 1)));
  sqlite3_finalize(st);
  return rows;
}

}  // namespace

TEST(Channels, EnablingChannelsCopiesChannelOnesChannelWideSettings) {
  ThreeChannels t;
  t.SetEnabled(1);
  // Channel 1 is set up for manual RF level, manual UUT type, its own display modes...
  const std::pair<const char*, int> kChannelWide[] = {{"RFLVLMODE", 1},       {"UUTDETECT", 1}, {"UUTTYPE", 2},
                                                      {"FREQDISPLAYMODE", 1}, {"POWERUNITS", 1}, {"DIAGATTENTX1RAW", 12}};
  for (const auto& [key, value] : kChannelWide) t.Engine(1).Assign(key, value);
  // ...and its own CDF altitude correction, which stays per channel.
  t.Engine(1).Assign("CDFALTCORR", 0);

  t.SetEnabled(3);
  for (int ch : {2, 3}) {
    for (const auto& [key, value] : kChannelWide) EXPECT_EQ(value, t.EngineNumber(ch, key)) << ch << " " << key;
    EXPECT_EQ(1, t.EngineNumber(ch, "CDFALTCORR")) << ch;
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

TEST(Channels, RfConnectionGoesToEveryEnabledChannel) {
  ThreeChannels t;
  EngineAttribEnum_var rf = t.mc.RfConnectionObj()->RfConnection();
  t.SetEnabled(2);
  rf->Set(t.client.Id(), 1);
  EXPECT_EQ(1, rf->Get());
  for (int ch : {1, 2, 3}) EXPECT_EQ(ch <= 2 ? 1 : 0, t.EngineNumber(ch, "RFCONNECT")) << "channel " << ch;
  t.SetEnabled(0);
  EXPECT_STREQ("No enabled channels",
               Catch<Operation_errors::Settings_Conflict>([&] { Output([&] { rf->Set(t.client.Id(), 0); }); }).text.in());
}

TEST(PersistedValues, NoIdNameOrKeyTwice) {
  std::set<unsigned> ids;
  std::set<std::string> names, keys;
  for (const radalt::persisted::Row& row : radalt::persisted::SettingsRows()) {
    EXPECT_TRUE(ids.insert(row.id).second) << "id " << row.id << " twice";
    EXPECT_TRUE(names.insert(row.name).second) << row.name << " twice";
    EXPECT_TRUE(keys.insert(row.key).second) << row.key << " persisted twice";
  }
  EXPECT_THROW(radalt::persisted::Id("NoSuchValue"), std::logic_error);
}

// A started master control stores exactly the table; started again, it shows the stored values
// only once they are recalled.
TEST(PersistedValues, AStartedMasterControlStoresTheTableAndARestartShowsItOnceRecalled) {
  const std::string root = FreshTestRoot("radalt-persisted");
  testset::SimulatedChannels sims({1, 2, 3});
  { RADALT_MC first(TestConfig(root)); }
  sqlite3* db = nullptr;
  ASSERT_EQ(SQLITE_OK, sqlite3_open((root + "/engines/lib/" + STpersistance::DatabaseFileName).c_str(), &db));
  Rows table;
  for (const radalt::persisted::Row& row : radalt::persisted::SettingsRows()) table.emplace(row.id, row.name);
  EXPECT_EQ(table, Stored(db, "radaltmc_settings_values_metadata"));
  const Rows profiles = Stored(db, "radaltmc_altsim_values_metadata");
  ASSERT_EQ(3 * radalt::persisted::ProfileRowsPerChannel(), profiles.size());
  EXPECT_EQ(radalt::persisted::ProfileFirstId(1), profiles.begin()->first);
  EXPECT_EQ(radalt::persisted::ProfileFirstId(4) - 1, profiles.rbegin()->first);

  // The store's values are changed by whatever else writes them (the save/recall engine).
  const char* update =
      "UPDATE radaltmc_settings_values SET value_int = 1 WHERE id = 3;"   // SlaveMode
      "UPDATE radaltmc_settings_values SET value_int = 1 WHERE id = 2;";  // NoOfEnabledChannels
  ASSERT_EQ(SQLITE_OK, sqlite3_exec(db, update, nullptr, nullptr, nullptr));
  sqlite3_close(db);
  RADALT_MC second(TestConfig(root));
  EXPECT_FALSE(second.SlaveModeObj()->Value());
  EXPECT_EQ(3, second.NoOfEnabledChannelsObj()->Value());
  second.RecallMCSettings();
  EXPECT_TRUE(second.SlaveModeObj()->Value());
  EXPECT_EQ(1, second.NoOfEnabledChannelsObj()->Value());
  std::filesystem::remove_all(root);
}
