// The software self test (harness type 2): the same validation under its own title.
#pragma once

#include "RadaltSelfTest.h"

class SelfTest_SW_Radalt : public radalt::RadaltSelfTest {
 public:
  SelfTest_SW_Radalt(Velmarin::GUI_Able_i* gui, ExpectedList expected)
      : RadaltSelfTest(gui, std::move(expected), "Software Self Test", "SelfTest_SW_Radalt",
                       " SelfTest_SW_Radalt::Verify_Attributes throw Engine Attribute Type not found") {}
};
