// The table of persisted values against itself and against what a started master control
// stores: one line per value, no id or name twice, nothing stored that is not a line.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <filesystem>
#include <set>
#include <utility>

#include "PersistedValues.h"
#include "RADALT_MC.h"
#include "ScFixture.h"
#include "TestConfig.h"

namespace {

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

TEST(PersistedValues, AStartedMasterControlStoresExactlyTheTable) {
  const std::string root = FreshTestRoot("radalt-persisted");
  {
    SimulatedChannels sims({1, 2, 3});
    RADALT_MC mc(TestConfig(root));
  }
  sqlite3* db = nullptr;
  ASSERT_EQ(SQLITE_OK, sqlite3_open((root + "/engines/lib/" + STpersistance::DatabaseFileName).c_str(), &db));

  Rows table;
  for (const radalt::persisted::Row& row : radalt::persisted::SettingsRows()) table.emplace(row.id, row.name);
  EXPECT_EQ(table, Stored(db, "radaltmc_settings_values_metadata"));

  const Rows profiles = Stored(db, "radaltmc_altsim_values_metadata");
  ASSERT_EQ(3 * radalt::persisted::ProfileRowsPerChannel(), profiles.size());
  EXPECT_EQ(radalt::persisted::ProfileFirstId(1), profiles.begin()->first);
  EXPECT_EQ(radalt::persisted::ProfileFirstId(4) - 1, profiles.rbegin()->first);
  sqlite3_close(db);
  std::filesystem::remove_all(root);
}

}  // namespace
