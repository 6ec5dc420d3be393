#include "RADALT_MC.h"

#include <algorithm>
#include <chrono>
#include <iostream>
#include <sstream>
#include <thread>

#include "platform/DDS_Publisher.h"
#include "DDS_Strand.h"
#include "platform/DDS_Subscriber.h"
#include "Exceptions.h"
#include "Subsystems.h"
#include "persistence/PersistedValue.h"
#include "platform/DDS_AttributePublisher.h"
#include "platform/Orb.h"

using radalt::LockGroup;

Velmarin::ItemNamer RADALT_MC::InstanceNamer("");

namespace {

const char* const kContext = "Lumaren/local";

struct Page {
  const char* key;
  const char* page;
  const char* script;  // null: none
};
const Page kPages[] = {
    {"1", "RA_channelMain.ui", "RA_channelMain.js"},
    {"2", "RA_simulation.ui", "RA_simulation.js"},
    {"3", "RA_setup.ui", "RA_setup.js"},
    {"5", "RA_delayCalData.ui", "RA_delayCalData.js"},
    {"6", "RA_factoryCalibration.ui", "RA_factoryCalibration.js"},
    {"7", "RA_calibrationWizard.ui", "RA_calibrationWizard.js"},
    {"8", "RA_diagnostics.ui", "RA_diagnostics.js"},
    {"9", "RA_altIndZero.ui", "RA_altIndZero.js"},
    {"21", "RA_login.ui", "RA_login.js"},
    {"23", "RA_systemInfo.ui", nullptr},
    {"catalog", "radalt_catalog.xml", nullptr},
};

}  // namespace

RADALT_MC::RADALT_MC() : RADALT_MC(radalt::EngineConfig::FromEnvironment()) {}

RADALT_MC::RADALT_MC(const radalt::EngineConfig& config) : config_(config) {
  try {
    Construct();
  } catch (...) {
    // A refused construction leaves nothing registered behind.
    Teardown(false);
    throw;
  }
}

