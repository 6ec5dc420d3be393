#include "platform/STpersistance.h"

#include <gtest/gtest.h>

#include "StoreTestSupport.h"

using testing::internal::CaptureStderr;
using testing::internal::GetCapturedStderr;

TEST(STpersistanceTables, RefuseATableBaseThatIsNotAPlainName) {
  ScratchDir dir;
  STpersistance store(1, dir.Path());
  ASSERT_TRUE(store.ConnectToDB());
  CaptureStderr();
  EXPECT_FALSE(store.CheckAndCreateTables("t (a); DROP TABLE y; --"));
  EXPECT_EQ(GetCapturedStderr(),
            "STpersistance:CheckAndCreateTables : invalid table base 't (a); DROP TABLE y; --'\n");
  EXPECT_EQ(RawQuery(dir.DbFile(), "SELECT count(*) FROM sqlite_master"), Rows{{"0"}});
}

TEST(STpersistanceWhereClause, SelectsOnlyTheRowsOfTheStoresInstance) {
  ScratchDir dir;
  auto first = OpenStore(dir.Path(), 1);
  auto second = OpenStore(dir.Path(), 2);
  for (const std::string instance : {"1", "2"}) {
    RawQuery(dir.DbFile(), "INSERT INTO radaltmc_settings_values_metadata VALUES (36," + instance +
                               ",'AltSimNameChan3',1,'value_text')");
    RawQuery(dir.DbFile(), "INSERT INTO radaltmc_settings_values VALUES (36," + instance +
                               ",1,NULL,NULL,NULL,'text " + instance + "')");
  }
  EXPECT_EQ(first->GetStringValue("AltSimNameChan3", 1.0), "text 1");
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
