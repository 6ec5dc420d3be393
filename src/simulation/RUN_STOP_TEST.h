// Starts and stops the altitude simulation on every enabled channel ("RUNSTOPTEST", true =
// running): the central interlock of the test set. Starting locks out everything that must
// not change while a simulation runs; stopping releases it. The run button stays locked for
// a settle time after every start or stop.
#pragma once

#include <boost/thread/mutex.hpp>

#include "MYGUIABLE.h"
#include "Parameter.h"

class RUN_STOP_TEST : public radalt::Parameter<Velmarin::EngineAttribBoolean_i> {
 public:
  static const char* const PersistanceName;
  RUN_STOP_TEST(STpersistance* store, Velmarin::ItemNamer& namer, MY_GUIABLE_i& gui, radalt::Core* mc);

  void RunStopTestCallback(bool run);
  void RecallRunStopTest();
  Velmarin::EngineAttribBoolean_ptr RunStopTest() { return This(); }
  void runPushButtonCallback() {}
  Velmarin::EngineAttribVoid_ptr RunPushButton() { return runPushButton_._this(); }
  bool Value() const { return attr_.Value(); }
  // A channel engine came or went: a run on an engine that has gone is over. The engines
  // still there are stopped and what the start took is given back (no settle time).
  void EndRunOnLostEngine();

 private:
  // Writes run to the engines of channels 1 to n. A stop while another user holds the
  // current altitude is refused (Locking_Error_Exception with that user's texts).
  void WriteEngines(bool run, int n);
  // A start is refused while the run button's group is held (an invalid configuration, a
  // profile without legs, an altitude-indicator zero, a self test ...); a stop never is.
  void CheckStartAllowed();
  void LockForRunning();
  void UnlockForStopped();

  Velmarin::EngineAttribVoid_i runPushButton_;
  boost::mutex mutex_;
  // The engines the run was started on: channels 1 to runChannels_, by generation.
  int runChannels_ = 0;
  unsigned long runGeneration_[3] = {0, 0, 0};
};
