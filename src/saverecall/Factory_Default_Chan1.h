// Channel 1's factory default ("CH1FACTORYDEFAULT").
#pragma once

#include "FactoryDefault.h"

class Factory_Default_Chan1 : public radalt::FactoryDefault {
 public:
  Factory_Default_Chan1(Velmarin::ItemNamer& namer, MY_GUIABLE_i& gui, radalt::Core* mc)
      : FactoryDefault(1, namer, gui, mc) {}

  void FactoryDefaultChan1Callback() { Callback(); }
  Velmarin::EngineAttribVoid_ptr FactoryDefaultChan1() { return Reference(); }
};
