#include "RUN_STOP_TEST.h"

#include <iostream>

#include <boost/bind/bind.hpp>
#include <boost/date_time/posix_time/posix_time.hpp>
#include <boost/thread/thread.hpp>

#include "CalibrationButtonCodes.h"
#include "PAUSE_RESUME_TEST.h"
#include "Core.h"
#include "SimulationCommon.h"
#include "SimulationObjects.h"
#include "Keys.h"

using radalt::LockGroup;
namespace text = radalt::lock_text;
namespace activity = radalt::activity;

namespace {

using SC = Velmarin::RadAltSingleChannelStateControl::_objref_RADALTSC_MAIN_INTERFACE;

const char* const kCallback = " RUN_STOP_TEST::RunStopTestCallback";

// The master control's own UUT detection mode ("UUTDETECT": 0 automatic, 1 manual), as its
// attribute shows it; -1 when there is no such attribute.
int UutDetectionMode(radalt::Core& mc) {
  const auto* mode = dynamic_cast<const Velmarin::EngineAttribEnum_i*>(mc.Gui().Local(radalt::key::UUTDETECT));
  return mode ? mode->Value() : -1;
}

}  // namespace

const char* const RUN_STOP_TEST::PersistanceName = "RunStopTest";

RUN_STOP_TEST::RUN_STOP_TEST(STpersistance* store, Velmarin::ItemNamer& namer, MY_GUIABLE_i& gui, radalt::Core* mc)
    : Parameter(mc, store, namer, gui, radalt::key::RUNSTOPTEST, false,
                boost::bind(&RUN_STOP_TEST::RunStopTestCallback, this, boost::placeholders::_1)),
      runPushButton_(namer, gui, radalt::key::RUNPUSHBUTTON, boost::bind(&RUN_STOP_TEST::runPushButtonCallback, this)) {
  attr_ = static_cast<bool>(radalt::ReadItem(mc->Items(), mc->GetSingleChannelPtr(1), &SC::RunStopTest));
  Persist<int>(PersistanceName, attr_.Value() ? 1 : 0);
  // The run button is the SIMRUN group's: held while a run starts or stops (the settle), for
  // a profile without legs, an invalid configuration or a self test, it refuses a start. A
  // stop always passes (RunStopTestCallback checks the start), so the attribute itself is
  // not guarded by the group.
  runPushButton_.GuardWith(mc->Group(LockGroup::SIMRUN));
}

void RUN_STOP_TEST::CheckStartAllowed() {
  Velmarin::Lockable_i& simRun = mc_->Group(LockGroup::SIMRUN);
  if (!simRun.IsLocked()) return;
  const Velmarin::Locker_ID holder = simRun.Holder();
  radalt::LogThrow(std::string(kCallback) + " throw Locking_Error_Exception",
                   Velmarin::Operation_errors::Locking_Error_Exception(
                       holder.name.in(), simRun.Reason().c_str(), simRun.Message().c_str()));
}

void RUN_STOP_TEST::WriteEngines(bool run, int n) {
  radalt::Core& mc = *mc_;
  const Velmarin::Locker_ID who = WriterId();
  Forward(" RUN_STOP_TEST::RunStopTestCallback throw Locking_Error_Exception", [&] {
    for (int ch = 1; ch <= n; ++ch) {
      // A stop while another user holds the current altitude would leave it with a value
      // the stopped engines no longer follow.
      if (!run) mc.Group(LockGroup::CURRENTALT).CheckAccess(mc.McLocker().Id());
      radalt::WriteItem(mc.Items(), mc.GetSingleChannelPtr(ch), &SC::RunStopTest, who, run);
    }
  });
}

void RUN_STOP_TEST::RunStopTestCallback(bool run) {
  boost::mutex::scoped_lock lock(mutex_);
  radalt::Core& mc = *mc_;
  const int n = radalt::RequireAnyChannelEnabled(mc, kCallback);
  bool tookSimRun = false;
  try {
    if (run != attr_.Value()) {
      if (run) {
        CheckStartAllowed();
        const int autodetect = UutDetectionMode(mc);
        if (autodetect != 0 && autodetect != 1)
          radalt::LogThrow(" RUN_STOP_TEST::RunStopTestCallback throw RunStopTestCallback - uut_autodetect",
                           Velmarin::Runtime_errors::Unhandled_switch("RunStopTestCallback - uut_autodetect"));
      }
      WriteEngines(run, n);
      attr_ = static_cast<bool>(radalt::ReadItem(mc.Items(), mc.GetSingleChannelPtr(1), &SC::RunStopTest));
      tookSimRun = radalt::Take(mc, LockGroup::SIMRUN, activity::kSettle, attr_.Value() ? text::kStarting : text::kStopping);
      if (attr_.Value()) {
        runChannels_ = n;
        for (int ch = 1; ch <= n; ++ch) runGeneration_[ch - 1] = mc.Channels().Generation(ch);
        LockForRunning();
      } else {
        UnlockForStopped();
      }
    }
    if (PAUSE_RESUME_TEST* pause = Simulation(mc).pauseResumeTest.get()) pause->PauseResumeUpdateAttr();
  } catch (...) {
    // A settle lock this call took must not outlive it.
    if (tookSimRun) radalt::Release(mc, LockGroup::SIMRUN, activity::kSettle);
    throw;
  }
  boost::this_thread::sleep(boost::posix_time::microsec_clock::universal_time() +
                            boost::posix_time::milliseconds(mc.Config().runSettleMs));
  radalt::Release(mc, LockGroup::SIMRUN, activity::kSettle);
  const bool stopped = !attr_.Value();
  lock.unlock();
  // Engines that came back while it ran were not enabled then: now they may be.
  if (stopped) mc.FollowEnabledChoice();
}

