#include "SaveRecall.h"

#include <chrono>

#include <boost/bind/bind.hpp>

#include "Core.h"
#include "Exceptions.h"
#include "platform/ORB_wrapper.h"
#include "Keys.h"

namespace {

namespace OE = Velmarin::Operation_errors;
namespace Conn = Velmarin::Connection_errors;

// How long a command waits for this master control's hand-off before it.
constexpr std::chrono::seconds kHandOffTurn{3};

constexpr const char* kSettingsTable = "radaltmc_settings";
constexpr const char* kProfileTable = "radaltmc_altsim";
constexpr const char* kNoEngine = "Cannot find EVERYBODYENG interface";

std::string Prefix(const char* method) { return std::string(" SaveRecall::") + method; }

}  // namespace

SaveRecall::SaveRecall(Velmarin::ItemNamer& namer, MY_GUIABLE_i& gui, radalt::Core* mc, Velmarin::ORB_wrapper& orbw)
    : mc_(mc),
      orbw_(orbw),
      recallSettings_(namer, gui, radalt::key::RECALLSETTINGS, boost::bind(&SaveRecall::RecallSettingsCallback, this)),
      storeSettings_(namer, gui, radalt::key::STORESETTINGS, boost::bind(&SaveRecall::StoreSettingsCallback, this)),
      recallProfile_(namer, gui, radalt::key::RECALLPROFILE, boost::bind(&SaveRecall::RecallProfileCallback, this)),
      storeProfile_(namer, gui, radalt::key::STOREPROFILE, boost::bind(&SaveRecall::StoreProfileCallback, this)) {}

SaveRecall::~SaveRecall() = default;

Velmarin::EngineAttribVoid_ptr SaveRecall::RecallSettingsData() { return recallSettings_._this(); }
Velmarin::EngineAttribVoid_ptr SaveRecall::StoreSettingsData() { return storeSettings_._this(); }
Velmarin::EngineAttribVoid_ptr SaveRecall::RecallProfileData() { return recallProfile_._this(); }
Velmarin::EngineAttribVoid_ptr SaveRecall::StoreProfileData() { return storeProfile_._this(); }

void SaveRecall::RecallSettingsCallback() {
  Command("RecallSettingsCallback", kSettingsTable, Act::Recall, recallSettings_);
}
void SaveRecall::StoreSettingsCallback() { Command("StoreSettingsCallback", kSettingsTable, Act::Store, storeSettings_); }
void SaveRecall::RecallProfileCallback() { Command("RecallProfileCallback", kProfileTable, Act::Recall, recallProfile_); }
void SaveRecall::StoreProfileCallback() { Command("StoreProfileCallback", kProfileTable, Act::Store, storeProfile_); }

void SaveRecall::Command(const char* callback, const char* tableBase, Act act, Velmarin::EngineAttribVoid_i& trigger) {
  const std::string prefix = Prefix(callback);
  auto* cal = mc_->Find<radalt::FactoryCalibrationChannel>();
  const int ch = cal ? cal->FactoryCalibrationChannelValue() : 0;
  const int n = mc_->EnabledChannels();
  if (ch > n || ch < 1)
    radalt::LogThrow(prefix + " throw DataOutOfRangeException:Factory calibration channel out of range",
                     OE::DataOutOfRangeException<int>("Factory calibration channel out of range", 1, n, ch));
  if (!mc_->GetSingleChannelIsLocal(ch))
    radalt::LogThrow(prefix + " throw NotSupported:Factory calibration channel set to an external channel",
                     OE::NotSupported("Factory calibration channel set to an external channel"));
  // The snapshot is named by the calibration channel's settings name.
  std::string name;
  if (auto* attr = dynamic_cast<Velmarin::EngineAttribString_i*>(
          mc_->Gui().Local("CH" + std::to_string(ch) + "SETTINGSNAME")))
    name = attr->Value();
  std::unique_lock<std::mutex> turn(handOffMutex_);
  if (!handOffFree_.wait_for(turn, kHandOffTurn, [this] { return !handingOff_; })) {
    const Velmarin::Locker_ID& self = mc_->McLocker().Id();
    radalt::LogThrow(prefix + " throw Locking_Error_Exception:Store or recall in progress",
                     OE::Locking_Error_Exception(self.name.in(), "Store or recall in progress",
                                                 "Locked because another store or recall is being handed over. "
                                                 "Try again"));
  }
  handingOff_ = true;
  turn.unlock();
  struct Done {
    SaveRecall* self;
    ~Done() {
      {
        std::lock_guard<std::mutex> lock(self->handOffMutex_);
        self->handingOff_ = false;
      }
      self->handOffFree_.notify_one();
    }
  } done{this};
  setup_everybodyeng(tableBase, trigger, act, name);
}

