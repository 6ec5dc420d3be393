#include "Calibration.h"

#include <algorithm>
#include <cmath>
#include <ctime>
#include <iostream>

#include "RadAltSC.hh"

namespace radaltsim {

namespace {

const char* const kFactoryRunning = "FACTORYCALRUNNING";
const char* const kAbort = "ABORTCAL";
const char* const kLoopbackStart = "STARTANALOGVARATTENCAL";
const char* const kLoopbackPct = "ANALOGVARATTENCALPCT";
const char* const kLoopbackRunning = "CHECKANALOGVARATTENCALRUNNING";
const char* const kLoopbackValid = "ANALOGVARATTENCALVALID";
const char* const kLoopbackDate = "ANALOGVARATTENCALDATETIME";
const char* const kUserStart = "STARTUSERCAL";
const char* const kUserRunning = "CHECKUSERCALRUNNING";
const char* const kUserValid = "USERCALVALID";
const char* const kUserDate = "USERCALDATETIME";

[[noreturn]] void Refuse(const std::string& text) {
  std::cout << " radaltsc refused: " << text << std::endl;
  throw Velmarin::Operation_errors::Settings_Conflict(text.c_str());
}

// What the instrument asks the operator for at each step, and what it measured.
void PromptRxCw(ItemStore& items, long step, long total) {
  items.Assign("RXCWPROMPTFREQ", 4200.0 + 200.0 * step / total);
  items.Assign("RXCWPROMPTPWR", -20.0 - 10.0 * step);
  items.Assign("RXCWADCVALUE", step == 0 ? 0 : std::min(4095L, 3900 - 300 * step));
}
void PromptRxPulse(ItemStore& items, long step, long) {
  items.Assign("RXPULSEPROMPTWIDTH", 20.0 + 10.0 * step);
  items.Assign("RXPULSEADCVALUE", step == 0 ? 0 : std::min(4095L, 3500 - 250 * step));
}
void PromptTx(ItemStore& items, long step, long total) {
  items.Assign("TXPROMPTFREQ", 4200.0 + 200.0 * step / total);
  items.Assign("TXPROMPTPWR", -10.0 - 5.0 * step);
  items.Assign("TXATTENSEL", step % 2 == 0);
  items.Assign("TXUSESIGGEN", step * 2 >= total);
  // Each step moves the two attenuators on from where the operator left them.
  if (step == 0) return;
  items.Assign("TXCALTXVARATTEN", std::min(1023L, std::lround(items.Number("TXCALTXVARATTEN")) + 16));
  items.Assign("TXCALRXVARATTEN", std::max(0L, std::lround(items.Number("TXCALRXVARATTEN")) - 16));
}
void PromptNone(ItemStore&, long, long) {}

// The time of day as the instrument writes it with a calibration result.
std::string DateText() {
  const std::time_t now = std::time(nullptr);
  std::tm utc{};
  gmtime_r(&now, &utc);
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &utc);
  return text;
}

}  // namespace

struct CalibrationModel::Stepped {
  const char* name;  // in refusals
  const char* start;
  const char* step;     // null: no step command
  const char* save;
  const char* current;  // null: no step reading
  const char* total;    // null: the total is not shown
  const char* running;  // null: only the factory-calibration-running reading shows it
  const char* valid;
  const char* date;
  long steps;
  void (*prompt)(ItemStore&, long step, long total);
  bool immediate;  // a step completes with its command
};

