// Pauses and resumes the running simulation on every enabled channel ("PAUSERESUMETEST", true
// = paused). While paused the current altitude may be changed; resuming locks it again.
#pragma once

#include <atomic>

#include "MYGUIABLE.h"
#include "Parameter.h"

class PAUSE_RESUME_TEST : public radalt::Parameter<Velmarin::EngineAttribBoolean_i> {
 public:
  static const char* const PersistanceName;

  PAUSE_RESUME_TEST(STpersistance* store, Velmarin::ItemNamer& namer, MY_GUIABLE_i& gui, radalt::Core* mc);

  void PauseResumeTestCallback(bool pause);
  void RecallPauseResumeTest();
  Velmarin::EngineAttribBoolean_ptr PauseResumeTest() { return This(); }
  void pauseButtonCallback() {}
  Velmarin::EngineAttribVoid_ptr PauseButton() { return pauseButton_._this(); }
  // Shows the pause state of the channel written last, as its engine has it now, when it
  // differs (the channel's engine as the registry has it: one that restarted is asked, never
  // the one that has gone).
  void PauseResumeUpdateAttr();
  bool Value() const { return attr_.Value(); }

 private:
  // Remembers channel as the one written last and writes pause to its engine.
  void WriteEngine(int channel, bool pause);

  Velmarin::EngineAttribVoid_i pauseButton_;
  std::atomic<int> lastChannel_{1};
};
