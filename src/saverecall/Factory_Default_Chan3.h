// Channel 3's factory default ("CH3FACTORYDEFAULT").
#pragma once

#include "FactoryDefault.h"

class Factory_Default_Chan3 : public radalt::FactoryDefault {
 public:
  Factory_Default_Chan3(Velmarin::ItemNamer& namer, MY_GUIABLE_i& gui, radalt::Core* mc)
      : FactoryDefault(3, namer, gui, mc) {}

  void FactoryDefaultChan3Callback() { Callback(); }
  Velmarin::EngineAttribVoid_ptr FactoryDefaultChan3() { return Reference(); }
};
