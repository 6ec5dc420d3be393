// Reset of the whole test set: with a simulation running and every setting moved away from its
// start-up value, Reset stops the run, resets the channel engines and writes the start-up
// values back through the settings' own write handlers, in the order of the reset table.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <mutex>
#include <sstream>
#include <string>
#include <vector>

#include "../../support/TestSet.h"

using namespace Velmarin;

namespace {

// Which channel engines hold a setting.
enum class Reach {
  Own,            // one per channel ("CH<n>" + key), on its own channel's engine
  EveryEnabled,   // one setting, on every enabled channel's engine
  ChannelOne,     // one setting, on channel 1's engine only
  MasterControl,  // the master control's own
};

// One setting of the reset table. An empty value stands for "current": the value shown before
// the reset is written back.
struct Row {
  int order;
  const char* key;
  const char* engineKey;
  Reach reach;
  const char* value;
};

// The reset table, in the order the start-up values are written.
const Row kResetTable[] = {
    {1, "AIDMODE", "AIDMODE", Reach::ChannelOne, "1"},
    {2, "AIDVAR", "AIDVAR", Reach::ChannelOne, "0"},
    {3, "AIDMODE", "AIDMODE", Reach::ChannelOne, "0"},
    {4, "AIDFIXED", "AIDFIXED", Reach::ChannelOne, "1"},
    {5, "ALTUNITS", "ALTUNITS", Reach::EveryEnabled, "0"},
    {6, "LEGDATA", "LEGDATA", Reach::Own, "legs=0"},
    {7, "COUPLEDALTITUDESIMULATION", nullptr, Reach::MasterControl, "0"},
    {7, "COUPLEDMANUALRFLVL", nullptr, Reach::MasterControl, "0"},
    {8, "CURALT", "CURALT", Reach::Own, "0"},
    {9, "CURALTDUR", "CURDURATION", Reach::Own, "1"},
    {10, "CURALTRATE", "CURALTRATE", Reach::Own, "0"},
    {10, "CURSTARTALT", "CURSTARTALT", Reach::Own, "0"},
    {10, "CURSTOPALT", "CURSTOPALT", Reach::Own, "0"},
    {11, "DIAGMODE", "DIAGMODE", Reach::ChannelOne, "0"},
    {12, "DIAGOUTPUTFREQ", "DIAGFREQ", Reach::ChannelOne, "4300"},
    {13, "DIAGOUTPUTPOWER", "DIAGPWR", Reach::ChannelOne, "-55"},
    {14, "DIAGPRF", "DIAGPRF", Reach::ChannelOne, "2000"},
    {15, "DIAGPULSEWIDTH", "DIAGPULSEWIDTH", Reach::ChannelOne, "20"},
    {16, "DIAGRXATTEN", "DIAGRXATTEN", Reach::ChannelOne, "31"},
    {17, "DIAGRXGAINSTAGE", "DIAGRXGAINSTAGE", Reach::ChannelOne, "0"},
    {18, "DIAGATTENOUTPUTFREQ", "DIAGATTENOUTPUTFREQ", Reach::ChannelOne, "4300"},
    {18, "DIAGATTENTX0RAW", "DIAGATTENTX0RAW", Reach::ChannelOne, "63"},
    {18, "DIAGATTENTX1RAW", "DIAGATTENTX1RAW", Reach::ChannelOne, "63"},
    {18, "DIAGATTENTX2RAW", "DIAGATTENTX2RAW", Reach::ChannelOne, "63"},
    {19, "DIAGLOOPBACKFREQ", "DIAGLOOPBACKFREQ", Reach::ChannelOne, "4300"},
    {19, "DIAGLOOPBACKTXANALOGATTEN", "DIAGLOOPBACKTXANALOGATTEN", Reach::ChannelOne, "1023"},
    {19, "DIAGLOOPBACKTX0RAW", "DIAGLOOPBACKTX0RAW", Reach::ChannelOne, "63"},
    {19, "DIAGLOOPBACKTX1RAW", "DIAGLOOPBACKTX1RAW", Reach::ChannelOne, "63"},
    {19, "DIAGLOOPBACKTX2RAW", "DIAGLOOPBACKTX2RAW", Reach::ChannelOne, "63"},
    {19, "DIAGLOOPBACKRXATTEN", "DIAGLOOPBACKRXATTEN", Reach::ChannelOne, "63"},
    {19, "DIAGLOOPBACKGAINSTAGE", "DIAGLOOPBACKGAINSTAGE", Reach::ChannelOne, "0"},
    {19, "DIAGLOOPBACKRXANALOGATTEN", "DIAGLOOPBACKRXANALOGATTEN", Reach::ChannelOne, "1023"},
    {20, "DIAGPASSTHRUTXANALOGATTEN", "DIAGPASSTHRUTXANALOGATTEN", Reach::ChannelOne, "1023"},
    {20, "DIAGPASSTHRUDDS0", "DIAGPASSTHRUDDS0", Reach::ChannelOne, "0"},
    {20, "DIAGPASSTHRUDDS1", "DIAGPASSTHRUDDS1", Reach::ChannelOne, "0"},
    {20, "DIAGPASSTHRUTX0RAW", "DIAGPASSTHRUTX0RAW", Reach::ChannelOne, "63"},
    {20, "DIAGPASSTHRUTX1RAW", "DIAGPASSTHRUTX1RAW", Reach::ChannelOne, "63"},
    {20, "DIAGPASSTHRUTX2RAW", "DIAGPASSTHRUTX2RAW", Reach::ChannelOne, "63"},
    {20, "DIAGPASSTHRURXATTEN", "DIAGPASSTHRURXATTEN", Reach::ChannelOne, "63"},
    {20, "DIAGPASSTHRUGAINSTAGE", "DIAGPASSTHRUGAINSTAGE", Reach::ChannelOne, "0"},
    {20, "DIAGPASSTHRURXANALOGATTEN", "DIAGPASSTHRURXANALOGATTEN", Reach::ChannelOne, "1023"},
    {21, "DISTUNITS", "DISTUNITS", Reach::EveryEnabled, "0"},
    {22, "OFFSET", "DISTOFFSET", Reach::Own, "0"},
    {23, "OUTPWRLVL", "OUTPWRLVL", Reach::Own, "-55"},
    {24, "LOOPLOSS", "LOOPLOSS", Reach::Own, ""},
    {25, "PAUSERESUMETEST", "PAUSERESUMETEST", Reach::EveryEnabled, "0"},
    {25, "RFCONNECT", "RFCONNECT", Reach::EveryEnabled, "0"},
    {25, "RFLVLMODE", "RFLVLMODE", Reach::EveryEnabled, "0"},
    {26, "RFLVLOFFSET", "RFLVLOFFSET", Reach::EveryEnabled, "0"},
    {27, "RXCBLLOSS", "RXCABLELOSS", Reach::Own, "0"},
    {27, "RXCOUPLOSS", "RXCOUPLERLOSS", Reach::Own, "0"},
    {27, "RXEXTLOSS", "RXEXTLOSS", Reach::Own, "0"},
    {27, "TXCBLLOSS", "TXCABLELOSS", Reach::Own, "0"},
    {27, "TXCOUPLOSS", "TXCOUPLERLOSS", Reach::Own, "0"},
    {27, "TXEXTLOSS", "TXEXTLOSS", Reach::Own, "0"},
    {28, "SIMULATIONMODE", "SIMMODE", Reach::EveryEnabled, "0"},
    {28, "SLAVEMODE", nullptr, Reach::MasterControl, "0"},
    {28, "UUTDETECT", "UUTDETECT", Reach::EveryEnabled, "0"},
    {28, "UUTTYPE", "UUTTYPE", Reach::EveryEnabled, "0"},
    {28, "UUTCDFSUBTYPE", "UUTCDFSUBTYPE", Reach::EveryEnabled, "0"},
    {29, "CDFALTCORRECTION", "CDFALTCORR", Reach::EveryEnabled, "1"},
    {30, "PROFILENAME", "NAME", Reach::Own, "Profile1"},
    {31, "SETTINGSNAME", "SETTINGSNAME", Reach::Own, "Settings1"},
    {32, "FREQDISPLAYMODE", "FREQDISPLAYMODE", Reach::EveryEnabled, "0"},
    {32, "PROFILEDISPLAYUNITS", "PROFILEDISPLAYUNITS", Reach::EveryEnabled, "0"},
    {32, "POWERDISPLAYMODE", "POWERUNITS", Reach::EveryEnabled, "0"},
};

// What the engines see of their reset, in their logs of accepted writes.
const char* const kEngineReset = "(engine reset)";
// An engine item that no setting writes, moved away from its initial value so that the
// engine's own reset shows.
const char* const kResetMark = "TCXODAC";

std::string Number(double v) {
  std::ostringstream out;
  out << (v == 0.0 ? 0.0 : v);
  return out.str();
}

std::string LegCount(const CORBA::Any& any) { return "legs=" + std::to_string(testset::LegCount(any)); }

// Three channel engines and the master control; every write each engine accepts is logged.
struct TestSet : testset::Bench {
  TestSet() : testset::Bench({{1, 2, 3}, {}, false, "", [](radalt::EngineConfig& c) { c.runSettleMs = 1; }}) {
    for (int ch = 1; ch <= 3; ++ch) Engine(ch).OnAccepted([this, ch](const std::string& key) { Log(ch, key); });
  }