void RADALT_MC::Construct() {
  // 1. ORB wrapper, namer, GUI servant; channel references start nil. (The test servant is
  // the self-test subsystem's.)
  orbw_.reset(new Velmarin::ORB_wrapper("RADALT", kContext));
  namer_.reset(new Velmarin::ItemNamer(Velmarin::ItemNamer::DDS_Topic(InstanceNamer, orbw_->Name())));
  namer_->SetPublisher(config_.publisher ? config_.publisher : Velmarin::MakeDdsAttributePublisher());
  gui_.reset(new MY_GUIABLE_i(namer_->DDS_Topic("GUI_ABLE"), orbw_->GetInstanceNum()));

  // 2. The announcement publisher and the channel-engine command subscriber. Its commands
  // wait on the strand until construction is complete.
  ddsCommands_.reset(new Velmarin::DDS_Strand("RADALT_MC: DDS command"));
  try {
    everybodyPublisher_.reset(new Velmarin::DDS_Publisher<CORBA::String_var>("Lumaren/local/EVERYBODY_ABLE"));
    radaltscSubscriber_.reset(new Velmarin::DDS_Subscriber<CORBA::String_var>(
        "Lumaren/local/RADALTSC", [this](const char* topic, CORBA::String_var text) {
          const std::string t = topic, command = text.in() ? text.in() : "";
          ddsCommands_->Post([this, t, command] { RadAltDDS_SubCallback(t.c_str(), command.c_str()); });
        }));
  } catch (const CORBA::UserException& e) {
    std::cerr << " RADALT_MC::RADALT_MC(constructor) - DDS set-up failed: " << e._name() << std::endl;
  }

  // 3. The 24 lock groups and the master control's locker.
  locks_.reset(new radalt::LockGroups(*namer_));

  // 4. Engine name, the three "RadAltMc" lockables as CORBA objects.
  engineName_ = "radalt.engine";
  for (LockGroup g : {LockGroup::RadAltMc1, LockGroup::RadAltMc2, LockGroup::RadAltMc3}) {
    CORBA::Object_var activated = Group(g)._this();
  }

  // 5. Exactly one master control in the naming context.
  if (orbw_->FindChildContext(std::string(kContext) + "/RADALT").size() != 1)
    radalt::LogThrow(" RADALT_MC throw Attempt to start more than one instance of radalt master control",
                     Velmarin::Connection_errors::Generic(
                         "Attempt to start more than one instance of radalt master control"));

  // 6. The persisted stores, in "engines/lib" below the install root.
  const int instance = std::atoi(orbw_->GetInstanceNum().c_str());
  const std::string dbDir = config_.installRoot + "/engines/lib";
  auto openStore = [&](const char* tableBase, const char* failure) -> std::unique_ptr<STpersistance> {
    try {
      auto store = std::make_unique<STpersistance>(instance, dbDir);
      store->ConnectToDB();
      store->CheckAndCreateTables(tableBase);
      return store;
    } catch (...) {
      std::cout << failure << std::endl;
      return nullptr;
    }
  };
  settingsStore_ = openStore("radaltmc_settings",
                             " RADALT_MC::RADALT_MC(constructor) - failed to new Settings_Persistence");
  altSimStore_ = openStore("radaltmc_altsim", " RADALT_MC::RADALT_MC(constructor) - failed to new AltSim_Persistence");

  // 7. Operator-interface pages and scripts.
  const std::string uiDir = config_.installRoot + "/engines/ui_xml/";
  for (const Page& p : kPages) gui_->Add_XML(p.key, uiDir + p.page);
  for (const Page& p : kPages)
    if (p.script) gui_->Add_Script(p.key, uiDir + p.script);

  // 8. The subsystems, and their construction groups 0 to 3.
  Provide<radalt::EngineDisplay>(*this);
  for (radalt::SubsystemFactory make : radalt::RegisteredSubsystems()) subsystems_.push_back(make(*this));
  for (int group = 0; group <= 3; ++group) ConstructGroup(group);

  // 9. The channel engines, and the wait until each is ready.
  try {
    DiscoverSingleChannelEngines();
  } catch (const CORBA::Exception& e) {
    std::cerr << " RADALT_MC::RADALT_MC(constructor) - single-channel discovery: " << e._name() << std::endl;
  }

  // 10. Construction groups 4 and 5.
  for (int group = 4; group < radalt::kConstructionGroups; ++group) ConstructGroup(group);

  // 11. Initial locks.
  InitialLocks();

  // 12. Complete the GUI servant: own attributes, then every channel engine's.
  gui_->copy_to_local_map();
  RegisterEngineAttributes();

  // 13. Servants in the naming service, hardware enumeration, the everybody servant.
  InstallServants();

  // 14. Complete: the channel-engine commands and validity changes received so far run now.
  StartChannelWork();
  ddsCommands_->Open();
  // Engines that die without a goodbye are noticed; their removal queues behind the commands.
  // One that did not answer a call is read again once it answers; one taken out for silence
  // is taken again once it answers.
  registry_.OnAnsweredAgain([this](int channel) { PostChannelJob(channel, kShowEngine); });
  registry_.OnCameBack([this](int channel, CORBA::Object_ptr engine) {
    auto ref = std::make_shared<CORBA::Object_var>(CORBA::Object::_duplicate(engine));
    ddsCommands_->Post([this, channel, ref] { TakeBack(channel, ref->in()); });
  });
  registry_.StartLiveness(config_.livenessIntervalMs, config_.livenessMisses, [this](int channel, unsigned long gen) {
    ddsCommands_->Post([this, channel, gen] { EngineLost(channel, gen); });
  });
}

void RADALT_MC::ConstructGroup(int group) {
  for (auto& subsystem : subsystems_) {
    try {
      subsystem->Construct(group);
    } catch (const CORBA::Exception& e) {
      // An object that cannot be built is a start-up error: the master control is not built.
      std::cout << " RADALT_MC::RADALT_MC(constructor) - failed to new functions(" << group << ") of "
                << subsystem->Name() << ": " << e._name() << std::endl;
      throw;
    } catch (const std::exception& e) {
      std::cout << " RADALT_MC::RADALT_MC(constructor) - failed to new functions(" << group << ") of "
                << subsystem->Name() << ": " << e.what() << std::endl;
      throw;
    }
  }
}

void RADALT_MC::RegisterEngineAttributes() {
  for (int channel = 1; channel <= 3; ++channel) {
    SCI::RADALTSC_MAIN_INTERFACE_ptr sc = registry_.RefOrNil(channel);
    if (CORBA::is_nil(sc)) continue;
    try {
      Velmarin::GUI_Able_var engineGui = sc->GuiObject();
      CORBA::String_var list = engineGui->Get_attr_list();
      std::istringstream names(list.in());
      const std::string prefix = "CH" + std::to_string(channel) + ":";
      std::string name;
      while (names >> name) {
        Velmarin::EngineReadingBase_var attr = engineGui->Get_attr(name.c_str());
        if (!CORBA::is_nil(attr)) gui_->Add(prefix + name, attr);
      }
    } catch (const CORBA::Exception& e) {
      std::cerr << " RADALT_MC: attributes of channel " << channel << " not registered (" << e._name() << ")"
                << std::endl;
    }
  }
}

