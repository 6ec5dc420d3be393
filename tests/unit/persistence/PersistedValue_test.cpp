// The value store: the platform class and the engine's value templates, checked against the
// file with a plain SQLite reader that looks at it the way another tool would.
#include "persistence/PersistedValue.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sqlite3.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <limits>
#include <locale>
#include <memory>
#include <thread>

using testing::internal::CaptureStderr;
using testing::internal::GetCapturedStderr;

namespace {

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

std::unique_ptr<STpersistance> OpenStore(const std::string& dir, int instance = 1,
                                         const std::string& base = SettingsBase) {
  auto store = std::make_unique<STpersistance>(instance, dir);
  EXPECT_TRUE(store->ConnectToDB());
  EXPECT_TRUE(store->CheckAndCreateTables(base));
  return store;
}

using Rows = std::vector<std::vector<std::string>>;

// Every row of one statement, run on a connection of its own; NULL cells read "NULL".
Rows RawQuery(const std::string& dbFile, const std::string& sql) {
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

class PersistedValue : public testing::Test {
 protected:
  Rows Raw(const std::string& sql) { return RawQuery(dir_.DbFile(), sql); }

  ScratchDir dir_;
  std::unique_ptr<STpersistance> store_ = OpenStore(dir_.Path());
};

}  // namespace

TEST_F(PersistedValue, IsCreatedOnceAndASecondCreateChangesNothing) {
  CaptureStderr();
  store_->CreateValue(3, "SlaveMode", 1.0, true);
  store_->CreateValue(3, "SlaveMode", 1.0, false);
  store_->CreateValue(3, "Other", 1.0, false);     // same id
  store_->CreateValue(9, "SlaveMode", 1.0, false);  // same name
  EXPECT_EQ(GetCapturedStderr(), "");
  EXPECT_EQ(Raw("SELECT * FROM radaltmc_settings_values_metadata"),
            (Rows{{"3", "1", "SlaveMode", "1.0", "value_int"}}));
  EXPECT_EQ(Raw("SELECT * FROM radaltmc_settings_values"),
            (Rows{{"3", "1", "1.0", "1", "NULL", "NULL", ""}}));
  EXPECT_TRUE(store_->GetValue<bool>("SlaveMode", 1.0));
}

TEST_F(PersistedValue, ReadsBackExactlyWhateverTheGlobalLocale) {
  struct Comma : std::numpunct<char> {
    char do_decimal_point() const override { return ','; }
  };
  const std::vector<double> doubles{0.1 + 0.2, 1.0 / 3, -2.5e-300,
                                    std::numeric_limits<double>::denorm_min()};
  const std::vector<std::string> texts{"", "it's", "x'); DROP TABLE radaltmc_settings_values; --",
                                       "Höhe ✓\n2"};
  const std::locale previous = std::locale::global(std::locale(std::locale::classic(), new Comma));
  for (unsigned i = 0; i < doubles.size(); ++i)
    store_->CreateValue(10 + i, "Loss's " + std::to_string(i), 1.5f, doubles[i]);
  for (unsigned i = 0; i < texts.size(); ++i)
    store_->CreateValue(20 + i, "Name's '" + texts[i], 1.0, texts[i]);
  std::locale::global(previous);

  for (unsigned i = 0; i < doubles.size(); ++i)
    EXPECT_EQ(store_->GetValue<double>("Loss's " + std::to_string(i), 1.5f), doubles[i]);
  for (unsigned i = 0; i < texts.size(); ++i) {
    EXPECT_EQ(store_->GetValue<std::string>(20 + i, 1.0), texts[i]);
    EXPECT_EQ(store_->GetStringValue("Name's '" + texts[i], 1.0), texts[i]);
  }
}

// A read of another type or of a value not stored, and a metadata failure other than an
// existing value, are reported; the reads give zero.
TEST_F(PersistedValue, FailuresAreReportedAndReadsGiveZero) {
  store_->CreateValue(7, "OutputPowerLevelChan1", 1.0, -12.5);
  store_->CreateValue(2, "b", 1.0, 2);
  CaptureStderr();
  EXPECT_EQ(store_->GetValue<int>(7, 1.0), 0);
  EXPECT_EQ(GetCapturedStderr(),
            "STpersistance:GetValue Failed due to template type not matching field type, field "
            "type: value_double\n");
  for (const std::string name : {"Missing", "a' OR name='b", "b' --"}) {
    CaptureStderr();
    EXPECT_EQ(store_->GetValue<int>(name, 1.0), 0) << name;
    const std::string err = GetCapturedStderr();
    EXPECT_NE(err.find(" - failed Expected 1 row query returned: 0\n"), std::string::npos) << err;
  }
  Raw("DROP TABLE radaltmc_settings_values_metadata");
  CaptureStderr();
  store_->CreateValue(1, "SimulationMode", 1.0, 1);
  EXPECT_EQ(GetCapturedStderr(),
            "STpersistance:CreateValue : INSERT INTO radaltmc_settings_values_metadata VALUES "
            "(1,1,'SimulationMode',1,'value_int') - failed: no such table: "
            "radaltmc_settings_values_metadata\n");
}

TEST_F(PersistedValue, ThatIsNotAFiniteNumberIsRefusedAndLeavesNoNameBehind) {
  CaptureStderr();
  store_->CreateValue(4, "LoopLossChan1", 1.0, std::numeric_limits<double>::infinity());
  store_->CreateValue(4, "LoopLossChan1", 1.0, std::numeric_limits<double>::quiet_NaN());
  EXPECT_EQ(GetCapturedStderr(),
            "STpersistance:CreateValue : LoopLossChan1 - refused: inf is not a finite number\n"
            "STpersistance:CreateValue : LoopLossChan1 - refused: nan is not a finite number\n");
  EXPECT_TRUE(Raw("SELECT id FROM radaltmc_settings_values_metadata").empty());
  store_->CreateValue(4, "LoopLossChan1", 1.0, 1.5);
  EXPECT_EQ(store_->GetValue<double>("LoopLossChan1", 1.0), 1.5);
}

TEST_F(PersistedValue, CallersOnManyThreadsEachGetTheirOwnResult) {
  for (int id = 1; id <= 8; ++id) store_->CreateValue(id, "V" + std::to_string(id), 1.0, id);
  std::atomic<int> wrong{0};
  std::vector<std::thread> threads;
  CaptureStderr();
  for (int id = 1; id <= 8; ++id)
    threads.emplace_back([&, id] {
      for (int n = 0; n < 100; ++n) {
        if (store_->GetValue<int>("V" + std::to_string(id), 1.0) != id) ++wrong;
        store_->CreateValue(1000 * id + n, "W" + std::to_string(1000 * id + n), 1.0, n);
      }
    });
  for (auto& t : threads) t.join();
  EXPECT_TRUE(GetCapturedStderr().empty());
  EXPECT_EQ(wrong, 0);
  EXPECT_EQ(Raw("SELECT count(*) FROM radaltmc_settings_values"), Rows{{"808"}});
}

TEST_F(PersistedValue, UpdatedValuesLandInTheirOwnColumnOnlyAndQuotesAreData) {
  store_->CreateValue(1, "Level", 1.0, -20.0);
  store_->CreateValue(2, "Name", 1.0, std::string("first"));
  CaptureStderr();
  // A value of another kind than its row's, and a row that does not exist, change nothing.
  EXPECT_EQ(2, store_->UpdateValues({{1, Bound::Of(0.1)},
                                     {2, Bound::Of(std::string("it's'; DROP TABLE x; --"))},
                                     {1, Bound::Of(std::string("text in a real row"))},
                                     {7, Bound::Of(3)}},
                                    1.0));
  EXPECT_EQ(GetCapturedStderr(), "");
  EXPECT_EQ(0.1, store_->GetValue<double>(1u, 1.0));
  EXPECT_EQ("it's'; DROP TABLE x; --", store_->GetValue<std::string>(2u, 1.0));
  EXPECT_EQ(Raw("SELECT value_text FROM radaltmc_settings_values WHERE id=1"), (Rows{{""}}));
  EXPECT_EQ(Raw("SELECT count(*) FROM radaltmc_settings_values"), (Rows{{"2"}}));
}

// Both rows of a value commit together, and what is committed stays: a writer SIGKILLed in the
// middle of its values loses none it finished and leaves no name without its value, and the
// next start (a connection of its own) reads them back and changes nothing.
TEST(PersistedValueDurability, AWriterKilledMidWayLosesNothingCommittedAndLeavesNoNameWithoutItsValue) {
  ScratchDir dir;
  const std::string name = "Operator's \"choice\"";
  int fds[2];
  ASSERT_EQ(pipe(fds), 0);
  const pid_t writer = fork();
  if (writer == 0) {
    close(fds[0]);
    auto store = OpenStore(dir.Path(), 1, "radaltmc_altsim");
    store->CreateValue(1, name, 1.0, 0.1 + 0.2);
    store->CreateValue(2, "AltSimNameChan1", 1.0, std::string("it's 'quoted'"));
    for (unsigned id = 3;; ++id) {
      store->CreateValue(id, "Ch1Start_Alt_" + std::to_string(id), 1.0, id * 0.5);
      if (id == 50) close(fds[1]);
    }
  }
  close(fds[1]);
  char byte;
  while (read(fds[0], &byte, 1) > 0) {
  }  // the writer has closed its end: 50 values are in
  close(fds[0]);
  kill(writer, SIGKILL);
  int status = 0;
  waitpid(writer, &status, 0);
  ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);