  static std::vector<std::string> Keys(const Row& row) {
    if (row.reach != Reach::Own) return {row.key};
    std::vector<std::string> keys;
    for (int ch = 1; ch <= 3; ++ch) keys.push_back("CH" + std::to_string(ch) + row.key);
    return keys;
  }
  // The engines holding key (one of Keys(row)).
  static std::vector<int> EnginesOf(const Row& row, const std::string& key) {
    if (row.reach == Reach::Own) return {key[2] - '0'};
    if (row.reach == Reach::EveryEnabled) return {1, 2, 3};
    return row.reach == Reach::ChannelOne ? std::vector<int>{1} : std::vector<int>{};
  }

  // What the master control shows under key, as text.
  std::string Shown(const std::string& key) {
    EngineReadingBase_i* a = mc.Gui().Local(key);
    if (auto* v = dynamic_cast<EngineAttribValueDouble_i*>(a)) return Number(v->Value().val);
    if (auto* v = dynamic_cast<EngineAttribValueLong_i*>(a)) return Number(v->Value().val);
    if (auto* v = dynamic_cast<EngineAttribEnum_i*>(a)) return Number(v->Value());
    if (auto* v = dynamic_cast<EngineAttribLong_i*>(a)) return Number(v->Value());
    if (auto* v = dynamic_cast<EngineAttribBoolean_i*>(a)) return Number(v->Value());
    if (auto* v = dynamic_cast<EngineAttribString_i*>(a)) return v->Value();
    if (auto* v = dynamic_cast<EngineAttribAny_i*>(a)) return LegCount(v->Value());
    return "(no attribute " + key + ")";
  }
  // What channel's engine holds under key, as text.
  std::string Held(int channel, const std::string& key) {
    radaltsim::ItemStore& items = Engine(channel);
    const std::string kind = items.Row(key).kind;
    if (kind == "AttribString") return items.Text(key);
    if (kind == "AttribAny") return LegCount(items.AnyValue(key));
    if (kind == "AttribVoid") return "";
    return Number(items.Number(key));
  }

