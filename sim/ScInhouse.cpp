#include "ScInhouse.h"

#include <cctype>
#include <cstdlib>
#include <sstream>

namespace radaltsim {

namespace {

std::string Text(bool v) { return v ? "true" : "false"; }
std::string Text(CORBA::Long v) { return std::to_string(v); }
std::string Text(CORBA::ULong v) { return std::to_string(v); }
std::string Text(CORBA::Double v) {
  std::ostringstream out;
  out << v;
  return out.str();
}

bool StartsWith(const std::string& s, const char* head) { return s.rfind(head, 0) == 0; }
bool EndsWith(const std::string& s, const std::string& tail) {
  return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}
// The number that ends name ("..._1023" -> 1023, "..._0_5" -> 0.5); 0 when none.
double TrailingNumber(const std::string& name) {
  std::string::size_type end = name.size();
  std::string::size_type start = end;
  while (start > 0 && std::isdigit(static_cast<unsigned char>(name[start - 1]))) --start;
  if (start == end) return 0.0;
  double v = std::atof(name.substr(start).c_str());
  // "..._0_5" is a half
  if (start >= 3 && name.compare(start - 3, 3, "_0_") == 0) return v / 10.0;
  return v;
}

}  // namespace

double ScInhouse_i::Reading(const std::string& name, int channel) {
  // Board identification.
  if (name == "rci_get_rf_CardID") return 0x52460000u + channel;
  if (name == "get_digitalbrd_CardID") return 0x44470000u + channel;
  if (name == "rci_get_rf_CardRevision") return 3;
  if (name == "get_digitalbrd_CardRevision") return 2;
  if (name == "rci_get_rf_FirmwareVersion") return 0x0102;
  if (name == "get_digitalbrd_FirmwareVersion") return 0x0201;
  if (name == "rci_get_digital_flash_id_low") return 0x1234;
  if (name == "rci_get_digital_flash_id_high") return 0x5678;
  if (name == "rci_get_rf_status") return 0;
  if (name == "rci_get_rf_temperature") return 38.5;
  if (StartsWith(name, "rci_get_RFDM_atten_cal")) return 0.5;
  if (name == "rci_get_RFDM_coil_cal") return 1.0;
  if (name == "rci_get_RFDM_lna1") return 1;
  // Self-test debug readings: every result passes, every value is in its range.
  if (EndsWith(name, "_result")) return 1;
  if (name.find("_voltage_") != std::string::npos) {
    // "..._3v3a" reads 3.3 V
    const std::string tail = name.substr(name.rfind('_') + 1);
    const std::string::size_type v = tail.find('v');
    return std::atof(tail.substr(0, v).c_str()) + std::atof(tail.substr(v + 1, 1).c_str()) / 10.0;
  }
  if (name.find("_temperature_") != std::string::npos) return EndsWith(name, "battery") ? 29.5 : 41.0;
  if (name.find("_loopback_power_") != std::string::npos)
    return EndsWith(name, "signal") ? -12.0 : EndsWith(name, "floor") ? -85.0 : 73.0;
  if (name.find("_pll_") != std::string::npos) return EndsWith(name, "_high") ? 2.8 : EndsWith(name, "_low") ? 0.4 : 1.6;
  if (name.find("_freq_") != std::string::npos) return TrailingNumber(name);
  if (name.find("_fmcw_") != std::string::npos) return EndsWith(name, "center") ? 4300.0 : 100.0;
  if (name.find("_dds_") != std::string::npos) return EndsWith(name, "low") ? 1.0 : 99.0;
  if (name.find("_pulse_") != std::string::npos) {
    if (name.find("_status") != std::string::npos) return 0;
    if (name.find("_prf") != std::string::npos) return 10000.0;
    if (name.find("_pfv") != std::string::npos) return 4300.0;
    if (name.find("_ppv") != std::string::npos) return -10.0;
    return TrailingNumber(name);  // pulse widths in ns
  }
  if (name.find("_beatsig_") != std::string::npos) return EndsWith(name, "delay") ? 25.0 : 1.0;
  if (name.find("_RFDM_") != std::string::npos) return EndsWith(name, "mV") ? 850.0 : 1.0;
  if (name.find("_gain_stage_") != std::string::npos) return 12.0;
  // attenuator steps read back as set: "..._tx0_16" reads 16 dB
  return TrailingNumber(name);
}

std::vector<std::string> ScInhouse_i::Requests() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return requests_;
}

bool ScInhouse_i::Asleep() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return asleep_;
}

void ScInhouse_i::WakeBoards() {
  std::lock_guard<std::mutex> lock(mutex_);
  asleep_ = false;
}

void ScInhouse_i::Record(const std::string& name, const std::vector<std::string>& args) {
  std::string line = name + "(";
  for (std::size_t i = 0; i < args.size(); ++i) line += (i ? ", " : "") + args[i];
  line += ")";
  std::lock_guard<std::mutex> lock(mutex_);
  requests_.push_back(line);
  if (name == "rci_set_rf_sleep") asleep_ = true;
  if (name == "rci_set_rf_wake") asleep_ = false;
  if (StartsWith(name, "rci_set") || StartsWith(name, "rci_write")) {
    std::string value;
    for (std::size_t i = 0; i < args.size(); ++i) value += (i ? "," : "") + args[i];
    settings_[name] = value;
  }
}

bool ScInhouse_i::Test(const char* name, CORBA::ULong arg) {
  Record(name, {Text(arg)});
  return !Asleep();
}

bool ScInhouse_i::Test(const char* name) {
  Record(name, {});
  return !Asleep();
}

CORBA::Boolean ScInhouse_i::selftest_prepare_power_down() {
  Record("selftest_prepare_power_down", {});
  return true;
}

// A setting or write is done once recorded; a reading answers what a healthy board reads.
#define IH_BOOL CORBA::Boolean
#define IH_LONG CORBA::Long
#define IH_ULONG CORBA::ULong
#define IH_DOUBLE CORBA::Double
#define IH_ANSWER(r, n)                                                     \
  const std::string name = #n;                                              \
  if (StartsWith(name, "rci_set") || StartsWith(name, "rci_write")) return r(true); \
  return static_cast<r>(Reading(name, channel_));
#define IH_OP0(r, n) \
  r ScInhouse_i::n() { Record(#n, {}); IH_ANSWER(r, n) }
#define IH_OP1(r, n, a) \
  r ScInhouse_i::n(a v1) { Record(#n, {Text(v1)}); IH_ANSWER(r, n) }
#define IH_OP2(r, n, a, b) \
  r ScInhouse_i::n(a v1, b v2) { Record(#n, {Text(v1), Text(v2)}); IH_ANSWER(r, n) }
#define IH_OP3(r, n, a, b, c) \
  r ScInhouse_i::n(a v1, b v2, c v3) { Record(#n, {Text(v1), Text(v2), Text(v3)}); IH_ANSWER(r, n) }
#include "radalt_inhouse.def"

}  // namespace radaltsim
