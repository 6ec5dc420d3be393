// The altitude-indicator zero commands: start, save and abort. Each passes its command to every
// enabled channel engine; start locks out what must not run meanwhile, save and abort release
// it. Refused while ALTZERORUN is held (a simulation runs, an invalid configuration, a self
// test), except that a zero in progress can always be saved or aborted: what it took is
// given back whoever holds ALTZERORUN meanwhile.
#pragma once

#include "MYGUIABLE.h"
#include "Parameter.h"

namespace radalt {

class AltIndZeroCommand : public Parameter<Velmarin::EngineAttribVoid_i> {
 public:
  enum class Step { Start, Save, Abort };

  // The write handler of the command.
  void Execute();
  Velmarin::EngineAttribVoid_ptr Reference() { return This(); }

 protected:
  AltIndZeroCommand(Step step, Velmarin::ItemNamer& namer, MY_GUIABLE_i& gui, radalt::Core* mc,
                    Velmarin::Lockable_i& altZeroRun);

 private:
  void LockOut();
  void Release();

  const Step step_;
};

}  // namespace radalt