  // A write of key by who (the client when not given); a refusal names the key.
  void Set(const std::string& key, double v) { Set(key, v, client.Id()); }
  void Set(const std::string& key, double v, const Locker_ID& who) {
    EngineReadingBase_i* a = mc.Gui().Local(key);
    try {
      if (auto* d = dynamic_cast<EngineAttribValueDouble_i*>(a)) {
        d->Set(who, testset::WithVal(d->Value(), v));
      } else if (auto* l = dynamic_cast<EngineAttribValueLong_i*>(a)) {
        l->Set(who, testset::WithVal(l->Value(), static_cast<CORBA::Long>(v)));
      } else if (auto* e = dynamic_cast<EngineAttribEnum_i*>(a)) {
        e->Set(who, static_cast<CORBA::Long>(v));
      } else if (auto* i = dynamic_cast<EngineAttribLong_i*>(a)) {
        i->Set(who, static_cast<CORBA::Long>(v));
      } else if (auto* b = dynamic_cast<EngineAttribBoolean_i*>(a)) {
        b->Set(who, v != 0.0);
      } else {
        FAIL() << "no numeric setting " << key;
      }
    } catch (const CORBA::Exception& e) {
      ADD_FAILURE() << "writing " << key << ": " << e._name();
      throw;
    }
  }
  void SetText(const std::string& key, const char* text) {
    dynamic_cast<EngineAttribString_i&>(*mc.Gui().Local(key)).Set(client.Id(), text);
  }