void RUN_STOP_TEST::LockForRunning() {
  radalt::Core& mc = *mc_;
  radalt::Release(mc, LockGroup::PAUSERESUMEBUTTON, activity::kPauseResumeButton);
  // While it runs the current altitude may change only paused.
  radalt::Take(mc, LockGroup::CURRENTALT, activity::kCurrentAltitude, text::kNotPaused);
  radalt::Take(mc, LockGroup::MANUALTEST, activity::kRun, text::kRunning);
  if (radalt::SimulationModeValue(Simulation(mc)) == 1)
    radalt::Take(mc, LockGroup::PROFILETEST, activity::kRun, text::kRunning);
  for (LockGroup g : radalt::kDiagnosticGroups) radalt::Take(mc, g, activity::kRun, text::kRunning);
  radalt::Take(mc, LockGroup::ALTZERORUN, activity::kRun, text::kRunning);
  radalt::Take(mc, LockGroup::CALRUN, activity::kRun, text::kRunning);
  mc.SetCalibrationButtonsLocked(CALBUTTONS_TEST_RUN);
  radalt::Take(mc, LockGroup::SETTINGS, activity::kRun, text::kRunning);
  mc.LockSelftestEngine(activity::kRun, text::kRunning.message);
}

void RUN_STOP_TEST::UnlockForStopped() {
  radalt::Core& mc = *mc_;
  radalt::Take(mc, LockGroup::CURRENTALT, activity::kCurrentAltitude, text::kNotRunning);
  // In profile mode MANUALTEST stays with the simulation mode.
  radalt::Release(mc, LockGroup::MANUALTEST, activity::kRun);
  for (LockGroup g : {LockGroup::PROFILETEST, LockGroup::ALTZERORUN, LockGroup::CALRUN})
    radalt::Release(mc, g, activity::kRun);
  mc.SetCalibrationButtonsLocked(CALBUTTONS_FREE);
  for (LockGroup g : radalt::kDiagnosticGroups) radalt::Release(mc, g, activity::kRun);
  radalt::Release(mc, LockGroup::SETTINGS, activity::kRun);
  radalt::Release(mc, LockGroup::PAUSERESUMEBUTTON, activity::kPauseResumeButton);
  if (auto* rfLevel = mc.Find<radalt::RfLevelModeLocking>()) rfLevel->rfLevelModeLock();
  mc.UnlockSelftestEngine(activity::kRun);
}

void RUN_STOP_TEST::EndRunOnLostEngine() {
  boost::mutex::scoped_lock lock(mutex_);
  radalt::Core& mc = *mc_;
  if (!attr_.Value()) return;
  int lost = 0;
  for (int ch = 1; ch <= runChannels_ && !lost; ++ch)
    if (mc.Channels().Generation(ch) != runGeneration_[ch - 1]) lost = ch;
  if (!lost) return;
  std::cout << kCallback << ": the engine of channel " << lost << " has gone, the simulation stops" << std::endl;
  for (int ch = 1; ch <= 3; ++ch) {
    if (!mc.HasChannelEngine(ch)) continue;
    try {
      radalt::WriteItem(mc.Items(), mc.GetSingleChannelPtr(ch), &SC::RunStopTest, mc.McLocker().Id(), false);
    } catch (const CORBA::Exception& e) {
      std::cout << kCallback << ": channel " << ch << " not stopped (" << e._name() << ")" << std::endl;
    }
  }
  attr_ = false;
  runChannels_ = 0;
  UnlockForStopped();
}

void RUN_STOP_TEST::RecallRunStopTest() {
  const int n = radalt::EnabledChannels(*mc_);
  const bool run = Recalled<int>(PersistanceName) != 0;
  attr_ = run;
  for (int ch = 1; ch <= n; ++ch) {
    radalt::WriteItem(mc_->Items(), mc_->GetSingleChannelPtr(ch), &SC::RunStopTest, WriterId(), run);
  }
}
