#include "RUN_STOP_TEST.h"

#include <boost/bind/bind.hpp>
#include <boost/date_time/posix_time/posix_time.hpp>
#include <boost/thread/thread.hpp>

#include "CALIBRATION.h"
#include "PAUSE_RESUME_TEST.h"
#include "RADALT_MC.h"
#include "SimulationCommon.h"
#include "SimulationObjects.h"
#include "UTILS.h"

using radalt::LockGroup;
namespace text = radalt::lock_text;

namespace {

using SC = Velmarin::RadAltSingleChannelStateControl::_objref_RADALTSC_MAIN_INTERFACE;

const char* const kCallback = " RUN_STOP_TEST::RunStopTestCallback";

}  // namespace

const char* const RUN_STOP_TEST::PersistanceName = "RunStopTest";

RUN_STOP_TEST::RUN_STOP_TEST(STpersistance* store, Velmarin::ItemNamer& namer, MY_GUIABLE_i& gui, RADALT_MC* mc)
    : Parameter(mc, store, namer, gui, "RUNSTOPTEST", false,
                boost::bind(&RUN_STOP_TEST::RunStopTestCallback, this, boost::placeholders::_1)),
      runPushButton_(namer, gui, "RUNPUSHBUTTON", boost::bind(&RUN_STOP_TEST::runPushButtonCallback, this)) {
  attr_ = static_cast<bool>(radalt::ReadItem(mc->Items(), mc->GetSingleChannelPtr(1), &SC::RunStopTest));
  Persist<int>(102, PersistanceName, attr_.Value() ? 1 : 0);
  // The run button is the SIMRUN group's: held while a run starts or stops (the settle), for
  // a profile without legs, an invalid configuration or a self test, it refuses clients.
  attr_.GuardWith(mc->Group(LockGroup::SIMRUN));
  runPushButton_.GuardWith(mc->Group(LockGroup::SIMRUN));
}

bool RUN_STOP_TEST::WriteEngines(bool run, int n) {
  RADALT_MC& mc = *mc_;
  const Velmarin::Locker_ID who = WriterId();
  bool written = true;
  Forward(" RUN_STOP_TEST::RunStopTestCallback throw Locking_Error_Exception", [&] {
    for (int ch = 1; ch <= n; ++ch) {
      if (!run && !mc.Group(LockGroup::CURRENTALT).MayI_Use(mc.McLocker().Id())) {
        written = false;
        return;
      }
      radalt::WriteItem(mc.Items(), mc.GetSingleChannelPtr(ch), &SC::RunStopTest, who, run);
    }
  });
  return written;
}

void RUN_STOP_TEST::RunStopTestCallback(bool run) {
  boost::mutex::scoped_lock lock(mutex_);
  RADALT_MC& mc = *mc_;
  const int n = radalt::RequireAnyChannelEnabled(mc, kCallback);
  bool tookSimRun = false;
  try {
    if (run != attr_.Value()) {
      if (run) {
        // Until the UUT detection setting exists the autodetect mode is channel 1's engine's.
        const int autodetect = radalt::ReadItem(mc.Items(), mc.GetSingleChannelPtr(1), &SC::UutAutodetect);
        if (autodetect != 0 && autodetect != 1)
          radalt::LogThrow(" RUN_STOP_TEST::RunStopTestCallback throw RunStopTestCallback - uut_autodetect",
                           Velmarin::Runtime_errors::Unhandled_switch("RunStopTestCallback - uut_autodetect"));
      }
      if (!WriteEngines(run, n)) {
        // A stop refused because another user holds the current altitude.
        attr_ = attr_.Value();
        return;
      }
      attr_ = static_cast<bool>(radalt::ReadItem(mc.Items(), mc.GetSingleChannelPtr(1), &SC::RunStopTest));
      tookSimRun = radalt::Take(mc, LockGroup::SIMRUN, attr_.Value() ? text::kStarting : text::kStopping);
      if (attr_.Value())
        LockForRunning();
      else
        UnlockForStopped();
    }
    if (PAUSE_RESUME_TEST* pause = mc.Simulation().pauseResumeTest.get()) pause->PauseResumeUpdateAttr();
  } catch (...) {
    // A settle lock this call took must not outlive it.
    if (tookSimRun) mc.ReleaseGroup(LockGroup::SIMRUN);
    throw;
  }
  boost::this_thread::sleep(boost::posix_time::microsec_clock::universal_time() +
                            boost::posix_time::microseconds(kSettleMicroseconds));
  mc.ReleaseGroup(LockGroup::SIMRUN);
}

void RUN_STOP_TEST::LockForRunning() {
  RADALT_MC& mc = *mc_;
  mc.ReleaseGroup(LockGroup::PAUSERESUMEBUTTON);
  radalt::Take(mc, LockGroup::MANUALTEST, text::kNone);
  if (radalt::SimulationModeValue(mc.Simulation()) == 1) radalt::Take(mc, LockGroup::PROFILETEST, text::kNone);
  for (LockGroup g : radalt::kDiagnosticGroups) radalt::Take(mc, g, text::kRunning);
  radalt::Take(mc, LockGroup::ALTZERORUN, text::kRunning);
  radalt::Take(mc, LockGroup::CALRUN, text::kRunning);
  if (CALIBRATION* cal = mc.CalibrationObj()) cal->setCalibrationButtonsLocked(CALBUTTONS_TEST_RUN);
  radalt::Take(mc, LockGroup::SETTINGS, text::kNone);
  if (lockingSelftestEngine* selftest = mc.SelftestEngineLock())
    selftest->lockSelftestEngine(text::kRunning.message);
}

void RUN_STOP_TEST::UnlockForStopped() {
  RADALT_MC& mc = *mc_;
  radalt::Take(mc, LockGroup::CURRENTALT, text::kNone);
  // In profile mode MANUALTEST stays with the simulation mode.
  if (radalt::SimulationModeValue(mc.Simulation()) == 0) mc.ReleaseGroup(LockGroup::MANUALTEST);
  for (LockGroup g : {LockGroup::PROFILETEST, LockGroup::ALTZERORUN, LockGroup::CALRUN}) mc.ReleaseGroup(g);
  if (CALIBRATION* cal = mc.CalibrationObj()) cal->setCalibrationButtonsLocked(CALBUTTONS_FREE);
  for (LockGroup g : radalt::kDiagnosticGroups) mc.ReleaseGroup(g);
  mc.ReleaseGroup(LockGroup::SETTINGS);
  mc.ReleaseGroup(LockGroup::PAUSERESUMEBUTTON);
  mc.rfLevelModeLock();
  if (lockingSelftestEngine* selftest = mc.SelftestEngineLock()) selftest->unlockSelftestEngine();
}

void RUN_STOP_TEST::RecallRunStopTest() {
  const int n = radalt::EnabledChannels(*mc_);
  const bool run = Recalled<int>(PersistanceName) != 0;
  attr_ = run;
  for (int ch = 1; ch <= n; ++ch) {
    radalt::WriteItem(mc_->Items(), mc_->GetSingleChannelPtr(ch), &SC::RunStopTest, WriterId(), run);
  }
}