  // Makes the engines' own reset visible in their logs: a mark only that reset clears, and
  // boards put to sleep, which only a hardware reset wakes.
  void MarkEngines() {
    for (int ch = 1; ch <= 3; ++ch) {
      Engine(ch).Assign(kResetMark, 100);
      engines[ch].rci_set_rf_sleep();
    }
    std::lock_guard<std::mutex> lock(logMutex);
    log.clear();
  }
  void Log(int channel, const std::string& key) {
    radaltsim::ScEngine_i& engine = engines[channel];
    const bool reset = engine.Items().Number(kResetMark) != 100 && !engine.Asleep();
    const std::string value = Held(channel, key);
    std::lock_guard<std::mutex> lock(logMutex);
    std::vector<std::string>& mine = log[channel];
    if (reset && std::find(mine.begin(), mine.end(), kEngineReset) == mine.end()) mine.push_back(kEngineReset);
    mine.push_back(value.empty() ? key : key + "=" + value);
  }

  std::mutex logMutex;
  std::map<int, std::vector<std::string>> log;  // by channel, oldest first
};

// The first entry of expected that is not found, in order, in actual ("" when all are).
std::string MissingInOrder(const std::vector<std::string>& expected, const std::vector<std::string>& actual) {
  auto at = actual.begin();
  for (const std::string& e : expected) {
    at = std::find(at, actual.end(), e);
    if (at == actual.end()) return e;
    ++at;
  }
  return "";
}

}  // namespace

