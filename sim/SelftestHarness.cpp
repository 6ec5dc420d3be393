#include "SelftestHarness.h"

#include <chrono>
#include <iostream>
#include <set>
#include <sstream>

#include "platform/ORB_wrapper.h"
#include "platform/Orb.h"

namespace radaltsim {

namespace {

std::set<std::string> Words(const char* text) {
  std::set<std::string> out;
  std::istringstream in(text ? text : "");
  std::string w;
  while (in >> w) out.insert(w);
  return out;
}

std::vector<std::string> Split(const std::string& path) {
  std::vector<std::string> out;
  std::istringstream in(path);
  std::string part;
  while (std::getline(in, part, '/'))
    if (!part.empty()) out.push_back(part);
  return out;
}

template <class T>
std::string Str(T v) {
  std::ostringstream out;
  out << v;
  return out.str();
}

}  // namespace

void HarnessRun_i::Event(const std::string& text) {
  std::lock_guard<std::mutex> lock(mutex_);
  events_.push_back(text);
}

void HarnessRun_i::TestStart(const char* title) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    title_ = title;
  }
  Event(std::string("TestStart ") + title);
}

void HarnessRun_i::TestFinished() {
  Event("TestFinished");
  std::lock_guard<std::mutex> lock(mutex_);
  done_ = true;
  finished_.notify_all();
}

void HarnessRun_i::StepStart(const char* name) { Event(std::string("StepStart ") + name); }
void HarnessRun_i::StepEnd() { Event("StepEnd"); }

void HarnessRun_i::Failure(const char* text) {
  Event(std::string("Failure ") + text);
  std::lock_guard<std::mutex> lock(mutex_);
  failures_.push_back(text);
}

void HarnessRun_i::CompareText(const char* expected, const char* actual) {
  Event("CompareText");
  const std::set<std::string> want = Words(expected);
  const std::set<std::string> have = Words(actual);
  std::lock_guard<std::mutex> lock(mutex_);
  ++checks_;
  for (const auto& n : want)
    if (!have.count(n)) failures_.push_back("missing attribute " + n);
  for (const auto& n : have)
    if (!want.count(n)) failures_.push_back("unexpected attribute " + n);
}

template <class F>
void HarnessRun_i::Checked(const char* name, F&& read) {
  std::string problem;
  try {
    problem = read();
  } catch (const CORBA::Exception& e) {
    problem = std::string("not readable (") + e._name() + ")";
  }
  Event(std::string("Check ") + name + (problem.empty() ? "" : ": " + problem));
  std::lock_guard<std::mutex> lock(mutex_);
  ++checks_;
  if (!problem.empty()) failures_.push_back(std::string(name) + ": " + problem);
}

void HarnessRun_i::CheckBooleanAttribute(const char* name, Velmarin::EngineAttribBoolean_ptr attr,
                                         const Velmarin::Locker_ID&) {
  Checked(name, [&]() -> std::string {
    if (CORBA::is_nil(attr)) return "no attribute";
    attr->Get();
    return "";
  });
}

void HarnessRun_i::CheckEnumAttribute(const char* name, Velmarin::EngineAttribEnum_ptr attr,
                                      const Velmarin::Locker_ID&) {
  Checked(name, [&]() -> std::string {
    if (CORBA::is_nil(attr)) return "no attribute";
    const CORBA::Long v = attr->Get();
    Velmarin::EngineAttribEnumParams_var labels = attr->GetParams();
    for (CORBA::ULong i = 0; i < labels->length(); ++i)
      if (labels[i].value == v) return "";
    return "value " + Str(v) + " is none of its enumerators";
  });
}

void HarnessRun_i::CheckLongAttribute(const char* name, Velmarin::EngineAttribLong_ptr attr,
                                      const Velmarin::EngineAttribLongParams& p, const Velmarin::Locker_ID&) {
  Checked(name, [&]() -> std::string {
    if (CORBA::is_nil(attr)) return "no attribute";
    const CORBA::Long v = attr->Get();
    if (p.min <= p.max && (v < p.min || v > p.max))
      return "value " + Str(v) + " outside " + Str(p.min) + ".." + Str(p.max);
    return "";
  });
}

