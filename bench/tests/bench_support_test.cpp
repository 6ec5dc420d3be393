// The bench's own arithmetic and parsing: what would silently skew every figure if wrong.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cmath>

#include "Json.h"
#include "Lines.h"
#include "Probes.h"
#include "Report.h"
#include "Stats.h"
#include "Values.h"

using namespace radalt_bench;

TEST(Stats, NearestRankPercentiles) {
  std::vector<double> samples;
  for (int i = 100; i >= 1; --i) samples.push_back(i);  // unsorted on purpose
  const Summary s = Summarize(samples);
  EXPECT_EQ(s.n, 100u);
  EXPECT_EQ(s.p50, 50);
  EXPECT_EQ(s.p99, 99);
  EXPECT_EQ(s.min, 1);
  EXPECT_EQ(s.max, 100);
  EXPECT_DOUBLE_EQ(s.mean, 50.5);

  // With few samples the p99 is the largest one, never beyond the end.
  EXPECT_EQ(Summarize({3, 1, 2}).p99, 3);
  EXPECT_EQ(Summarize({3, 1, 2}).p50, 2);
  EXPECT_EQ(Summarize({7}).p50, 7);
  EXPECT_EQ(Summarize({}).n, 0u);
}

TEST(Values, AlternatesNearTheCurrentValueWithinLimits) {
  // Room above: ten steps up.
  auto p = AlternatePair(-55.0, -130.0, -10.0, 0.1, false);
  EXPECT_DOUBLE_EQ(p.first, -55.0);
  EXPECT_NEAR(p.second, -54.0, 1e-9);
  // At the top: ten steps down.
  p = AlternatePair(-10.0, -130.0, -10.0, 0.1, false);
  EXPECT_NEAR(p.second, -11.0, 1e-9);
  // A current value outside the limits is brought inside first.
  p = AlternatePair(500.0, 0.0, 160.0, 0.1, false);
  EXPECT_DOUBLE_EQ(p.first, 160.0);
  EXPECT_NEAR(p.second, 159.0, 1e-9);
  // No step: a hundredth of the range.
  p = AlternatePair(0.0, 0.0, 1000.0, 0.0, false);
  EXPECT_DOUBLE_EQ(p.second, 10.0);
}

TEST(Values, IntegralAndDegenerateLimits) {
  // A small whole-number range: the step may not leave it.
  auto p = AlternatePair(3, 0, 3, 1, true);
  EXPECT_EQ(p.first, 3);
  EXPECT_GE(p.second, 0);
  EXPECT_LE(p.second, 3);
  EXPECT_NE(p.first, p.second);
  p = AlternatePair(2.6, 0, 50, 0, true);
  EXPECT_EQ(p.first, 3);
  EXPECT_EQ(p.second, 4);
  // One allowed value: nothing to alternate with.
  p = AlternatePair(5, 5, 5, 1, true);
  EXPECT_EQ(p.first, 5);
  EXPECT_EQ(p.second, 5);
  // Limits given the wrong way round still bound the values.
  p = AlternatePair(7, 10, 0, 1, true);
  EXPECT_EQ(p.first, 7);
  EXPECT_EQ(p.second, 0);
}

TEST(Values, EnumerationsUseAllowedValuesOnly) {
  EXPECT_EQ(AlternateEnum(1, {0, 1}), std::make_pair(1L, 0L));
  EXPECT_EQ(AlternateEnum(0, {0, 1, 2}), std::make_pair(0L, 1L));
  // A current value that is not allowed is replaced by the first allowed one.
  EXPECT_EQ(AlternateEnum(9, {4, 5}), std::make_pair(4L, 5L));
  EXPECT_EQ(AlternateEnum(4, {4}), std::make_pair(4L, 4L));
}

TEST(Probes, ProcStatusFields) {
  const std::string text =
      "Name:\tradalt-engineho\nVmPeak:\t  900000 kB\nVmHWM:\t   41234 kB\nVmRSS:\t   40000 kB\n"
      "Threads:\t17\nSigQ:\t0/95000\n";
  const ProcStatus s = ParseProcStatus(text);
  EXPECT_EQ(s.rssKib, 40000);
  EXPECT_EQ(s.hwmKib, 41234);
  EXPECT_EQ(s.threads, 17);
  EXPECT_EQ(ParseProcStatus("").rssKib, -1);
}

TEST(Probes, SchedstatCpuTime) {
  EXPECT_EQ(ParseSchedstat("123456789 2000 31\n"), 123456789u);
  EXPECT_EQ(ParseSchedstat(""), 0u);
  // The bench's own threads have run: their time is counted and grows.
  const std::uint64_t before = ThreadsCpuNanos(::getpid());
  volatile double x = 0;
  for (int i = 0; i < 2000000; ++i) x = x + i;
  EXPECT_GT(ThreadsCpuNanos(::getpid()), before);
  EXPECT_EQ(ThreadsCpuNanos(-1), 0u);
}

