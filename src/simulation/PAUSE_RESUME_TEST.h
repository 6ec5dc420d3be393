// Pauses and resumes the running simulation on every enabled channel ("PAUSERESUMETEST", true
// = paused). While paused the current altitude may be changed; resuming locks it again.
#pragma once

#include <mutex>

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
  // Shows the pause state of the engine written last, when it differs.
  void PauseResumeUpdateAttr();
  bool Value() const { return attr_.Value(); }

 private:
  // Remembers item as the engine attribute written last and writes pause to it.
  void WriteEngine(Velmarin::EngineAttribBoolean_ptr item, bool pause);

  Velmarin::EngineAttribVoid_i pauseButton_;
  std::mutex engineMutex_;
  Velmarin::EngineAttribBoolean_var engine_;
};
