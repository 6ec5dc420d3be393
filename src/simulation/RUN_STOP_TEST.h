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
  // How long the run button stays locked after a start or stop.
  static constexpr long kSettleMicroseconds = 2500000;

  RUN_STOP_TEST(STpersistance* store, Velmarin::ItemNamer& namer, MY_GUIABLE_i& gui, radalt::Core* mc);

  void RunStopTestCallback(bool run);
  void RecallRunStopTest();
  Velmarin::EngineAttribBoolean_ptr RunStopTest() { return This(); }
  void runPushButtonCallback() {}
  Velmarin::EngineAttribVoid_ptr RunPushButton() { return runPushButton_._this(); }
  bool Value() const { return attr_.Value(); }

 private:
  // Writes run to the engines of channels 1 to n; false when a stop is refused because
  // another user holds the current altitude.
  bool WriteEngines(bool run, int n);
  void LockForRunning();
  void UnlockForStopped();

  Velmarin::EngineAttribVoid_i runPushButton_;
  boost::mutex mutex_;
};
