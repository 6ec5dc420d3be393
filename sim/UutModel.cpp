#include "UutModel.h"

#include <algorithm>
#include <cmath>
#include <iostream>

#include "VelmarinErrors.hh"

namespace radaltsim {

namespace {

// The simulator's own items: what is plugged into the channel, and its synthesiser locks.
const char* const kPresent = "SIMUUTPRESENT";
const char* const kPluggedType = "SIMUUTTYPE";
const char* const kPluggedSubType = "SIMUUTCDFSUBTYPE";

const ItemSpec kSimItems[] = {
    {"SimUutPresent", "AttribBoolean", kPresent, 0, 1, 1, 0, "", ""},
    {"SimUutType", "AttribEnum", kPluggedType, 1, 4, 1, 2, "", "1=Pulse|2=FMCW|3=FMCW variable sweep|4=CDF"},
    {"SimUutCdfSubType", "AttribEnum", kPluggedSubType, 0, 1, 1, 0, "", "0=Standard range|1=Extended range"},
    {"SimRfUnlockedFMCWMul", "AttribBoolean", "SIMRFUNLCKFMCW", 0, 1, 1, 0, "", ""},
    {"SimRfUnlockedExtref", "AttribBoolean", "SIMRFUNLCKEXT", 0, 1, 1, 0, "", ""},
    {"SimRfUnlockedRXLOSynth", "AttribBoolean", "SIMRFUNLCKRXLO", 0, 1, 1, 0, "", ""},
    {"SimRfUnlockedTXLOSynth", "AttribBoolean", "SIMRFUNLCKTXLO", 0, 1, 1, 0, "", ""},
    {"SimRfUnlockedOffsetSynth", "AttribBoolean", "SIMRFUNLCKOFFSET", 0, 1, 1, 0, "", ""},
    {"SimRfUnlockedSpecMeasSynth", "AttribBoolean", "SIMRFUNLCKSPECMEAS", 0, 1, 1, 0, "", ""},
    {"SimUnlockedDPLL", "AttribBoolean", "SIMDPLLUNLCK", 0, 1, 1, 0, "", ""},
};

// Each unlock control and the reading it raises.
struct Flag {
  const char* control;
  const char* reading;
};
const Flag kFlags[] = {
    {"SIMRFUNLCKFMCW", "RFUNLCKFMCW"},     {"SIMRFUNLCKEXT", "RFUNLCKEXT"},
    {"SIMRFUNLCKRXLO", "RFUNLCKRXLO"},     {"SIMRFUNLCKTXLO", "RFUNLCKTXLO"},
    {"SIMRFUNLCKOFFSET", "RFUNLCKOFFSET"}, {"SIMRFUNLCKSPECMEAS", "RFUNLCKSPECMEAS"},
    {"SIMDPLLUNLCK", "DPLLUNLCK"},
};
const char* const kOverall = "OVERALLRFUNLCK";

// UUT types (the engine's enumeration).
constexpr int kPulse = 1;
constexpr int kFmcw = 2;
constexpr int kFmcwVariableSweep = 3;
constexpr int kCdf = 4;

// ARINC discretes: each trip relay is energized below its altitude (ft).
struct Trip {
  const char* key;
  double below;
};
const Trip kTrips[] = {{"TRIP1", 50},   {"TRIP2", 100},  {"TRIP5", 200},  {"TRIP6", 500},
                       {"TRIP7", 1000}, {"TRIP8", 2500}, {"APWARN", 200}};

// Label statuses (the engine's enumerations).
constexpr int kNoComputedData = 1;
constexpr int kNormalOperation = 3;  // label 164
constexpr int kPlus = 0;             // label 165
constexpr int kMinus = 3;

// A slow wobble in [-1, 1] with the given period, so a live reading changes on every tick.
double Wobble(double t, double period) { return std::sin(2.0 * M_PI * t / period); }

double Quantise(double v, double step) { return std::round(v / step) * step; }

}  // namespace

UutModel::UutModel(ItemStore& items, std::chrono::milliseconds tick) : items_(items) {
  items_.Extend(kSimItems, sizeof(kSimItems) / sizeof(kSimItems[0]));
  // What is plugged in and the state of the synthesisers are the channel's condition: an
  // engine reset keeps them.
  for (const ItemSpec& row : kSimItems) items_.KeepOnReset(row.key);
  for (const Flag& f : kFlags) items_.KeepOnReset(f.reading);
  items_.KeepOnReset(kOverall);

  items_.OnWrite("UUTDETECT", [this](double v) {
    Lock hold(mutex_);
    items_.Assign("UUTDETECT", v);
    Detect();
  });
  // In automatic detection a written type or sub-type is ignored: the engine shows what it
  // detected.
  for (const char* key : {"UUTTYPE", "UUTCDFSUBTYPE"}) {
    items_.OnWrite(key, [this, key](double v) {
      Lock hold(mutex_);
      if (!Automatic()) items_.Assign(key, v);
    });
  }
  // The unit reports its cable and label statuses itself.
  for (const char* key : {"ARINCCBL", "ALT164STATUS", "ALT165STATUS"}) items_.OnWrite(key, [](double) {});

  items_.OnWrite(kPresent, [this](double v) {
    Lock hold(mutex_);
    items_.Assign(kPresent, v);
    if (v == 0) Hold();
    items_.Assign("ARINCCBL", v != 0 ? 1 : 0);
    Detect();
  });
  for (const char* key : {kPluggedType, kPluggedSubType}) {
    items_.OnWrite(key, [this, key](double v) {
      Lock hold(mutex_);
      items_.Assign(key, v);
      Detect();
    });
  }
  for (const Flag& f : kFlags) {
    items_.OnWrite(f.control, [this, f](double v) {
      Lock hold(mutex_);
      items_.Assign(f.control, v);
      items_.Update(f.reading, v != 0);
      ShowUnlocked();
    });
  }
  clock_.Start(tick, [this](double seconds) { Advance(seconds); });
}

UutModel::~UutModel() { StopClock(); }

void UutModel::StopClock() { clock_.Stop(); }

void UutModel::Plug(int type, int subType) {
  if (type < kPulse || type > kCdf || subType < 0 || subType > 1)
    throw Velmarin::Operation_errors::Settings_Conflict("SIMUUT - no such UUT type or CDF sub-type");
  Lock hold(mutex_);
  items_.Assign(kPluggedType, type);
  items_.Assign(kPluggedSubType, subType);
  items_.Assign(kPresent, 1);
  items_.Assign("ARINCCBL", 1);
  Detect();
  std::cout << "radaltsc: UUT of type " << type << " (sub-type " << subType << ") plugged in" << std::endl;
}

void UutModel::Unplug() {
  Lock hold(mutex_);
  items_.Assign(kPresent, 0);
  items_.Assign("ARINCCBL", 0);
  Hold();
  Detect();
  std::cout << "radaltsc: UUT removed" << std::endl;
}

void UutModel::SetUnlocked(const std::string& flag, bool unlocked) {
  Lock hold(mutex_);
  for (const Flag& f : kFlags) {
    if (flag != f.reading) continue;
    items_.Assign(f.control, unlocked);
    items_.Update(f.reading, unlocked);
    ShowUnlocked();
    return;
  }
  throw Velmarin::Operation_errors::Object_Not_Found(flag.c_str());
}

void UutModel::AfterReset() {
  Lock hold(mutex_);
  items_.Assign("ARINCCBL", Present() ? 1 : 0);
  Detect();
}

bool UutModel::Automatic() const { return std::lround(items_.Number("UUTDETECT")) == 0; }
bool UutModel::Present() const { return items_.Number(kPresent) != 0; }

void UutModel::Detect() {
  if (!Automatic()) return;
  const long type = Present() ? std::lround(items_.Number(kPluggedType)) : 0;
  items_.Update("UUTTYPE", type);
  items_.Update("UUTCDFSUBTYPE", type == kCdf ? items_.Number(kPluggedSubType) : 0);
}

void UutModel::ShowUnlocked() {
  bool any = false;
  for (const Flag& f : kFlags) any = any || items_.Number(f.reading) != 0;
  items_.Update(kOverall, any);
}

void UutModel::Advance(double seconds) {
  Lock hold(mutex_);
  if (!(seconds > 0.0)) return;
  time_ += seconds;
  if (Present() && items_.Number("RUNSTOPTEST") != 0)
    Measure(time_);
  else
    Hold();
  Diagnostics(time_);
}

void UutModel::Measure(double t) {
  const long type = std::lround(items_.Number(kPluggedType));
  const double w = Wobble(t, 7.0);
  items_.Update("MEASUREMENTSVALID", 1);
  items_.Update("FREQ", 4300.0 + 2.0 * w);
  items_.Update("TXPWR", (type == kPulse ? 40.0 : 20.0) + 0.2 * w);
  items_.Update("SWPRT", type == kFmcw ? 100.0 + 0.5 * w : type == kCdf ? 150.0 + 0.5 * w : 0.0);
  items_.Update("SWPRTTYPE3", type == kFmcwVariableSweep ? 40000.0 + 200.0 * w : 0.0);
  items_.Update("FMDEVIATION", type == kPulse ? 0.0 : (type == kCdf ? 75.0 : 100.0) + 0.3 * w);
  items_.Update("PRF", type == kPulse ? 10000.0 + 5.0 * w : 0.0);
  items_.Update("PLSWDTH", type == kPulse ? 40.0 + 0.5 * w : 0.0);

  // The unit reports the altitude it is shown, to within its own small error.
  const ItemSpec& range = items_.Row("ALT");
  const double altitude = std::clamp(items_.Number("SIMACTALT") + 0.3 * w, range.min, range.max);
  items_.Update("ALT", altitude);
  items_.Update("ALT164", std::clamp(Quantise(altitude, 0.125), -8192.0, 8192.0));
  items_.Update("ALT164STATUS", kNormalOperation);
  items_.Update("ALT165", std::min(Quantise(std::fabs(altitude), 0.1), 7999.9));
  items_.Update("ALT165STATUS", altitude < 0 ? kMinus : kPlus);
  for (const Trip& trip : kTrips) items_.Update(trip.key, altitude < trip.below);
  items_.Update("ALTSYSFLG", 1);
}

void UutModel::Hold() {
  // Nothing measured: the last figures stay, marked as not valid.
  items_.Update("MEASUREMENTSVALID", 0);
  items_.Update("ALTSYSFLG", 0);
  items_.Update("ALT164STATUS", kNoComputedData);
  items_.Update("ALT165STATUS", kNoComputedData);
  if (Present()) return;
  for (const Trip& trip : kTrips) items_.Update(trip.key, 0);
}

void UutModel::Diagnostics(double t) {
  const double w = 0.2 * Wobble(t, 5.0);
  auto show = [&](const char* key, double v) {
    const ItemSpec& row = items_.Row(key);
    items_.Update(key, std::clamp(v, row.min, row.max));
  };
  auto n = [&](const char* key) { return items_.Number(key); };
  if (n("DIAGRXMEASURING") != 0)
    show("DIAGRXPOWER", -40.0 - n("DIAGRXATTEN") + 20.0 * n("DIAGRXGAINSTAGE") + w);
  if (n("DIAGLOOPBACKMEASURING") != 0) {
    // Without the loopback output there is only the receiver's noise to measure.
    const double level = n("DIAGLOOPBACKOUTPUTSTATUS") != 0
                             ? -10.0 - (n("DIAGLOOPBACKTX0RAW") + n("DIAGLOOPBACKTX1RAW") + n("DIAGLOOPBACKTX2RAW")) / 6.0 -
                                   n("DIAGLOOPBACKRXATTEN") / 4.0 + 20.0 * n("DIAGLOOPBACKGAINSTAGE")
                             : -120.0;
    show("DIAGLOOPBACKPOWER", level + w);
    show("DIAGLOOPBACKSPA", level - 3.0 + w);
  }
  if (n("DIAGPASSTHRURUNNING") != 0) {
    const double level = -10.0 - (n("DIAGPASSTHRUTX0RAW") + n("DIAGPASSTHRUTX1RAW") + n("DIAGPASSTHRUTX2RAW")) / 6.0 -
                         n("DIAGPASSTHRURXATTEN") / 4.0 + 20.0 * n("DIAGPASSTHRUGAINSTAGE");
    show("DIAGPASSTHRUPOWER", level + w);
    show("DIAGPASSTHRUSPA", level - 3.0 + w);
  }
}

}  // namespace radaltsim
