// A persisted boolean setting of the master control (slave mode, coupling switches ...).
#pragma once

#include <boost/bind/bind.hpp>

#include "MYGUIABLE.h"
#include "Parameter.h"

namespace radalt {

class BooleanSetting : public Parameter<Velmarin::EngineAttribBoolean_i> {
 public:
  bool Value() const { return attr_.Value(); }

 protected:
  // Binds the write handler callback of Derived, starts false and creates the persisted value.
  template <class Derived>
  BooleanSetting(STpersistance* store, Velmarin::ItemNamer& namer, MY_GUIABLE_i& gui, radalt::Core* mc,
                 const char* key, const char* persistanceName, void (Derived::*callback)(int))
      : Parameter(mc, store, namer, gui, key, false,
                  boost::bind(callback, static_cast<Derived*>(this), boost::placeholders::_1)),
        persistanceName_(persistanceName) {
    Persist<int>(persistanceName_, Value() ? 1 : 0);
  }

  // Assigns v when it differs; returns whether it did.
  bool AssignIfChanged(int v) {
    if ((v != 0) == Value()) return false;
    attr_ = (v != 0);
    return true;
  }
  // Assigns the persisted value.
  void AssignRecalled() { attr_ = Recalled<int>(persistanceName_) != 0; }

 private:
  const char* persistanceName_;
};

}  // namespace radalt
