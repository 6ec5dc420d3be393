// What the basic and the software self test share: each run validates the master control's
// published attribute list and has the harness check every attribute by reading it. A run
// never writes or executes an attribute.
#pragma once

#include <functional>
#include <list>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "VelmarinEngine.hh"
#include "platform/GUI_Able_i.h"
#include "platform/Lock.h"

namespace radalt {

class RadaltSelfTest {
 public:
  // The names a complete build publishes, separated by blanks.
  using ExpectedList = std::function<std::string()>;

  // gui: the master control's registry (may be null: every run then reports it missing).
  // typeNotFound: the line logged when an attribute's type is not known.
  RadaltSelfTest(Velmarin::GUI_Able_i* gui, ExpectedList expected, const char* title, const char* className,
                 const char* typeNotFound);
  // Ends the running runs early and waits for them.
  virtual ~RadaltSelfTest();
  RadaltSelfTest(const RadaltSelfTest&) = delete;
  RadaltSelfTest& operator=(const RadaltSelfTest&) = delete;

  // Starts a run on a thread of its own and returns at once: true when it was started.
  bool Run(Velmarin::SelfTestHarness_ptr h);
  // Ends the running runs early (each reports it was stopped) and waits for them.
  void StopAll();
  // Runs still going.
  std::size_t Running() const;
  // Told "<title> started" and "<title> finished" (the harness keeps the verdict), for the
  // journal; set before the first run.
  void OnEvent(std::function<void(const std::string&)> note) { note_ = std::move(note); }

 private:
  struct Task {
    std::thread thread;
    bool done = false;
  };
  void RunTask(Velmarin::SelfTestHarness_var h, Task* task);
  void Verify_Attributes(Velmarin::SelfTestHarness_ptr h, Velmarin::GUI_Able_ptr gui);
  // Hands one attribute to the harness's check of its type.
  void Check(Velmarin::SelfTestHarness_ptr h, const std::string& name, Velmarin::EngineReadingBase_ptr attr);
  const Velmarin::Locker_ID& TestLocker();
  bool Stopping() const;

  Velmarin::GUI_Able_i* gui_;
  ExpectedList expected_;
  const std::string title_;
  const std::string className_;
  const std::string typeNotFound_;
  std::function<void(const std::string&)> note_;

  mutable std::mutex mutex_;
  std::list<Task> tasks_;
  bool stopping_ = false;
  std::unique_ptr<Velmarin::Locker> locker_;
};

}  // namespace radalt
