#include "PAUSE_RESUME_TEST.h"

#include <boost/bind/bind.hpp>

#include "Core.h"
#include "SimulationCommon.h"

using radalt::LockGroup;

namespace {

Velmarin::EngineAttribBoolean_ptr Channel1Item(radalt::Core* mc) { return mc->GetSingleChannelPtr(1)->PauseResumeTest(); }

}  // namespace

const char* const PAUSE_RESUME_TEST::PersistanceName = "PauseResumeTest";

PAUSE_RESUME_TEST::PAUSE_RESUME_TEST(STpersistance* store, Velmarin::ItemNamer& namer, MY_GUIABLE_i& gui,
                                     radalt::Core* mc)
    : Parameter(mc, store, namer, gui, "PAUSERESUMETEST", false,
                boost::bind(&PAUSE_RESUME_TEST::PauseResumeTestCallback, this, boost::placeholders::_1)),
      pauseButton_(namer, gui, "PAUSEBUTTON", boost::bind(&PAUSE_RESUME_TEST::pauseButtonCallback, this)),
      engine_(Channel1Item(mc)) {
  attr_ = static_cast<bool>(engine_->Get());
  Persist<int>(103, PersistanceName, attr_.Value() ? 1 : 0);
}

void PAUSE_RESUME_TEST::WriteEngine(Velmarin::EngineAttribBoolean_ptr item, bool pause) {
  {
    std::lock_guard<std::mutex> lock(engineMutex_);
    engine_ = Velmarin::EngineAttribBoolean::_duplicate(item);
  }
  item->Set(WriterId(), pause);
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
    Velmarin::EngineAttribBoolean_var item = mc.GetSingleChannelPtr(ch)->PauseResumeTest();
    WriteEngine(item, pause);
  }
  PauseResumeUpdateAttr();
}

void PAUSE_RESUME_TEST::PauseResumeUpdateAttr() {
  Velmarin::EngineAttribBoolean_var item;
  {
    std::lock_guard<std::mutex> lock(engineMutex_);
    item = Velmarin::EngineAttribBoolean::_duplicate(engine_.in());
  }
  const bool engine = item->Get();
  if (engine != attr_.Value()) attr_ = engine;
}

void PAUSE_RESUME_TEST::RecallPauseResumeTest() {
  const int n = radalt::EnabledChannels(*mc_);
  const bool pause = Recalled<int>(PersistanceName) != 0;
  attr_ = pause;
  for (int ch = 1; ch <= n; ++ch) {
    Velmarin::EngineAttribBoolean_var item = mc_->GetSingleChannelPtr(ch)->PauseResumeTest();
    WriteEngine(item, pause);
  }
}