void HarnessRun_i::CheckValueDoubleAttribute(const char* name, Velmarin::EngineAttribValueDouble_ptr attr,
                                             const Velmarin::EngineAttribValueDoubleParams& p,
                                             const Velmarin::Locker_ID&) {
  Checked(name, [&]() -> std::string {
    if (CORBA::is_nil(attr)) return "no attribute";
    const double v = attr->Get().val;
    if (p.min < p.max && (v < p.min - 1e-9 || v > p.max + 1e-9))
      return "value " + Str(v) + " outside " + Str(p.min) + ".." + Str(p.max);
    return "";
  });
}

void HarnessRun_i::CheckValueLongAttribute(const char* name, Velmarin::EngineAttribValueLong_ptr attr,
                                           const Velmarin::EngineAttribValueLongParams& p,
                                           const Velmarin::Locker_ID&) {
  Checked(name, [&]() -> std::string {
    if (CORBA::is_nil(attr)) return "no attribute";
    const CORBA::Long v = attr->Get().val;
    if (p.min < p.max && (v < p.min || v > p.max))
      return "value " + Str(v) + " outside " + Str(p.min) + ".." + Str(p.max);
    return "";
  });
}

void HarnessRun_i::CheckBooleanReading(const char* name, Velmarin::EngineReadingBoolean_ptr reading,
                                       const Velmarin::Locker_ID&) {
  Checked(name, [&]() -> std::string {
    if (CORBA::is_nil(reading)) return "no reading";
    reading->Get();
    return "";
  });
}

bool HarnessRun_i::WaitFinished(double seconds) {
  std::unique_lock<std::mutex> lock(mutex_);
  return finished_.wait_for(lock, std::chrono::duration<double>(seconds), [this] { return done_; });
}

std::string HarnessRun_i::Title() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return title_;
}

std::vector<std::string> HarnessRun_i::Failures() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return failures_;
}

std::vector<std::string> HarnessRun_i::Events() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return events_;
}

int HarnessRun_i::Checks() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return checks_;
}

std::vector<std::string> SelfTestRunner_i::RunModule(const std::string& path, Velmarin::SelfTestType type,
                                                     double seconds) {
  Velmarin::Test_Able_var module;
  try {
    Velmarin::ORB_wrapper_base naming;
    CORBA::Object_var obj = naming.LookupClient(Split(path));
    module = Velmarin::Test_Able::_narrow(obj);
  } catch (const CORBA::Exception&) {
    module = Velmarin::Test_Able::_nil();
  }
  if (CORBA::is_nil(module))
    throw Velmarin::Operation_errors::Object_Not_Found(("no testable module at " + path).c_str());

  auto* run = new HarnessRun_i;
  PortableServer::ServantBase_var owner(run);  // the POA and this function share the servant
  Velmarin::SelfTestHarness_var harness = run->_this();
  CORBA::String_var name = module->GetName();
  const std::string label = std::string(" (") + name.in() + ")";
  std::vector<std::string> lines;
  if (!module->SelfTestAvail(type, harness)) {
    Velmarin::DeactivateServant(run);
    throw Velmarin::Operation_errors::NotSupported(
        (std::string(name.in()) + " offers no self test of type " + Str(type)).c_str());
  }
  if (!module->RunSelfTest(type, harness)) {
    lines.push_back("Self test type " + Str(type) + label + ": FAILED, the module did not start it");
  } else if (!run->WaitFinished(seconds)) {
    lines.push_back(run->Title() + label + ": FAILED, not finished within " + Str(seconds) + " s");
  } else {
    const std::vector<std::string> failures = run->Failures();
    lines.push_back(run->Title() + label + ": " +
                    (failures.empty() ? "PASSED, " + Str(run->Checks()) + " checks"
                                      : "FAILED, " + Str(failures.size()) + " failures in " + Str(run->Checks()) +
                                            " checks"));
    for (const auto& f : failures) lines.push_back("  " + f);
  }
  Velmarin::DeactivateServant(run);
  std::cout << "self-test harness: " << lines.front() << std::endl;
  return lines;
}

Velmarin::String_Seq* SelfTestRunner_i::Run(const char* path, Velmarin::SelfTestType type, CORBA::Double seconds) {
  const std::vector<std::string> lines = RunModule(path, type, seconds);
  auto* out = new Velmarin::String_Seq;
  out->length(static_cast<CORBA::ULong>(lines.size()));
  for (CORBA::ULong i = 0; i < out->length(); ++i) (*out)[i] = CORBA::string_dup(lines[i].c_str());
  return out;
}

}  // namespace radaltsim
