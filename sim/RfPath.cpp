#include "RfPath.h"

#include <algorithm>
#include <cmath>
#include <iostream>

#include "VelmarinErrors.hh"

namespace radaltsim {

namespace {

const char* const kOutputPower = "OUTPWRLVL";
const char* const kLoopLoss = "LOOPLOSS";
const char* const kDistanceOffset = "DISTOFFSET";
const char* const kRfConnection = "RFCONNECT";
const char* const kRfLevelOffset = "RFLVLOFFSET";
// The entered path losses, which the automatic loop-loss run finds in the loop.
const char* const kPathLosses[] = {"TXCABLELOSS", "RXCABLELOSS", "TXCOUPLERLOSS",
                                   "RXCOUPLERLOSS", "TXEXTLOSS", "RXEXTLOSS"};
// The pulse correction the output-power difference run applies, in dB.
constexpr double kPulseTrimDb = -1.5;

const char* const kRunNames[] = {"AutoRfLevel", "AutoLoopLoss", "AutoOutputPowerLevelDiff"};

}  // namespace

const char* AutoRunName(AutoRun run) { return kRunNames[static_cast<int>(run)]; }

RfPathModel::RfPathModel(ItemStore& items) : items_(items) {
  // Levels, losses and the offset take the nearest step of the instrument's grid.
  std::vector<std::string> stepped = {kOutputPower, kLoopLoss, kDistanceOffset};
  stepped.insert(stepped.end(), std::begin(kPathLosses), std::end(kPathLosses));
  for (const std::string& key : stepped)
    items_.OnWrite(key, [this, key](double v) {
      std::lock_guard<std::mutex> hold(mutex_);
      SetOnStep(key, v);
    });
  // The remote fibre module lengthens the path: the distance offset follows the connection.
  items_.OnWrite(kRfConnection, [this](double v) {
    std::lock_guard<std::mutex> hold(mutex_);
    const double before = items_.Number(kRfConnection);
    items_.Assign(kRfConnection, v);
    if (v != before) SetOnStep(kDistanceOffset, items_.Number(kDistanceOffset) + (v - before) * kFibreModuleFeet);
  });
}

double RfPathModel::OnStep(const std::string& key, double v) const {
  const ItemSpec& s = items_.Row(key);
  const double stepped = s.step > 0 ? std::round(v / s.step) * s.step : v;
  // Round away the binary noise of the multiplication (0.1 * 489 is 48.900000000000006).
  const double clean = std::round(stepped * 1e9) / 1e9;
  return std::min(s.max, std::max(s.min, clean));
}

void RfPathModel::SetOnStep(const std::string& key, double v) { items_.Assign(key, OnStep(key, v)); }

double RfPathModel::MeasuredLoopLoss() const {
  double loss = kLoopBaseDb;
  for (const char* key : kPathLosses) loss += items_.Number(key);
  return OnStep(kLoopLoss, loss);
}

void RfPathModel::Run(AutoRun run) {
  std::lock_guard<std::mutex> hold(mutex_);
  const char* name = AutoRunName(run);
  if (failing_[static_cast<int>(run)]) {
    const std::string text = std::string(name) + " failed: no signal in the loop";
    std::cout << " radaltsc refused: " << text << std::endl;
    throw Velmarin::Runtime_errors::Generic(text.c_str());
  }
  switch (run) {
    case AutoRun::LoopLoss:
      SetOnStep(kLoopLoss, MeasuredLoopLoss());
      break;
    case AutoRun::RfLevel: {
      // Measures the loop, then sets the output power that presents the reference level.
      const double loop = MeasuredLoopLoss();
      SetOnStep(kLoopLoss, loop);
      SetOnStep(kOutputPower, kUutLevelDbm - loop + items_.Number(kRfLevelOffset));
      break;
    }
    case AutoRun::OutputPowerLevelDiff:
      SetOnStep(kOutputPower, items_.Number(kOutputPower) + kPulseTrimDb);
      break;
    case AutoRun::Count:
      break;
  }
  items_.Tally(name);
}

void RfPathModel::FailAutomatic(const std::string& name, bool fail) {
  std::lock_guard<std::mutex> hold(mutex_);
  for (int i = 0; i < static_cast<int>(AutoRun::Count); ++i)
    if (name == kRunNames[i]) {
      failing_[i] = fail;
      return;
    }
  throw Velmarin::Operation_errors::Object_Not_Found(("no automatic run " + name).c_str());
}

}  // namespace radaltsim