namespace {

const CalibrationModel::Stepped kStepped[] = {
    {"RX CW", "STARTRXCWCAL", "DORXCWCALSTEP", "SAVERXCWCAL", "RXCWCURRSTEP", "RXCWTOTALSTEPS", nullptr,
     "RXCWCALVALID", "RXCWCALDATETIME", 12, PromptRxCw, false},
    {"RX pulse", "STARTRXPULSECAL", "DORXPULSECALSTEP", "SAVERXPULSECAL", "RXPULSECURRSTEP", "RXPULSETOTALSTEPS",
     nullptr, "RXPULSECALVALID", "RXPULSECALDATETIME", 8, PromptRxPulse, false},
    {"TX", "STARTTXCAL", "DOTXCALSTEP", "SAVETXCAL", "TXCURRSTEP", "TXTOTALSTEPS", nullptr, "TXCALVALID",
     "TXCALDATETIME", 10, PromptTx, false},
    {"RFDM", "STARTRFDMCAL", "DORFDMCALSTEP", "SAVERFDMCAL", "RFDMCURRSTEP", nullptr, "CHECKRFDMCALRUNNING",
     "RFDMCALVALID", "RFDMCALDATETIME", 6, PromptNone, true},
    {"TCXO", "STARTTCXOCAL", nullptr, "SAVETCXOCAL", nullptr, nullptr, nullptr, "TCXOCALVALID", "TCXOCALDATETIME",
     0, PromptNone, true},
};

}  // namespace

long CalibrationModel::TotalSteps(const std::string& startKey) {
  for (const Stepped& k : kStepped)
    if (startKey == k.start) return k.steps;
  return 0;
}

CalibrationModel::CalibrationModel(ItemStore& items, CalibrationTiming timing) : items_(items), timing_(timing) {
  for (const Stepped& k : kStepped) {
    items_.OnCommand(k.start, [this, &k] {
      Lock hold(mutex_);
      Start(k);
    });
    if (k.step) {
      items_.OnCommand(k.step, [this, &k] {
        Lock hold(mutex_);
        Step(k);
      });
    }
    items_.OnCommand(k.save, [this, &k] {
      Lock hold(mutex_);
      Save(k);
    });
    // A calibration result lives in the instrument's memory: a reset of its state keeps it.
    items_.KeepOnReset(k.valid);
    items_.KeepOnReset(k.date);
  }
  for (const char* kept : {kLoopbackValid, kLoopbackDate, kUserValid, kUserDate}) items_.KeepOnReset(kept);
  items_.OnCommand(kLoopbackStart, [this] {
    Lock hold(mutex_);
    StartLoopback();
  });
  items_.OnCommand(kUserStart, [this] {
    Lock hold(mutex_);
    StartUser();
  });
  items_.OnCommand(kAbort, [this] { Abort(); });
  clock_ = std::thread([this] { Run(); });
}

CalibrationModel::~CalibrationModel() {
  {
    Lock hold(mutex_);
    stop_ = true;
  }
  wake_.notify_all();
  clock_.join();
}

void CalibrationModel::RequireIdle(const char* what) const {
  if (active_ || loopback_ || user_)
    Refuse(std::string("Cannot start the ") + what + " calibration while another calibration is running");
}

// The step's prompts and measurement first, then its number: a client that sees the new step
// number reads the step's own values.
void CalibrationModel::ShowStep(const Stepped& kind, long step) {
  kind.prompt(items_, step, std::max(1L, kind.steps));
  if (kind.current) items_.Assign(kind.current, step);
}

void CalibrationModel::Start(const Stepped& kind) {
  RequireIdle(kind.name);
  active_ = &kind;
  stepPending_ = false;
  if (kind.total) items_.Assign(kind.total, kind.steps);
  ShowStep(kind, 0);
  if (kind.running) items_.Assign(kind.running, true);
  items_.Assign(kFactoryRunning, true);
  std::cout << "radaltsc: " << kind.name << " calibration started (" << kind.steps << " steps)" << std::endl;
}

void CalibrationModel::Step(const Stepped& kind) {
  if (active_ != &kind) Refuse(std::string("No ") + kind.name + " calibration is running");
  if (stepPending_) Refuse(std::string("The ") + kind.name + " calibration is still taking its step");
  const long step = std::lround(items_.Number(kind.current));
  if (step >= kind.steps)
    Refuse(std::string("The ") + kind.name + " calibration has taken all its " + std::to_string(kind.steps) +
           " steps");
  if (kind.immediate || timing_.step.count() <= 0) {
    ShowStep(kind, step + 1);
    return;
  }
  stepPending_ = true;
  stepDue_ = Clock::now() + timing_.step;
  wake_.notify_all();
}