void RADALT_MC::InstallServants() {
  // The subsystems' remote servants (main, in-house, self-test interface, test servant).
  for (auto& subsystem : subsystems_) subsystem->InstallServants();
  try {
    CORBA::Object_var guiRef = gui_->_this();
    orbw_->InstallChildObj("GUI_ABLE", guiRef);
  } catch (const CORBA::Exception& e) {
    std::cerr << " RADALT_MC: GUI servant not installed (" << e._name() << ")" << std::endl;
  }
  InitHwInterface(InstanceNum());
  PushHwProgress(100.0);
  CORBA::Object_var self = _this();
  orbw_->InstallChildObj("EVERYBODY_ABLE", self);
  everybodyInstalled_ = true;
  PublishEverybody("create,3");
  SubscribeConfigurationValidity();
  setupPauseResumeButtonListener();
}

void RADALT_MC::PublishEverybody(const std::string& text) {
  if (!everybodyPublisher_) return;
  try {
    everybodyPublisher_->sendData(CORBA::String_var(text.c_str()));
    // "destroy," is followed by the end of the engine: let the listeners acknowledge first.
    everybodyPublisher_->Writer()->wait_for_acknowledgments(eprosima::fastrtps::Duration_t(2, 0));
  } catch (const CORBA::UserException& e) {
    std::cerr << "RADALT_MC: announcement \"" << text << "\" not sent: " << e._name() << std::endl;
  }
}

void RADALT_MC::SubscribeConfigurationValidity() {
  if (!HasChannelEngine(1)) return;
  try {
    Velmarin::EngineReadingBoolean_var valid = GetSingleChannelPtr(1)->ConfigurationValid();
    CORBA::String_var topic = valid->DDS_Topic();
    const std::string t = topic.in();
    validConfigSubscriber_.reset(new Velmarin::DDS_Subscriber<bool>(topic.in(), [this, t](const char*, bool v) {
      ddsCommands_->Post([this, t, v] { radaltIsValidConfigPublished(t.c_str(), v); });
    }));
    // The topic keeps no history: a configuration that was invalid before the subscription
    // existed is taken from the reading itself, or no run button would ever be locked for it.
    // Queued behind the samples received so far; a later sample comes after it.
    if (!valid->Get()) ddsCommands_->Post([this, t] { radaltIsValidConfigPublished(t.c_str(), false); });
  } catch (const CORBA::Exception& e) {
    std::cerr << " RADALT_MC::RADALT_MC(constructor) - configuration validity not followed: " << e._name()
              << std::endl;
  }
}

// ---- lifecycle -----------------------------------------------------------------------------

RADALT_MC::~RADALT_MC() { Teardown(true); }

void RADALT_MC::Teardown(bool announce) {
  // No engine is looked at, and no command runs, while the objects they would reach go.
  registry_.StopLiveness();
  if (ddsCommands_) ddsCommands_->Stop();
  StopChannelWork();
  {
    std::lock_guard<std::mutex> lock(saveRecallMutex_);
    saveRecallOpen_ = false;
    ForgetCurrentValues();
  }
  // No remote request may reach what the rest takes apart.
  for (auto& subsystem : subsystems_) subsystem->RemoveServants();
  settingsStore_.reset();
  altSimStore_.reset();
  if (announce) Stop();
  // No command may arrive while the objects it would reach go.
  validConfigSubscriber_.reset();
  radaltscSubscriber_.reset();
  if (announce) Velmarin::DeactivateServant(this);
  hwEnum_ = Velmarin::HwEnumerate_Able::_nil();
  progress_ = Velmarin::Progress_Interface::_nil();
  ForgetProvided();
  while (!subsystems_.empty()) subsystems_.pop_back();
  locks_.reset();
  registry_.Clear();
  everybodyPublisher_.reset();
  gui_.reset();
  namer_.reset();
  orbw_.reset();
}

void RADALT_MC::Start() {
  std::cout << ">RADALT_MC::Start" << std::endl;
  Velmarin::ProcessOrb()->run();
  std::cout << "<RADALT_MC::Start" << std::endl;
}

void RADALT_MC::Stop() {
  if (!orbw_) return;
  for (int i = 0; i < orbw_->GetMaxPathName(); ++i) {
    const std::vector<std::string> path = orbw_->GetPathName(i);
    if (path.size() > 3 && path[2] == "EVERYBODY_ABLE") PublishEverybody("destroy," + path[3]);
  }
  orbw_.reset();
}

// ---- save and recall of whole tables (the platform's save/recall engine asks) -------------

