#include "persistence/PersistedValue.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <limits>
#include <locale>
#include <thread>

#include "StoreTestSupport.h"

using testing::internal::CaptureStderr;
using testing::internal::GetCapturedStderr;

namespace {

class PersistedValue : public testing::Test {
 protected:
  Rows Raw(const std::string& sql) { return RawQuery(dir_.DbFile(), sql); }

  ScratchDir dir_;
  std::unique_ptr<STpersistance> store_ = OpenStore(dir_.Path());
};

// Forks a child that runs body(fd) and exits; returns what it wrote to fd. With pid
// given, the child is left running for the caller to end.
template <typename Body>
std::string InChild(Body body, pid_t* pid = nullptr) {
  int fds[2];
  if (pipe(fds) != 0) return "pipe failed";
  const pid_t child = fork();
  if (child == 0) {
    close(fds[0]);
    body(fds[1]);
    _exit(0);
  }
  close(fds[1]);
  std::string out;
  char buf[256];
  for (ssize_t n; (n = read(fds[0], buf, sizeof buf)) > 0;) out.append(buf, n);
  close(fds[0]);
  if (pid) *pid = child; else waitpid(child, nullptr, 0);
  return out;
}

void Send(int fd, const std::string& text) { (void)!write(fd, text.data(), text.size()); }

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

TEST_F(PersistedValue, OfAnotherTypeReportsTheStoredTypeAndReadsZero) {
  store_->CreateValue(7, "OutputPowerLevelChan1", 1.0, -12.5);
  CaptureStderr();
  EXPECT_EQ(store_->GetValue<int>(7, 1.0), 0);
  EXPECT_EQ(GetCapturedStderr(),
            "STpersistance:GetValue Failed due to template type not matching field type, field "
            "type: value_double\n");
}

TEST_F(PersistedValue, NotStoredReadsZeroAfterTheRowCountMessage) {
  store_->CreateValue(1, "a", 1.0, 1);
  store_->CreateValue(2, "b", 1.0, 2);
  for (const std::string name : {"Missing", "a' OR name='b", "b' --"}) {
    CaptureStderr();
    EXPECT_EQ(store_->GetValue<int>(name, 1.0), 0) << name;
    const std::string err = GetCapturedStderr();
    EXPECT_NE(err.find(" - failed Expected 1 row query returned: 0\n"), std::string::npos) << err;
  }
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

TEST_F(PersistedValue, AMetadataFailureOtherThanAnExistingValueIsReported) {
  Raw("DROP TABLE radaltmc_settings_values_metadata");
  CaptureStderr();
  store_->CreateValue(1, "SimulationMode", 1.0, 1);
  EXPECT_EQ(GetCapturedStderr(),
            "STpersistance:CreateValue : INSERT INTO radaltmc_settings_values_metadata VALUES "
            "(1,1,'SimulationMode',1,'value_int') - failed: no such table: "
            "radaltmc_settings_values_metadata\n");
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

TEST(PersistedValueDurability, SurvivesASigkilledWriterAndIsReadByANewProcess) {
  ScratchDir dir;
  const std::string name = "Operator's \"choice\"";
  pid_t writer = 0;
  const std::string ready = InChild(
      [&](int fd) {
        auto store = OpenStore(dir.Path());
        store->CreateValue(7, name, 1.0, 0.1 + 0.2);
        store->CreateValue(8, "AltSimNameChan1", 1.0, std::string("it's 'quoted'"));
        Send(fd, "stored");
        close(fd);
        pause();
      },
      &writer);
  ASSERT_EQ(ready, "stored");
  kill(writer, SIGKILL);
  int status = 0;
  waitpid(writer, &status, 0);
  ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);

  const std::string seen = InChild([&](int fd) {
    auto store = OpenStore(dir.Path());
    store->CreateValue(7, name, 1.0, 99.0);  // the next start changes nothing
    Send(fd, persisted_value_detail::ValueText(store->GetValue<double>(name, 1.0)) + "|" +
                 store->GetStringValue("AltSimNameChan1", 1.0));
  });
  EXPECT_EQ(seen, persisted_value_detail::ValueText(0.1 + 0.2) + "|it's 'quoted'");
}

TEST(PersistedValueDurability, AWriterKilledMidWayLeavesNoNameWithoutItsValue) {
  ScratchDir dir;
  pid_t writer = 0;
  InChild(
      [&](int fd) {
        auto store = OpenStore(dir.Path(), 1, "radaltmc_altsim");
        for (unsigned id = 1;; ++id) {
          store->CreateValue(id, "Ch1Start_Alt_" + std::to_string(id), 1.0, id * 0.5);
          if (id == 50) close(fd);
        }
      },
      &writer);
  kill(writer, SIGKILL);  // 50 values are in: the child closed its end after the 50th
  waitpid(writer, nullptr, 0);
  const std::string db = dir.DbFile();
  EXPECT_GE(std::stoi(RawQuery(db, "SELECT count(*) FROM radaltmc_altsim_values")[0][0]), 50);
  EXPECT_EQ(RawQuery(db, "SELECT count(*) FROM radaltmc_altsim_values_metadata "
                         "LEFT JOIN radaltmc_altsim_values v USING (id, instance, version) "
                         "WHERE v.id IS NULL"),
            Rows{{"0"}});
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
