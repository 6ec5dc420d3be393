// Footprint: resident memory and threads of the engine host, and of the channel engines for
// comparison, with three channels.
#include "Bench.h"
#include "Probes.h"

namespace radalt_bench {

namespace {

Json StatusJson(const ProcStatus& s) {
  Json j = Json::Object();
  j.Set("rss_kib", s.rssKib);
  j.Set("peak_rss_kib", s.hwmKib);
  j.Set("threads", s.threads);
  return j;
}

}  // namespace

void RunFootprint(Bench& bench, const std::string& when) {
  Table& table = bench.report.Section("6. Footprint, three channels",
                                      {"process", "when", "RSS", "peak RSS", "threads"});
  const std::string id = when == "after start" ? "after_start" : "after_run";
  if (bench.footprint.IsNull()) bench.footprint = Json::Object();
  Json at = Json::Object();

  const ProcStatus host = ReadProcStatus(bench.testSet.Pid("enginehost"));
  if (host.rssKib < 0) {
    table.AddSkipped("engine host (master control)", "its status cannot be read");
    at.Set("engine_host", nullptr);
  } else {
    table.AddRow({"engine host (master control)", when, FormatKib(host.rssKib), FormatKib(host.hwmKib),
                  std::to_string(host.threads)});
    at.Set("engine_host", StatusJson(host));
  }
  ProcStatus largest;
  for (int ch = 1; ch <= 3; ++ch) {
    const ProcStatus s = ReadProcStatus(bench.testSet.Pid("radaltsc-" + std::to_string(ch)));
    if (s.rssKib > largest.rssKib) largest = s;
  }
  if (largest.rssKib >= 0) {
    table.AddRow({"channel engine (largest of 3)", when, FormatKib(largest.rssKib), FormatKib(largest.hwmKib),
                  std::to_string(largest.threads)});
    at.Set("channel_engine_largest", StatusJson(largest));
  }
  bench.footprint.Set(id, at);
  bench.report.Data().Set("footprint", bench.footprint);
}

}  // namespace radalt_bench
