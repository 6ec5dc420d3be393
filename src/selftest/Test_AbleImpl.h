// The master control as a testable module ("RadAltMC Module"): it offers the basic and the
// software self test to the platform's self-test harness.
#pragma once

#include "SelfTest_Basic.h"
#include "SelfTest_SW.h"
#include "VelmarinEngine.hh"

namespace Velmarin {

class Velmarin_Test_Able_i : public virtual POA_Velmarin::Test_Able {
 public:
  // gui: the registry the tests validate; expected: the names a complete build publishes.
  Velmarin_Test_Able_i(GUI_Able_i* gui, radalt::RadaltSelfTest::ExpectedList expected);
  ~Velmarin_Test_Able_i() override;

  char* GetName() override;
  CORBA::Boolean SelfTestAvail(SelfTestType type, SelfTestHarness_ptr h) override;
  CORBA::Boolean RunSelfTest(SelfTestType type, SelfTestHarness_ptr h) override;

  // Ends running self tests early and waits for them.
  void StopSelfTests();
  // Where both tests tell their start and end (RadaltSelfTest::OnEvent).
  void OnEvent(const std::function<void(const std::string&)>& note) {
    basic_.OnEvent(note);
    software_.OnEvent(note);
  }

 private:
  SelfTest_Basic_Radalt basic_;
  SelfTest_SW_Radalt software_;
};

}  // namespace Velmarin
