#include "PAUSE_RESUME_TEST.h"

#include <boost/bind/bind.hpp>

#include "Core.h"
#include "SimulationCommon.h"
#include "Keys.h"

using radalt::LockGroup;

namespace {

using SC = Velmarin::RadAltSingleChannelStateControl::_objref_RADALTSC_MAIN_INTERFACE;

}  // namespace

const char* const PAUSE_RESUME_TEST::PersistanceName = "PauseResumeTest";

PAUSE_RESUME_TEST::PAUSE_RESUME_TEST(STpersistance* store, Velmarin::ItemNamer& namer, MY_GUIABLE_i& gui,
                                     radalt::Core* mc)
    : Parameter(mc, store, namer, gui, radalt::key::PAUSERESUMETEST, false,
                boost::bind(&PAUSE_RESUME_TEST::PauseResumeTestCallback, this, boost::placeholders::_1)),
      pauseButton_(namer, gui, radalt::key::PAUSEBUTTON, boost::bind(&PAUSE_RESUME_TEST::pauseButtonCallback, this)) {
  attr_ = static_cast<bool>(radalt::ReadItem(mc->Items(), mc->GetSingleChannelPtr(1), &SC::PauseResumeTest));
  Persist<int>(PersistanceName, attr_.Value() ? 1 : 0);
}

void PAUSE_RESUME_TEST::WriteEngine(int channel, bool pause) {
  lastChannel_ = channel;
  radalt::WriteItem(mc_->Items(), mc_->GetSingleChannelPtr(channel), &SC::PauseResumeTest, WriterId(), pause);
}

void PAUSE_RESUME_TEST::PauseResumeTestCallback(bool pause) {
  radalt::Core& mc = *mc_;
  const int n = radalt::RequireAnyChannelEnabled(mc, " PAUSE_RESUME_TEST::PauseResumeTestCallback");
  if (pause == attr_.Value()) return;
  const Velmarin::Locker_ID mcId = mc.McLocker().Id();
  // Paused, the current altitude is free; resumed, it is locked again with the texts of the
  // run state ("Simulation not paused" while running, "Simulation not running" stopped).
  const bool running = mc.SimulationRunning();
  for (int ch = 1; ch <= n; ++ch) {
    if (!pause) {
      // Another user holds the current altitude: the resume is refused with its texts.
      Forward(" PAUSE_RESUME_TEST::PauseResumeTestCallback throw Locking_Error_Exception",
              [&] { mc.Group(LockGroup::CURRENTALT).CheckAccess(mcId); });
      radalt::Take(mc, LockGroup::CURRENTALT, radalt::activity::kCurrentAltitude,
                   running ? radalt::lock_text::kNotPaused : radalt::lock_text::kNotRunning);
    } else {
      radalt::Release(mc, LockGroup::CURRENTALT, radalt::activity::kCurrentAltitude);
    }
    WriteEngine(ch, pause);
  }
  PauseResumeUpdateAttr();
}

void PAUSE_RESUME_TEST::PauseResumeUpdateAttr() {
  const int channel = mc_->HasChannelEngine(lastChannel_) ? lastChannel_.load() : 1;
  const bool engine = radalt::ReadItem(mc_->Items(), mc_->GetSingleChannelPtr(channel), &SC::PauseResumeTest);
  if (engine != attr_.Value()) attr_ = engine;
}

void PAUSE_RESUME_TEST::RecallPauseResumeTest() {
  const int n = radalt::EnabledChannels(*mc_);
  const bool pause = Recalled<int>(PersistanceName) != 0;
  attr_ = pause;
  for (int ch = 1; ch <= n; ++ch) {
    WriteEngine(ch, pause);
  }
}