  auto store = OpenStore(dir.Path(), 1, "radaltmc_altsim");
  store->CreateValue(1, name, 1.0, 99.0);
  EXPECT_EQ(store->GetValue<double>(name, 1.0), 0.1 + 0.2);
  EXPECT_EQ(store->GetStringValue("AltSimNameChan1", 1.0), "it's 'quoted'");
  const std::string db = dir.DbFile();
  EXPECT_GE(std::stoi(RawQuery(db, "SELECT count(*) FROM radaltmc_altsim_values")[0][0]), 50);
  EXPECT_EQ(RawQuery(db, "SELECT count(*) FROM radaltmc_altsim_values_metadata "
                         "LEFT JOIN radaltmc_altsim_values v USING (id, instance, version) "
                         "WHERE v.id IS NULL"),
            Rows{{"0"}});
}

TEST_F(PersistedValue, ATableBaseThatIsNotAPlainNameIsRefused) {
  CaptureStderr();
  EXPECT_FALSE(store_->CheckAndCreateTables("t (a); DROP TABLE y; --"));
  EXPECT_EQ(GetCapturedStderr(),
            "STpersistance:CheckAndCreateTables : invalid table base 't (a); DROP TABLE y; --'\n");
  EXPECT_EQ(Raw("SELECT count(*) FROM sqlite_master WHERE name LIKE 't%'"), Rows{{"0"}});
}

