// Channel 2's factory default ("CH2FACTORYDEFAULT").
#pragma once

#include "FactoryDefault.h"

class Factory_Default_Chan2 : public radalt::FactoryDefault {
 public:
  Factory_Default_Chan2(Velmarin::ItemNamer& namer, MY_GUIABLE_i& gui, radalt::Core* mc)
      : FactoryDefault(2, namer, gui, mc) {}

  void FactoryDefaultChan2Callback() { Callback(); }
  Velmarin::EngineAttribVoid_ptr FactoryDefaultChan2() { return Reference(); }
};
