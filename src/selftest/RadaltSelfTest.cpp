#include "RadaltSelfTest.h"

#include <iostream>
#include <map>
#include <set>
#include <sstream>
#include <system_error>
#include <vector>

namespace radalt {

namespace {

enum class Action { Boolean, Double, Enum, Long, ValueDouble, ValueLong, BooleanReading, Recognised };

const std::map<std::string, Action>& Actions() {
  static const std::map<std::string, Action> actions = {
      {"EngineAttribBoolean", Action::Boolean},
      {"EngineAttribDouble", Action::Double},
      {"EngineAttribEnum", Action::Enum},
      {"EngineAttribLong", Action::Long},
      {"EngineAttribValueDouble", Action::ValueDouble},
      {"EngineAttribValueLong", Action::ValueLong},
      {"EngineReadingBoolean", Action::BooleanReading},
      {"EngineAttribAny", Action::Recognised},
      {"EngineAttribString", Action::Recognised},
      {"EngineAttribVoid", Action::Recognised},
      {"EngineBasicTrace", Action::Recognised},
      {"EngineReadingComplexTrace", Action::Recognised},
      {"EngineReadingDouble", Action::Recognised},
      {"EngineReadingLong", Action::Recognised},
      {"EngineReadingString", Action::Recognised},
      {"EngineReadingValueDouble", Action::Recognised},
      {"EngineReadingValueLong", Action::Recognised},
      {"EngineAttribLongLong", Action::Recognised},
      {"EngineReadingLongLong", Action::Recognised},
      {"EngineReadingMeterReading", Action::Recognised},
  };
  return actions;
}

// Booleans that would start a run or an output, by the names they are registered under.
bool SkippedBoolean(const std::string& name) {
  static const std::set<std::string> skipped = {
      "CH1:PAUSERESUMETEST1", "CH1:RUNSTOPTEST1", "CH1:DIAGOUTPUTSTATUS1", "CH2:PAUSERESUMETEST1",
      "CH2:RUNSTOPTEST1",     "CH2:DIAGOUTPUTSTATUS1", "CH3:PAUSERESUMETEST1", "CH3:RUNSTOPTEST1",
      "CH3:DIAGOUTPUTSTATUS1", "PAUSERESUMETEST1", "RUNSTOPTEST1", "DIAGOUTPUTSTATUS1"};
  return skipped.count(name) > 0;
}

bool SkippedValueDouble(const std::string& name) {
  return name == "CH1CURALT1" || name == "CH2CURALT1" || name == "CH3CURALT1";
}

}  // namespace

RadaltSelfTest::RadaltSelfTest(Velmarin::GUI_Able_i* gui, ExpectedList expected, const char* title,
                               const char* className, const char* typeNotFound)
    : gui_(gui), expected_(std::move(expected)), title_(title), className_(className), typeNotFound_(typeNotFound) {}

RadaltSelfTest::~RadaltSelfTest() { StopAll(); }

bool RadaltSelfTest::Run(Velmarin::SelfTestHarness_ptr h) {
  if (CORBA::is_nil(h)) {
    std::cout << " " << className_ << "::Run refused: no harness to report to" << std::endl;
    return false;
  }
  std::lock_guard<std::mutex> lock(mutex_);
  if (stopping_) return false;
  // Finished runs are joined here, so the list holds only what may still run.
  for (auto it = tasks_.begin(); it != tasks_.end();) {
    if (it->done) {
      it->thread.join();
      it = tasks_.erase(it);
    } else {
      ++it;
    }
  }
  tasks_.emplace_back();
  Task* task = &tasks_.back();
  try {
    task->thread = std::thread(&RadaltSelfTest::RunTask, this,
                               Velmarin::SelfTestHarness_var(Velmarin::SelfTestHarness::_duplicate(h)), task);
  } catch (const std::system_error& e) {
    tasks_.pop_back();
    std::cout << " " << className_ << "::Run could not start its thread: " << e.what() << std::endl;
    return false;
  }
  return true;
}

void RadaltSelfTest::StopAll() {
  std::list<Task> running;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
    running.splice(running.end(), tasks_);
  }
  for (auto& t : running)
    if (t.thread.joinable()) t.thread.join();
  std::lock_guard<std::mutex> lock(mutex_);
  stopping_ = false;
}

std::size_t RadaltSelfTest::Running() const {
  std::lock_guard<std::mutex> lock(mutex_);
  std::size_t n = 0;
  for (const auto& t : tasks_) n += t.done ? 0 : 1;
  return n;
}

bool RadaltSelfTest::Stopping() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return stopping_;
}

const Velmarin::Locker_ID& RadaltSelfTest::TestLocker() {
  std::lock_guard<std::mutex> lock(mutex_);
  if (!locker_) locker_.reset(new Velmarin::Locker(className_));
  return locker_->Id();
}

