// The persisted ids and names of the master control's settings, read back from a real
// store: every setting has its own id and name, and both stay what earlier stores hold.
#include <sqlite3.h>

#include <map>
#include <set>

#include "SimBench.h"
#include "platform/STpersistance.h"

using namespace simbench;

namespace {

// id -> name of every row of table in the store below root.
std::map<int, std::string> Rows(const std::string& root, const std::string& table) {
  sqlite3* db = nullptr;
  std::map<int, std::string> rows;
  EXPECT_EQ(SQLITE_OK, sqlite3_open((root + "/engines/lib/" + STpersistance::DatabaseFileName).c_str(), &db));
  sqlite3_stmt* stmt = nullptr;
  const std::string sql = "SELECT id, name FROM " + table + "_values_metadata";
  EXPECT_EQ(SQLITE_OK, sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt, nullptr));
  while (sqlite3_step(stmt) == SQLITE_ROW) {
    const int id = sqlite3_column_int(stmt, 0);
    const std::string name = reinterpret_cast<const char*>(sqlite3_column_text(stmt, 1));
    EXPECT_TRUE(rows.emplace(id, name).second) << "id " << id << " persisted twice";
  }
  sqlite3_finalize(stmt);
  sqlite3_close(db);
  return rows;
}

}  // namespace

TEST(PersistedIds, SettingsKeepTheirOwnIdsAndNames) {
  const std::string root = FreshRoot();
  Bench b({1, 2, 3}, root);
  std::map<int, std::string> expected = {
      {1, "NoOfAvailableChannels"}, {2, "NoOfEnabledChannels"}, {3, "SlaveMode"},
      {5, "CoupledAltitudeSimulation"}, {7, "FactoryCalibrationChannel"}, {10, "RfConnection"},
      {101, "SimulationMode"}, {102, "RunStopTest"}, {103, "PauseResumeTest"}, {104, "TotalDuration_min"}};
  const char* const ramps[] = {"CurrentAltitude", "CurrentStartAltitude", "CurrentStopAltitude",
                               "CurrentAltitudeRate", "CurrentAltitudeDuration"};
  for (int role = 0; role < 5; ++role)
    for (int ch = 1; ch <= 3; ++ch) expected[105 + 3 * role + ch - 1] = std::string(ramps[role]) + "Chan" + std::to_string(ch);
  for (int ch = 1; ch <= 3; ++ch) expected[33 + ch] = "AltSimNameChan" + std::to_string(ch);
  // UUT detection, units and display modes
  const char* const uut[] = {"UutAutodetect", "UutType", "UutCdfSubType", "CdfAltCorr", "AltitudeUnits",
                             "DistanceUnits", "FreqDisplayMode", "ProfileDisplayUnits", "PowerDisplayMode"};
  for (int i = 0; i < 9; ++i) expected[501 + i] = uut[i];
  // RF level and path losses.
  const std::pair<int, const char*> rfPerChannel[] = {
      {18, "OutputPowerLevelChan"}, {38, "TxCableLossChan"},     {41, "RxCableLossChan"},
      {44, "TxCouplerLossChan"},    {47, "RxCouplerLossChan"},   {50, "OffsetChan"},
      {80, "LoopLossChan"},         {403, "TxExternalLossChan"}, {406, "RxExternalLossChan"}};
  for (const auto& [first, stem] : rfPerChannel)
    for (int ch = 1; ch <= 3; ++ch) expected[first + ch - 1] = stem + std::to_string(ch);
  for (const auto& [id, name] : std::map<int, std::string>{{401, "RfLevelMode"}, {402, "CoupledManualRfLevel"},
                                                           {409, "RfLevelOffset"}, {410, "AidFixed"},
                                                           {411, "AidVariable"}, {412, "AidMode"}})
    expected[id] = name;
  // Calibration readings kept for the pages.
  const char* const cal[] = {"checkUserCalRunning", "checkAnalogVarAttenCalRunning", "UserCalValid", "TCXOCalValid",
                             "RxCWCalValid",        "RXPULSECalValid",               "TXCalValid",   "AnalogVarAttenCalValid"};
  for (int i = 0; i < 8; ++i) expected[56 + i] = cal[i];
  for (int ch = 1; ch <= 3; ++ch) expected[63 + ch] = "SettingsNameChan" + std::to_string(ch);
  EXPECT_EQ(expected, Rows(root, "radaltmc_settings"));

  // The profile store: every id and every name once.
  const std::map<int, std::string> legs = Rows(root, "radaltmc_altsim");
  std::set<std::string> names;
  for (const auto& [id, name] : legs) EXPECT_TRUE(names.insert(name).second) << name << " persisted twice";
  EXPECT_FALSE(legs.empty());
}