void CalibrationModel::Finish(const char* validKey, const char* dateKey) {
  items_.Assign(validKey, true);
  dynamic_cast<Velmarin::EngineAttribString_i&>(items_.Servant(dateKey)) = DateText().c_str();
}

void CalibrationModel::Save(const Stepped& kind) {
  if (active_ != &kind) Refuse(std::string("No ") + kind.name + " calibration is running to save");
  Finish(kind.valid, kind.date);
  active_ = nullptr;
  stepPending_ = false;
  if (kind.running) items_.Assign(kind.running, false);
  items_.Assign(kFactoryRunning, false);
  std::cout << "radaltsc: " << kind.name << " calibration saved" << std::endl;
}

void CalibrationModel::StartLoopback() {
  RequireIdle("loopback");
  loopback_ = true;
  loopbackStart_ = Clock::now();
  items_.Assign(kLoopbackPct, 0);
  items_.Assign(kLoopbackRunning, true);
  items_.Assign(kFactoryRunning, true);
  wake_.notify_all();
  std::cout << "radaltsc: loopback calibration started" << std::endl;
}

void CalibrationModel::StartUser() {
  RequireIdle("user");
  user_ = true;
  userDue_ = Clock::now() + timing_.user;
  items_.Assign(kUserRunning, true);
  wake_.notify_all();
  std::cout << "radaltsc: user calibration started" << std::endl;
}

void CalibrationModel::Abort() {
  Lock hold(mutex_);
  AbortLocked();
}

void CalibrationModel::AbortLocked() {
  if (active_ && active_->running) items_.Assign(active_->running, false);
  const bool any = active_ || loopback_ || user_;
  active_ = nullptr;
  stepPending_ = false;
  loopback_ = false;
  user_ = false;
  items_.Update(kLoopbackRunning, false);
  items_.Update(kUserRunning, false);
  items_.Update(kFactoryRunning, false);
  if (any) std::cout << "radaltsc: calibration aborted" << std::endl;
}

void CalibrationModel::Advance() {
  const Clock::time_point now = Clock::now();
  if (active_ && stepPending_ && now >= stepDue_) {
    stepPending_ = false;
    ShowStep(*active_, std::lround(items_.Number(active_->current)) + 1);
  }
  if (loopback_) {
    const double part = timing_.loopback.count() > 0
                            ? std::chrono::duration<double>(now - loopbackStart_) /
                                  std::chrono::duration<double>(timing_.loopback)
                            : 1.0;
    const long pct = std::min(100L, static_cast<long>(part * 100.0));
    items_.Update(kLoopbackPct, pct);
    if (pct >= 100) {
      loopback_ = false;
      Finish(kLoopbackValid, kLoopbackDate);
      items_.Assign(kLoopbackRunning, false);
      items_.Assign(kFactoryRunning, false);
      std::cout << "radaltsc: loopback calibration done" << std::endl;
    }
  }
  if (user_ && now >= userDue_) {
    user_ = false;
    items_.Assign("USERCALDDSOFFSET", 125.0);
    items_.Assign("USERCALFMCWDATA", 42.5);
    items_.Assign("USERCALPULSEDATA", 38.25);
    Finish(kUserValid, kUserDate);
    items_.Assign(kUserRunning, false);
    std::cout << "radaltsc: user calibration done" << std::endl;
  }
}

void CalibrationModel::Run() {
  Lock hold(mutex_);
  while (!stop_) {
    const bool busy = stepPending_ || loopback_ || user_;
    if (busy)
      wake_.wait_for(hold, timing_.tick);
    else
      wake_.wait(hold);
    if (!stop_) Advance();
  }
}

}  // namespace radaltsim