Velmarin::EverybodyEng::Interfaces_ptr SaveRecall::EverybodyEngine() {
  const std::string line = std::string(" SaveRecall::setup_everybodyeng throw ") + kNoEngine;
  try {
    const std::vector<std::string> children = orbw_.FindChildContext("Lumaren/local/EVERYBODYENG");
    if (children.empty()) radalt::LogThrow(line, OE::Object_Not_Found(kNoEngine));
    CORBA::Object_var obj = orbw_.LookupClient({"Lumaren", "local", "EVERYBODYENG", children.front()});
    Velmarin::EverybodyEng::Interfaces_var engine = Velmarin::EverybodyEng::Interfaces::_narrow(obj);
    if (CORBA::is_nil(engine) || engine->_non_existent()) radalt::LogThrow(line, OE::Object_Not_Found(kNoEngine));
    return engine._retn();
  } catch (const CORBA::SystemException&) {
    // Bound but gone: a stale registration of an engine that no longer runs.
    radalt::LogThrow(line, OE::Object_Not_Found(kNoEngine));
  }
}

void SaveRecall::setup_everybodyeng(const char* tableBase, Velmarin::EngineAttribVoid_i& trigger, Act act,
                                    const std::string& name) {
  Velmarin::EverybodyEng::Interfaces_var engine = EverybodyEngine();
  Velmarin::Locker_ID_var who = trigger.GetLocker();
  const std::string table = tableBase + orbw_.GetInstanceNum();
  try {
    HandOver(engine.in(), who.in(), table, act, name);
  } catch (const CORBA::SystemException& e) {
    // The save/recall engine's failure, not the master control's: a client tells them apart.
    const bool late = dynamic_cast<const CORBA::TIMEOUT*>(&e) != nullptr;
    const std::string text = std::string("Save/recall engine EVERYBODYENG ") +
                             (late ? "did not answer in time" : "not reached") + " (" + e._name() + ")";
    radalt::LogThrow(" SaveRecall::setup_everybodyeng throw Communications_failure:" + text,
                     Conn::Communications_failure(text.c_str()));
  }
}

void SaveRecall::HandOver(Velmarin::EverybodyEng::Interfaces_ptr engine, const Velmarin::Locker_ID& who,
                          const std::string& table, Act act, const std::string& name) {
  Velmarin::EngineAttribVoid_var begin = engine->Begin();
  begin->Execute(who);
  Velmarin::EngineAttribEnum_var selection = engine->Table();
  Velmarin::EngineAttribEnumParams_var tables = selection->GetParams();
  bool known = false;
  for (CORBA::ULong i = 0; i < tables->length() && !known; ++i) {
    if (table != tables[i].label.in()) continue;
    selection->Set(who, tables[i].value);
    known = true;
  }
  if (!known) {
    // Ends the hand-off begun above: an act without a table is refused by the engine.
    Velmarin::EngineAttribVoid_var end = engine->Recall();
    try {
      end->Execute(who);
    } catch (const CORBA::UserException&) {
    }
    radalt::LogThrow(" SaveRecall::setup_everybodyeng throw NotSupported:No table " + table,
                     OE::NotSupported(("No table " + table).c_str()));
  }
  Velmarin::EngineAttribString_var snapshot = engine->SnapshotName();
  snapshot->Set(who, name.c_str());
  Velmarin::EngineAttribVoid_var command = act == Act::Store ? engine->Store() : engine->Recall();
  command->Execute(who);
}