TEST(Json, DocumentText) {
  Json doc = Json::Object();
  doc.Set("name", "a \"quoted\"\ttext\n");
  doc.Set("n", 3);
  doc.Set("x", 1.5);
  doc.Set("missing", nullptr);
  doc.Set("inf", INFINITY);
  Json list = Json::Array();
  list.Push(true).Push(Json());
  doc.Set("list", list);
  doc.Set("n", 4);  // replaces, keeps its place
  EXPECT_EQ(doc.Dump(0),
            "{\"name\":\"a \\\"quoted\\\"\\ttext\\n\",\"n\":4,\"x\":1.5,\"missing\":null,\"inf\":null,"
            "\"list\":[true,null]}");
  EXPECT_EQ(JsonQuote(std::string("\x01", 1)), "\"\\u0001\"");
  EXPECT_TRUE(doc.Get("absent").IsNull());
  EXPECT_EQ(doc.Get("n").AsNumber(), 4);
  EXPECT_EQ(Json::Object().Dump(2), "{}\n");
}

TEST(Report, Formats) {
  EXPECT_EQ(FormatMicros(48.23), "48.2 us");
  EXPECT_EQ(FormatMicros(480.4), "480 us");
  EXPECT_EQ(FormatMicros(1234), "1.23 ms");
  EXPECT_EQ(FormatMicros(2.5e6), "2.50 s");
  EXPECT_EQ(FormatMicros(NAN), "-");
  EXPECT_EQ(FormatRatio(1.934), "x1.93");
  EXPECT_EQ(FormatRatio(NAN), "-");
  EXPECT_EQ(FormatCount(1234567.4), "1,234,567");
  EXPECT_EQ(FormatCount(999), "999");
  EXPECT_DOUBLE_EQ(Round(1.23456, 2), 1.23);
}

TEST(Report, TablesInSectionOrderWithSkippedRows) {
  Report report;
  report.Section("2. Second", {"row", "p50"}).AddRow({"late", "1 us"});
  Table& first = report.Section("1. First", {"row", "p50"});
  first.AddRow({"measured", "48.2 us"});
  first.AddSkipped("absent", "attribute X not present");
  report.Section("2. Second", {"row", "p50"}).AddNote("a note");
  const std::string text = report.RenderTables();
  EXPECT_LT(text.find("1. First"), text.find("2. Second"));
  EXPECT_NE(text.find("absent    skipped: attribute X not present"), std::string::npos);
  EXPECT_NE(text.find("note: a note"), std::string::npos);
  // Cells are right-aligned under their heading.
  EXPECT_NE(text.find("measured  48.2 us"), std::string::npos);

  const Json row = SkippedRow("label", "why", {"p50_us", "p99_us"});
  EXPECT_TRUE(row.Get("p50_us").IsNull());
  EXPECT_EQ(row.Get("skipped").AsString(), "why");
}

TEST(Lines, ClientResultRoundTrip) {
  ClientResult r;
  r.writes = 12345;
  r.refused = 2;
  r.p50 = 61.25;
  r.p99 = 1200.5;
  r.error = "Settings_Conflict: Channel 2 not\nenabled";
  // The client's output may hold other lines before its result.
  const ClientResult back = ParseClientResult("omniORB: warning\n" + FormatClientResult(r) + "\n");
  EXPECT_EQ(back.writes, 12345);
  EXPECT_EQ(back.refused, 2);
  EXPECT_DOUBLE_EQ(back.p50, 61.25);
  EXPECT_DOUBLE_EQ(back.p99, 1200.5);
  EXPECT_EQ(back.error, "Settings_Conflict: Channel 2 not enabled");

  EXPECT_EQ(ParseClientResult("").error, "no result line");
  EXPECT_EQ(ParseClientResult("crashed").writes, 0);
  EXPECT_NE(ParseClientResult("writes=x refused=0 p50_us=1 p99_us=2 error=").error, "");
}

TEST(Lines, KeyValues) {
  const std::map<std::string, std::string> values = {{"construct_us", "21303.4"}, {"error", "CORBA TRANSIENT: a=b"}};
  const auto back = ParseKeyValues(FormatKeyValues(values));
  EXPECT_EQ(back, values);
  EXPECT_DOUBLE_EQ(NumberOf(back, "construct_us"), 21303.4);
  EXPECT_TRUE(std::isnan(NumberOf(back, "error")));
  EXPECT_TRUE(std::isnan(NumberOf(back, "absent")));
  EXPECT_TRUE(ParseKeyValues("no equals sign\n=no key\n").empty());
}

// The peer clients print one JSON object per line; the driver reads the last one, written by
// this bench's own Json, with whatever the peer's library printed around it.
TEST(Lines, JsonLines) {
  Json line = Json::Object();
  line.Set("kind", "latency");
  line.Set("p50_us", 172.25);
  line.Set("n", 300);
  line.Set("error", "DevFailed: \"sys/tg_test/1\", not\nexported");
  line.Set("p99_us", NAN);
  const auto back = ParseJsonLine("{\"kind\": \"warmup\"}\nomniORB: warning {x}\n" + line.Dump(0) + "\n");
  EXPECT_EQ(back.at("kind"), "latency");
  EXPECT_DOUBLE_EQ(NumberOf(back, "p50_us"), 172.25);
  EXPECT_DOUBLE_EQ(NumberOf(back, "n"), 300);
  EXPECT_EQ(back.at("error"), "DevFailed: \"sys/tg_test/1\", not\nexported");
  EXPECT_TRUE(std::isnan(NumberOf(back, "p99_us")));  // null

  EXPECT_TRUE(ParseJsonLine("").empty());
  EXPECT_TRUE(ParseJsonLine("{\"kind\": \"cut off").empty());
  EXPECT_TRUE(ParseJsonLine("{\"a\" 1}").empty());
  EXPECT_EQ(ParseJsonLine("{}").size(), 0u);
}