TEST(Reset, EverySettingOfTheTableGoesBackOnTheMasterControlAndTheEnginesInTheTablesOrder) {
  TestSet t;
  std::map<std::string, std::string> startUp;
  for (const Row& row : kResetTable)
    for (const std::string& key : TestSet::Keys(row)) startUp[key] = t.Shown(key);

  // Every setting moved away from its start-up value. The master control's writer passes the
  // locks it holds: the AID settings, the power display mode, the current altitudes.
  const Locker_ID& mcWriter = t.mc.McLocker().Id();
  const std::pair<const char*, double> kMoved[] = {
      {"RFLVLMODE", 1},  // manual first: the levels are the operator's
      {"AIDMODE", 1},         {"AIDVAR", 120},           {"AIDFIXED", 2},      {"POWERDISPLAYMODE", 1},
      {"ALTUNITS", 1},        {"DISTUNITS", 1},          {"RFCONNECT", 1},     {"RFLVLOFFSET", 5},
      {"UUTDETECT", 1},       {"UUTTYPE", 2},            {"UUTCDFSUBTYPE", 1}, {"CDFALTCORRECTION", 0},
      {"FREQDISPLAYMODE", 1}, {"PROFILEDISPLAYUNITS", 1}, {"SLAVEMODE", 1}};
  for (const auto& [key, v] : kMoved) t.Set(key, v, mcWriter);
  // The diagnostics settings, each to a value within its limits that is not its start-up value.
  const std::map<std::string, double> moved = {{"0", 1},    {"4300", 4250}, {"-55", -30}, {"2000", 5000},
                                               {"20", 100}, {"31", 10},     {"63", 5},    {"1023", 500}};
  for (const Row& row : kResetTable)
    if (std::string(row.key).rfind("DIAG", 0) == 0) t.Set(row.key, moved.at(row.value));
  // Each channel's own settings, to values of that channel's own.
  const std::pair<const char*, double> kOwn[] = {
      {"OFFSET", 10},     {"OUTPWRLVL", -25},  {"LOOPLOSS", 60},    {"RXCBLLOSS", 2},      {"RXCOUPLOSS", 2},
      {"RXEXTLOSS", 2},   {"TXCBLLOSS", 2},    {"TXCOUPLOSS", 2},   {"TXEXTLOSS", 2},      {"CURALTDUR", 30},
      {"CURALTRATE", 100}, {"CURSTARTALT", 500}, {"CURSTOPALT", 1000}, {"CURALT", 250}};
  for (int ch = 1; ch <= 3; ++ch) {
    const std::string c = "CH" + std::to_string(ch);
    for (const auto& [key, v] : kOwn) t.Set(c + key, v + ch, mcWriter);
    t.Attr<EngineAttribAny>(c + "LEGDATA")->Set(t.client.Id(), testset::Profile({{100, 200.0 + ch, 10}}));
    t.SetText(c + "PROFILENAME", ("Approach" + std::to_string(ch)).c_str());
    t.SetText(c + "SETTINGSNAME", ("Bench" + std::to_string(ch)).c_str());
  }
  for (const char* key : {"COUPLEDMANUALRFLVL", "SIMULATIONMODE", "COUPLEDALTITUDESIMULATION", "RUNSTOPTEST",
                          "PAUSERESUMETEST"})
    t.Set(key, 1);
  ASSERT_EQ("1", t.Shown("RUNSTOPTEST"));
  std::map<std::string, std::string> before;
  for (const Row& row : kResetTable)
    for (const std::string& key : TestSet::Keys(row)) {
      before[key] = t.Shown(key);
      EXPECT_NE(startUp[key], before[key]) << key << " was not moved away from its start-up value";
    }

  t.MarkEngines();
  Output([&] { t.mc.Reset(); });

  EXPECT_EQ("0", t.Shown("RUNSTOPTEST"));
  std::map<int, std::vector<std::string>> expected;
  for (int ch = 1; ch <= 3; ++ch) expected[ch] = {"RUNSTOPTEST=0", kEngineReset};
  std::map<std::string, const Row*> last;  // the row that leaves each key its value
  for (const Row& row : kResetTable)
    for (const std::string& key : TestSet::Keys(row)) {
      last[key] = &row;
      const std::string value = *row.value ? row.value : before[key];
      for (int ch : TestSet::EnginesOf(row, key)) expected[ch].push_back(std::string(row.engineKey) + "=" + value);
    }

  for (const auto& [key, row] : last) {
    const std::string value = *row->value ? row->value : before[key];
    if (*row->value) {
      EXPECT_EQ(startUp[key], value) << key << ": the table's value is not the start-up value";
    }
    EXPECT_EQ(value, t.Shown(key)) << key << " as the master control shows it";
    for (int ch : TestSet::EnginesOf(*row, key))
      EXPECT_EQ(value, t.Held(ch, row->engineKey)) << key << " at channel " << ch << "'s engine";
  }
  std::lock_guard<std::mutex> lock(t.logMutex);
  for (int ch = 1; ch <= 3; ++ch) {
    const std::vector<std::string>& seen = t.log[ch];
    std::string all;
    for (const std::string& s : seen) all += " " + s;
    EXPECT_EQ("", MissingInOrder(expected[ch], seen)) << "channel " << ch << "'s engine saw:" << all;
  }
}