TEST_F(PersistedValue, ReadsSelectOnlyTheRowsOfTheStoresInstance) {
  auto second = OpenStore(dir_.Path(), 2);
  for (const std::string instance : {"1", "2"}) {
    Raw("INSERT INTO radaltmc_settings_values_metadata VALUES (36," + instance + ",'AltSimNameChan3',1,'value_text')");
    Raw("INSERT INTO radaltmc_settings_values VALUES (36," + instance + ",1,NULL,NULL,NULL,'text " + instance + "')");
  }
  EXPECT_EQ(store_->GetStringValue("AltSimNameChan3", 1.0), "text 1");
  EXPECT_EQ(second->GetStringValue("AltSimNameChan3", 1.0), "text 2");
}

TEST(STdbConnection, RunsOneStatementPerCallAndNothingOfAMultipleOne) {
  ScratchDir dir;
  STdbConnection connection;
  ASSERT_TRUE(connection.Open(dir.DbFile()));
  ASSERT_TRUE(connection.Execute("CREATE TABLE t (a)"));
  EXPECT_FALSE(connection.Execute("SELECT 1; DROP TABLE t"));
  const char withNul[] = "SELECT '\0'; DROP TABLE t";
  EXPECT_FALSE(connection.Execute(std::string(withNul, sizeof withNul - 1)));
  EXPECT_EQ(RawQuery(dir.DbFile(), "SELECT count(*) FROM t"), Rows{{"0"}});
}

TEST(STpersistanceConnect, AMissingDirectoryIsReportedAndEveryOperationYieldsNothing) {
  ScratchDir dir;
  STpersistance store(1, dir.Path() + "/absent");
  CaptureStderr();
  EXPECT_FALSE(store.ConnectToDB());
  EXPECT_FALSE(store.CheckAndCreateTables(SettingsBase));
  EXPECT_EQ(store.GetStringValue("AltSimNameChan1", 1.0), "");
  const std::string err = GetCapturedStderr();
  EXPECT_EQ(err.rfind("STpersistance:ConnectToDB : " + store.DatabasePath() + " - failed: ", 0), 0u)
      << err;
  EXPECT_NE(err.find("not connected to the database"), std::string::npos);
}
