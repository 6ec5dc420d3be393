#include "Test_AbleImpl.h"

#include "platform/Orb.h"

namespace Velmarin {

namespace {
const SelfTestType kBasic = 0;
const SelfTestType kSoftware = 2;
}  // namespace

Velmarin_Test_Able_i::Velmarin_Test_Able_i(GUI_Able_i* gui, radalt::RadaltSelfTest::ExpectedList expected)
    : basic_(gui, expected), software_(gui, expected) {}

Velmarin_Test_Able_i::~Velmarin_Test_Able_i() {
  DeactivateServant(this);
  StopSelfTests();
}

char* Velmarin_Test_Able_i::GetName() { return CORBA::string_dup("RadAltMC Module"); }

CORBA::Boolean Velmarin_Test_Able_i::SelfTestAvail(SelfTestType type, SelfTestHarness_ptr) {
  return type == kBasic || type == kSoftware;
}

CORBA::Boolean Velmarin_Test_Able_i::RunSelfTest(SelfTestType type, SelfTestHarness_ptr h) {
  if (type == kBasic) return basic_.Run(h);
  if (type == kSoftware) return software_.Run(h);
  return false;
}

void Velmarin_Test_Able_i::StopSelfTests() {
  basic_.StopAll();
  software_.StopAll();
}

}  // namespace Velmarin
