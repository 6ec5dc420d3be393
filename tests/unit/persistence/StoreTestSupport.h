// Helpers for the value-store tests: a scratch directory, a ready store, and a plain
// SQLite reader that looks at the file the way another tool would.
#pragma once

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <stdlib.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "platform/STpersistance.h"

constexpr const char* SettingsBase = "radaltmc_settings";

class ScratchDir {
 public:
  ScratchDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "store-XXXXXX").string();
    path_ = mkdtemp(pattern.data());
  }
  ~ScratchDir() { std::filesystem::remove_all(path_); }
  const std::string& Path() const { return path_; }
  std::string DbFile() const { return path_ + "/" + STpersistance::DatabaseFileName; }

 private:
  std::string path_;
};

inline std::unique_ptr<STpersistance> OpenStore(const std::string& dir, int instance = 1,
                                                const std::string& base = SettingsBase) {
  auto store = std::make_unique<STpersistance>(instance, dir);
  EXPECT_TRUE(store->ConnectToDB());
  EXPECT_TRUE(store->CheckAndCreateTables(base));
  return store;
}

using Rows = std::vector<std::vector<std::string>>;

// Every row of one statement, run on a connection of its own; NULL cells read "NULL".
inline Rows RawQuery(const std::string& dbFile, const std::string& sql) {
  sqlite3* db = nullptr;
  sqlite3_stmt* stmt = nullptr;
  Rows rows;
  sqlite3_open_v2(dbFile.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr);
  sqlite3_busy_timeout(db, 5000);
  if (sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt, nullptr) != SQLITE_OK)
    ADD_FAILURE() << sql << ": " << sqlite3_errmsg(db);
  while (stmt && sqlite3_step(stmt) == SQLITE_ROW) {
    rows.emplace_back();
    for (int c = 0; c < sqlite3_column_count(stmt); ++c) {
      const auto* text = sqlite3_column_text(stmt, c);
      rows.back().push_back(text ? reinterpret_cast<const char*>(text) : "NULL");
    }
  }
  sqlite3_finalize(stmt);
  sqlite3_close(db);
  return rows;
}
