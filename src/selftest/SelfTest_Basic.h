// The basic self test (harness type 0): validates the published attribute list.
#pragma once

#include "RadaltSelfTest.h"

class SelfTest_Basic_Radalt : public radalt::RadaltSelfTest {
 public:
  SelfTest_Basic_Radalt(Velmarin::GUI_Able_i* gui, ExpectedList expected)
      : RadaltSelfTest(gui, std::move(expected), "Basic Self Test", "SelfTest_Basic_Radalt",
                       " SelfTest_Basic_Radalt::Verify_Attributes throw Engine Attribute Type not found") {}
};