STpersistance* RADALT_MC::StoreOfTable(const std::string& table, const char* who) {
  for (STpersistance* store : {settingsStore_.get(), altSimStore_.get()})
    if (store && table == store->TableBase() + std::to_string(store->Instance())) return store;
  radalt::LogThrow(std::string(" RADALT_MC::") + who + " throw Object_Not_Found:No table " + table,
                   Velmarin::Operation_errors::Object_Not_Found(("No table " + table).c_str()));
}

void RADALT_MC::Save(const char* table, CORBA::Long) {
  std::lock_guard<std::mutex> lock(saveRecallMutex_);
  if (!saveRecallOpen_) throw Velmarin::Operation_errors::NotConfigured("The master control is shutting down");
  STpersistance* store = StoreOfTable(table, "Save");
  if (store->UpdateValues(CurrentValues(store), 1.0f) < 0)
    radalt::LogThrow(" RADALT_MC::Save throw Generic:Current values not written to " + std::string(table),
                     Velmarin::Runtime_errors::Generic(("Current values not written to " + std::string(table)).c_str()));
}

void RADALT_MC::Recall(const char* table, CORBA::Long) {
  std::lock_guard<std::mutex> lock(saveRecallMutex_);
  if (!saveRecallOpen_) throw Velmarin::Operation_errors::NotConfigured("The master control is shutting down");
  STpersistance* store = StoreOfTable(table, "Recall");
  // Values recalled with no channel engine to take them would only be shown, never applied.
  bool anyEngine = false;
  for (int ch = 1; ch <= 3; ++ch) anyEngine = anyEngine || HasChannelEngine(ch);
  if (!anyEngine)
    radalt::LogThrow(" RADALT_MC::Recall throw NotConfigured:No channel engine to apply the recalled values",
                     Velmarin::Operation_errors::NotConfigured("No channel engine to apply the recalled values"));
  const radalt::RecallScope::Kept before = CurrentValuesByName({store});
  if (store == settingsStore_.get())
    RecallMCSettings();
  else
    RecallMCProfile();
  // How many settings the recall changed, for the journal.
  const radalt::RecallScope::Kept after = CurrentValuesByName({store});
  int changed = 0;
  for (const auto& [name, value] : after) {
    auto it = before.find(name);
    changed += it == before.end() || it->second.kind != value.kind || it->second.integer != value.integer ||
                       it->second.real != value.real || it->second.text != value.text
                   ? 1
                   : 0;
  }
  NoteEvent("recall", "recall of " + std::string(table) + ": " + std::to_string(changed) + " setting" +
                          (changed == 1 ? "" : "s") + " changed");
}

void RADALT_MC::Lock(const Velmarin::Lock_Authority&) {
  radalt::LogThrow(" RADALT_MC::Lock throw NotSupported:The master control is locked by attribute and lock group",
                   Velmarin::Operation_errors::NotSupported("The master control is locked by attribute and lock group"));
}

void RADALT_MC::Shutdown() {
  radalt::LogThrow(" RADALT_MC::Shutdown throw NotSupported:The engine host ends the master control",
                   Velmarin::Operation_errors::NotSupported("The engine host ends the master control"));
}

char* RADALT_MC::Type() { return CORBA::string_dup("Radalt_MC"); }

CORBA::Long RADALT_MC::InstanceNum() { return orbw_ ? std::atoi(orbw_->GetInstanceNum().c_str()) : 0; }

void RADALT_MC::InitHwInterface(int instance) {
  try {
    CORBA::Object_var obj = orbw_->LookupClient({"Lumaren", "local", "HWENUM_ABLE"});
    hwEnum_ = Velmarin::HwEnumerate_Able::_narrow(obj);
    if (CORBA::is_nil(hwEnum_)) std::cout << "RADALT_MC engine : Hw enum interface narrow failed." << std::endl;
  } catch (const CORBA::Exception&) {
    hwEnum_ = Velmarin::HwEnumerate_Able::_nil();
  }
  if (!CORBA::is_nil(hwEnum_)) {
    try {
      progress_ = hwEnum_->RegisterEngine(engineName_.c_str(), instance, 1);
      return;
    } catch (const CORBA::Exception&) {
      hwEnum_ = Velmarin::HwEnumerate_Able::_nil();
    }
  }
  std::cout << "RADALT_MC engine : Warning : couldn't resolve HW enumeration interface" << std::endl;
}

void RADALT_MC::PushHwProgress(double percent) {
  if (CORBA::is_nil(progress_)) return;
  std::ostringstream text;
  text << percent;
  try {
    progress_->Progress(text.str().c_str());
  } catch (const CORBA::Exception& e) {
    std::cerr << "RADALT_MC::PushHwProgress: " << e._name() << std::endl;
  }
}