void RadaltSelfTest::RunTask(Velmarin::SelfTestHarness_var h, Task* task) {
  // Whatever goes wrong is the harness's failure to report; the harness always hears the end.
  auto fail = [&](const std::string& text) {
    try {
      h->Failure(text.c_str());
    } catch (...) {
      std::cerr << className_ << "::RunTask: failure not reported: " << text << std::endl;
    }
  };
  if (note_) note_(title_ + " started");
  try {
    h->TestStart(title_.c_str());
    Velmarin::GUI_Able_var gui = gui_ ? gui_->_this() : Velmarin::GUI_Able::_nil();
    if (CORBA::is_nil(gui))
      fail("Could not get RadAlt GUI_ABLE");
    else
      Verify_Attributes(h, gui);
  } catch (const Velmarin::Runtime_errors::Unhandled_switch&) {
    // reported where it was found
  } catch (const CORBA::Exception& e) {
    fail(std::string("CORBA error ") + e._name() + " during the self test");
  } catch (const std::exception& e) {
    fail(std::string("Caught exception ") + e.what());
  } catch (...) {
    fail("An unknown exception was caught");
  }
  try {
    h->TestFinished();
  } catch (const CORBA::Exception& e) {
    std::cerr << className_ << "::RunTask: the harness did not take the end of the test: " << e._name() << std::endl;
  }
  h = Velmarin::SelfTestHarness::_nil();
  if (note_) note_(title_ + (Stopping() ? " stopped early" : " finished"));
  std::lock_guard<std::mutex> lock(mutex_);
  task->done = true;
}

void RadaltSelfTest::Verify_Attributes(Velmarin::SelfTestHarness_ptr h, Velmarin::GUI_Able_ptr gui) {
  h->StepStart("Validate Rad Alt attribute list");
  CORBA::String_var actual = gui->Get_attr_list();
  const std::string expected = expected_ ? expected_() : std::string();
  h->CompareText(expected.c_str(), actual.in());
  h->StepEnd();

  std::istringstream names(actual.in());
  std::string name;
  while (names >> name) {
    if (Stopping()) {
      h->Failure("Self test stopped: the master control is shutting down");
      return;
    }
    Velmarin::EngineReadingBase_var attr = gui->Get_attr(name.c_str());
    if (CORBA::is_nil(attr)) {
      h->Failure((name + ": listed but not available").c_str());
      continue;
    }
    Check(h, name, attr);
  }
}

void RadaltSelfTest::Check(Velmarin::SelfTestHarness_ptr h, const std::string& name,
                           Velmarin::EngineReadingBase_ptr attr) {
  CORBA::String_var type = attr->TypeName();
  auto it = Actions().find(type.in());
  if (it == Actions().end()) {
    h->Failure((name + " has the unknown type " + type.in() + ": Engine Attribute Type not found").c_str());
    std::cout << typeNotFound_ << std::endl;
    throw Velmarin::Runtime_errors::Unhandled_switch("Engine Attribute Type not found");
  }
  const char* n = name.c_str();
  switch (it->second) {
    case Action::Boolean:
      if (!SkippedBoolean(name)) h->CheckBooleanAttribute(n, Velmarin::EngineAttribBoolean::_narrow(attr), TestLocker());
      break;
    case Action::Enum:
      h->CheckEnumAttribute(n, Velmarin::EngineAttribEnum::_narrow(attr), TestLocker());
      break;
    case Action::Long: {
      Velmarin::EngineAttribLong_var a = Velmarin::EngineAttribLong::_narrow(attr);
      Velmarin::EngineAttribLongParams params = a->GetParams();
      h->CheckLongAttribute(n, a, params, TestLocker());
      break;
    }
    case Action::ValueDouble: {
      if (SkippedValueDouble(name)) break;
      Velmarin::EngineAttribValueDouble_var a = Velmarin::EngineAttribValueDouble::_narrow(attr);
      Velmarin::EngineAttribValueDoubleParams params = a->GetParams();
      h->CheckValueDoubleAttribute(n, a, params, TestLocker());
      break;
    }
    case Action::ValueLong: {
      Velmarin::EngineAttribValueLong_var a = Velmarin::EngineAttribValueLong::_narrow(attr);
      Velmarin::EngineAttribValueLongParams params = a->GetParams();
      h->CheckValueLongAttribute(n, a, params, TestLocker());
      break;
    }
    case Action::BooleanReading:
      h->CheckBooleanReading(n, Velmarin::EngineReadingBoolean::_narrow(attr), TestLocker());
      break;
    case Action::Double:      // no such attribute kind in this platform: recognised only
    case Action::Recognised:
      break;
  }
}

}  // namespace radalt
