#include "AutoCommand.h"

#include <boost/bind/bind.hpp>

#include "LevelParameter.h"
#include "Core.h"
#include "RfLevelObjects.h"

namespace radalt {

namespace {
// In AutoRole order.
const AutoRoleInfo kAutos[] = {
    {"AUTORFLEVEL", "AutoRfLevel", "AUTORFLEVEL", &ScMain::AutoRfLevel},
    {"AUTOLOOPLOSS", "AutoLoopLoss", "AUTOLOOPLOSS", &ScMain::AutoLoopLoss},
    {"PwrLvlDiff", "AutoOutputPwrLvlDiff", "AUTOPWRLVLDIFF", &ScMain::AutoOutputPowerLevelDiff},
};

std::string KeyOf(AutoRole role, int channel) { return "CH" + std::to_string(channel) + AutoInfo(role).keyStem; }
}  // namespace

const AutoRoleInfo& AutoInfo(AutoRole role) { return kAutos[static_cast<int>(role)]; }

AutoCommand::AutoCommand(AutoRole role, int channel, unsigned available, unsigned enabled,
                         SCI::RADALTSC_MAIN_INTERFACE_ptr engine, Velmarin::ItemNamer& namer, MY_GUIABLE_i& gui,
                         radalt::Core* mc)
    : role_(role),
      mc_(mc),
      kept_(channel, available, enabled, mc->Channels()),
      command_(namer, gui, KeyOf(role, channel).c_str(), boost::bind(&AutoCommand::Run, this)) {}

void AutoCommand::Run() {
  const AutoRoleInfo& info = AutoInfo(role_);
  const std::string prefix = Prefix(info.className, info.operation);
  const int channel = kept_.Channel();
  RequireChannelEnabled(*mc_, channel, prefix, NotEnabledText::kNumberedLogOnly);
  SCI::RADALTSC_MAIN_INTERFACE_var engine = kept_.Engine();
  RequireEngine(engine.in(), prefix, prefix.substr(1) + " - scptr is zero");
  try {
    (engine.in()->*info.run)();
  } catch (const CORBA::UserException& e) {
    std::cout << prefix << " throw " << e._name() << std::endl;
    throw;
  }
  // The engine has set a new output power and loop loss: show them now.
  for (LevelRole role : {LevelRole::OutputPower, LevelRole::LoopLoss})
    if (LevelParameter* p = RfLevel(*mc_).Level(role, channel)) p->ReadBack();
}

}  // namespace radalt
