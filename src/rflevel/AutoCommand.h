// A one-shot automatic run of one channel's engine (RF level, loop loss, output power level
// difference). It checks the channel, triggers the engine and then shows the output power and
// loop loss the engine arrived at. Clients execute it as a command attribute.
#pragma once

#include <string>

#include "ChannelBound.h"
#include "MYGUIABLE.h"
#include "RfLevelCommon.h"
#include "platform/EngineAttrib.h"

namespace radalt {

enum class AutoRole { RfLevel, LoopLoss, OutputPwrLvlDiff };

struct AutoRoleInfo {
  const char* className;   // AUTORFLEVEL
  const char* operation;   // AutoRfLevel
  const char* keyStem;     // "CH" + digit + keyStem
  void (ScMain::*run)();   // the engine's run
};
const AutoRoleInfo& AutoInfo(AutoRole role);

class AutoCommand : public ChannelBound {
 public:
  ~AutoCommand() override = default;
  // The run: refused when the channel is not enabled or has no engine.
  void Run();
  void updateChannelData(unsigned available, unsigned enabled, SCI::RADALTSC_MAIN_INTERFACE_ptr engine) override {
    kept_.Update(available, enabled);
  }
  int Channel() const { return kept_.Channel(); }
  // The command attribute clients execute.
  Velmarin::EngineAttribVoid_ptr Command() { return command_._this(); }

 protected:
  AutoCommand(AutoRole role, int channel, unsigned available, unsigned enabled,
              SCI::RADALTSC_MAIN_INTERFACE_ptr engine, Velmarin::ItemNamer& namer, MY_GUIABLE_i& gui, radalt::Core* mc);

 private:
  const AutoRole role_;
  radalt::Core* mc_;
  KeptChannel kept_;
  Velmarin::EngineAttribVoid_i command_;
};

}  // namespace radalt

// The automatic RF level of one channel ("CH1AUTORFLEVEL" .. "CH3AUTORFLEVEL").
class AUTORFLEVEL : public radalt::AutoCommand {
 public:
  AUTORFLEVEL(int channel, unsigned available, unsigned enabled, radalt::SCI::RADALTSC_MAIN_INTERFACE_ptr engine,
              Velmarin::ItemNamer& namer, MY_GUIABLE_i& gui, radalt::Core* mc)
      : AutoCommand(radalt::AutoRole::RfLevel, channel, available, enabled, engine, namer, gui, mc) {}
  virtual void AutoRfLevel() { Run(); }
};

// The automatic loop loss of one channel ("CH1AUTOLOOPLOSS" .. "CH3AUTOLOOPLOSS").
class AUTOLOOPLOSS : public radalt::AutoCommand {
 public:
  AUTOLOOPLOSS(int channel, unsigned available, unsigned enabled, radalt::SCI::RADALTSC_MAIN_INTERFACE_ptr engine,
               Velmarin::ItemNamer& namer, MY_GUIABLE_i& gui, radalt::Core* mc)
      : AutoCommand(radalt::AutoRole::LoopLoss, channel, available, enabled, engine, namer, gui, mc) {}
  virtual void AutoLoopLoss() { Run(); }
};

// The automatic output power level difference of one channel ("CH1AUTOPWRLVLDIFF" ..).
class PwrLvlDiff : public radalt::AutoCommand {
 public:
  PwrLvlDiff(int channel, unsigned available, unsigned enabled, radalt::SCI::RADALTSC_MAIN_INTERFACE_ptr engine,
             Velmarin::ItemNamer& namer, MY_GUIABLE_i& gui, radalt::Core* mc)
      : AutoCommand(radalt::AutoRole::OutputPwrLvlDiff, channel, available, enabled, engine, namer, gui, mc) {}
  virtual void AutoOutputPwrLvlDiff() { Run(); }
};
