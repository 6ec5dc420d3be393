// A stand-in for the platform's self-test harness: it resolves a testable module, asks what
// it offers, runs one of its self tests, records every callback and reports one result line
// per test. The checks it is asked for only read the attributes they are given.
#pragma once

#include <condition_variable>
#include <mutex>
#include <string>
#include <vector>

#include "RadAltMC.hh"

namespace radaltsim {

// The harness as one run sees it: every callback of the module is recorded.
class HarnessRun_i : public virtual POA_Velmarin::SelfTestHarness {
 public:
  void TestStart(const char* title) override;
  void TestFinished() override;
  void StepStart(const char* name) override;
  void StepEnd() override;
  void Failure(const char* text) override;
  void CompareText(const char* expected, const char* actual) override;
  void CheckBooleanAttribute(const char* name, Velmarin::EngineAttribBoolean_ptr attr,
                             const Velmarin::Locker_ID& who) override;
  void CheckEnumAttribute(const char* name, Velmarin::EngineAttribEnum_ptr attr, const Velmarin::Locker_ID& who) override;
  void CheckLongAttribute(const char* name, Velmarin::EngineAttribLong_ptr attr,
                          const Velmarin::EngineAttribLongParams& params, const Velmarin::Locker_ID& who) override;
  void CheckValueDoubleAttribute(const char* name, Velmarin::EngineAttribValueDouble_ptr attr,
                                 const Velmarin::EngineAttribValueDoubleParams& params,
                                 const Velmarin::Locker_ID& who) override;
  void CheckValueLongAttribute(const char* name, Velmarin::EngineAttribValueLong_ptr attr,
                               const Velmarin::EngineAttribValueLongParams& params,
                               const Velmarin::Locker_ID& who) override;
  void CheckBooleanReading(const char* name, Velmarin::EngineReadingBoolean_ptr reading,
                           const Velmarin::Locker_ID& who) override;

  // Waits until the module reports the end of the test; false when seconds passed first.
  bool WaitFinished(double seconds);
  std::string Title() const;
  std::vector<std::string> Failures() const;
  // Every callback received, in order ("TestStart Basic Self Test", "Check ...").
  std::vector<std::string> Events() const;
  int Checks() const;

 private:
  void Event(const std::string& text);
  // Runs one read-only check; a CORBA error or a value out of its limits is a failure.
  template <class F>
  void Checked(const char* name, F&& read);

  mutable std::mutex mutex_;
  std::condition_variable finished_;
  bool done_ = false;
  std::string title_;
  std::vector<std::string> failures_;
  std::vector<std::string> events_;
  int checks_ = 0;
};

// The harness's control: what radaltctl asks to run a module's self test.
class SelfTestRunner_i : public virtual POA_Velmarin::SelfTestRunner {
 public:
  Velmarin::String_Seq* Run(const char* path, Velmarin::SelfTestType type, CORBA::Double seconds) override;
  // The same, as lines: the result line, then each failure ("  " + text).
  static std::vector<std::string> RunModule(const std::string& path, Velmarin::SelfTestType type, double seconds);
};

}  // namespace radaltsim
