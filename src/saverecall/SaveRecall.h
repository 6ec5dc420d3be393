// The four store and recall commands of whole settings and profiles ("STORESETTINGS",
// "RECALLSETTINGS", "STOREPROFILE", "RECALLPROFILE"): each hands the master control's table
// and the factory calibration channel's settings name over to the platform's save/recall
// engine ("Lumaren/local/EVERYBODYENG/<child>"), which stores or recalls a named snapshot.
#pragma once

#include <condition_variable>
#include <mutex>

#include <mutex>
#include <string>

#include "MYGUIABLE.h"
#include "VelmarinEverybodyEng.hh"
#include "platform/EngineAttrib.h"
#include "platform/ORB_wrapper.h"

namespace radalt {
class Core;
}

class SaveRecall {
 public:
  SaveRecall(Velmarin::ItemNamer& namer, MY_GUIABLE_i& gui, radalt::Core* mc, Velmarin::ORB_wrapper& orbw);
  virtual ~SaveRecall();
  SaveRecall(const SaveRecall&) = delete;
  SaveRecall& operator=(const SaveRecall&) = delete;

  virtual Velmarin::EngineAttribVoid_ptr RecallSettingsData();
  virtual Velmarin::EngineAttribVoid_ptr StoreSettingsData();
  virtual Velmarin::EngineAttribVoid_ptr RecallProfileData();
  virtual Velmarin::EngineAttribVoid_ptr StoreProfileData();

  void RecallSettingsCallback();
  void StoreSettingsCallback();
  void RecallProfileCallback();
  void StoreProfileCallback();

 private:
  enum class Act { Store, Recall };
  // The checks and the hand-off of one command.
  void Command(const char* callback, const char* tableBase, Act act, Velmarin::EngineAttribVoid_i& trigger);
  // Hands table base and the snapshot name over, then acts, as the holder of trigger. A
  // refused step ends the engine's hand-off there (the engine's rule); an engine that does
  // not answer is reported as Communications_failure naming it.
  void setup_everybodyeng(const char* tableBase, Velmarin::EngineAttribVoid_i& trigger, Act act,
                          const std::string& name);
  // The four steps of the hand-off.
  void HandOver(Velmarin::EverybodyEng::Interfaces_ptr engine, const Velmarin::Locker_ID& who,
                const std::string& table, Act act, const std::string& name);
  // The save/recall engine, looked up anew for every command: a missing or unreachable
  // one is refused with Object_Not_Found.
  Velmarin::EverybodyEng::Interfaces_ptr EverybodyEngine();

  radalt::Core* mc_;
  Velmarin::ORB_wrapper& orbw_;
  // One hand-off at a time from this master control; a command that cannot have its turn
  // soon is refused rather than left waiting beyond its client.
  // One hand-off at a time; a command waits at most kHandOffTurn for its turn. (A mutex and a
  // flag rather than a timed mutex, whose timed lock ThreadSanitizer does not follow.)
  std::mutex handOffMutex_;
  std::condition_variable handOffFree_;
  bool handingOff_ = false;
  Velmarin::EngineAttribVoid_i recallSettings_;
  Velmarin::EngineAttribVoid_i storeSettings_;
  Velmarin::EngineAttribVoid_i recallProfile_;
  Velmarin::EngineAttribVoid_i storeProfile_;
};
