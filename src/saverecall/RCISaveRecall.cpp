#include "RCISaveRecall.h"

#include <boost/bind/bind.hpp>

#include <cstdlib>
#include <regex>

#include "ChannelChecks.h"
#include "Core.h"
#include "EngineItems.h"
#include "Exceptions.h"
#include "Keys.h"

// One attribute: its slot, its key, its callback's name (for the refusal lines), what it does,
// to which kind of entry, and on which channel's engine (0: channel 1's, whatever is enabled).
struct RCISaveRecall::Role {
  enum class Act { Store, Recall, Delete, Length, List };
  enum Kind { kAltSim = 0, kSettings = 1 };
  int slot;
  const char* key;
  const char* callback;
  Act act;
  Kind kind;
  int channel;
};

namespace {

using SC = SCI::_objref_RADALTSC_MAIN_INTERFACE;
namespace OE = Velmarin::Operation_errors;
using Act = RCISaveRecall::Role::Act;
using Kind = RCISaveRecall::Role::Kind;
constexpr Kind kAltSim = RCISaveRecall::Role::kAltSim;
constexpr Kind kSettings = RCISaveRecall::Role::kSettings;

constexpr long kNameMaxLength = 20;
const char* const kNamePattern = "^([a-zA-Z0-9]([a-zA-Z0-9 ]|-|_|\\.)*)$";
const char* const kInitialName = "dummy";
const char* const kClass = " [MC]RCISaveRecall::";

// What each kind of catalogue entry is called on a channel engine.
struct KindItems {
  radalt::ScItemOp<Velmarin::EngineAttribString_ptr> store, recall, remove;
  radalt::ScItemOp<Velmarin::EngineAttribLong_ptr> length;
  SCI::String_Seq* (SC::*names)();
};
const KindItems kKindItems[] = {
    {&SC::StoreAltSimByName, &SC::RecallAltSimByName, &SC::DeleteAltSimByName, &SC::AltSimListLength,
     &SC::AltSimNameList},
    {&SC::StoreSettingsByName, &SC::RecallSettingsByName, &SC::DeleteSettingsByName, &SC::SettingsListLength,
     &SC::SettingsNameList},
};

radalt::ScItemOp<Velmarin::EngineAttribString_ptr> NameItem(Act act, Kind kind) {
  const KindItems& k = kKindItems[kind];
  return act == Act::Store ? k.store : act == Act::Recall ? k.recall : k.remove;
}

// In slot order.
const RCISaveRecall::Role kRoles[] = {
    {0, radalt::key::CH1RCIRECALLALTSIM, "RCIRecallAltSimChan1Callback", Act::Recall, kAltSim, 1},
    {1, radalt::key::CH2RCIRECALLALTSIM, "RCIRecallAltSimChan2Callback", Act::Recall, kAltSim, 2},
    {2, radalt::key::CH3RCIRECALLALTSIM, "RCIRecallAltSimChan3Callback", Act::Recall, kAltSim, 3},
    {3, radalt::key::CH1RCISTOREALTSIM, "RCIStoreAltSimChan1Callback", Act::Store, kAltSim, 1},
    {4, radalt::key::CH2RCISTOREALTSIM, "RCIStoreAltSimChan2Callback", Act::Store, kAltSim, 2},
    {5, radalt::key::CH3RCISTOREALTSIM, "RCIStoreAltSimChan3Callback", Act::Store, kAltSim, 3},
    {6, radalt::key::RCIDELETEALTSIM, "RCIDeleteAltSimCallback", Act::Delete, kAltSim, 0},
    {7, radalt::key::RCIGETALTSIMLISTLENGTH, "RCIGetAltSimListLengthCallback", Act::Length, kAltSim, 0},
    {8, radalt::key::RCIGETALTSIMLIST, "RCIGetAltSimListCallback", Act::List, kAltSim, 0},
    {9, radalt::key::CH1RCIRECALLSETTINGS, "RCIRecallSettingsChan1Callback", Act::Recall, kSettings, 1},
    {10, radalt::key::CH2RCIRECALLSETTINGS, "RCIRecallSettingsChan2Callback", Act::Recall, kSettings, 2},
    {11, radalt::key::CH3RCIRECALLSETTINGS, "RCIRecallSettingsChan3Callback", Act::Recall, kSettings, 3},
    {12, radalt::key::CH1RCISTORESETTINGS, "RCIStoreSettingsChan1Callback", Act::Store, kSettings, 1},
    {13, radalt::key::CH2RCISTORESETTINGS, "RCIStoreSettingsChan2Callback", Act::Store, kSettings, 2},
    {14, radalt::key::CH3RCISTORESETTINGS, "RCIStoreSettingsChan3Callback", Act::Store, kSettings, 3},
    {15, radalt::key::RCIDELETESETTINGS, "RCIDeleteSettingsCallback", Act::Delete, kSettings, 0},
    {16, radalt::key::RCIGETSETTINGSLISTLENGTH, "RCIGetSettingsListLengthCallback", Act::Length, kSettings, 0},
    {17, radalt::key::RCIGETSETTINGSLIST, "RCIGetSettingsListCallback", Act::List, kSettings, 0},
};
constexpr int kSlots = sizeof(kRoles) / sizeof(kRoles[0]);

std::string Prefix(const RCISaveRecall::Role& role) { return kClass + std::string(role.callback); }

// An engine's lock refusal reaches the writer as Locking_Error_Exception with its texts.
template <class F>
void Forward(const RCISaveRecall::Role& role, F&& call) {
  try {
    call();
  } catch (const OE::Locking_Error& e) {
    radalt::LogThrow(Prefix(role) + " throw Locking_Error_Exception", OE::Locking_Error_Exception(e));
  }
}

}  // namespace

const Velmarin::EngineAttribStringParams& RCISaveRecall::GetNameParams() {
  static const Velmarin::EngineAttribStringParams params = [] {
    Velmarin::EngineAttribStringParams p;
    p.max_length = kNameMaxLength;
    p.pattern = CORBA::string_dup(kNamePattern);
    return p;
  }();
  return params;
}

const Velmarin::EngineAttribLongParams& RCISaveRecall::GetListLengthParams() {
  static const Velmarin::EngineAttribLongParams params{0, 999, 1};
  return params;
}

std::string RCISaveRecall::NameFault(const std::string& name) {
  static const std::regex pattern(kNamePattern);
  if (name.empty()) return "a name is needed";
  if (name.size() > static_cast<std::size_t>(kNameMaxLength))
    return "name \"" + name + "\" has " + std::to_string(name.size()) + " characters, at most " +
           std::to_string(kNameMaxLength) + " are allowed";
  if (!std::regex_match(name, pattern))
    return "name \"" + name +
           "\" not allowed: a name begins with a letter or digit, followed by letters, digits, blanks, "
           "'-', '_' or '.'";
  return "";
}

RCISaveRecall::RCISaveRecall(radalt::Core* mc) : mc_(mc), texts_(kSlots), numbers_(kSlots) {
  using boost::placeholders::_1;
  for (const Role& role : kRoles) {
    const std::size_t i = static_cast<std::size_t>(role.slot);
    switch (role.act) {
      case Act::Length:
        numbers_[i] = std::make_unique<Velmarin::EngineAttribLong_i>(
            mc->Namer(), mc->Gui(), role.key, 0, boost::bind(&RCISaveRecall::ListLength, this, boost::cref(role), _1),
            GetListLengthParams());
        break;
      case Act::List:
        texts_[i] = std::make_unique<Velmarin::EngineAttribString_i>(
            mc->Namer(), mc->Gui(), role.key, kInitialName,
            boost::bind(&RCISaveRecall::ListEntry, this, boost::cref(role), _1), GetNameParams());
        break;
      default:
        texts_[i] = std::make_unique<Velmarin::EngineAttribString_i>(
            mc->Namer(), mc->Gui(), role.key, kInitialName,
            boost::bind(&RCISaveRecall::ByName, this, boost::cref(role), _1), GetNameParams());
        break;
    }
  }
}

RCISaveRecall::~RCISaveRecall() = default;

Velmarin::EngineAttribString_i& RCISaveRecall::Text(const Role& role) {
  return *texts_[static_cast<std::size_t>(role.slot)];
}
Velmarin::EngineAttribLong_i& RCISaveRecall::Number(const Role& role) {
  return *numbers_[static_cast<std::size_t>(role.slot)];
}

// Store, recall or delete by name: the channel must be enabled (store and recall), the name
// acceptable; then the engine's item is set to the name as this attribute's holder.
void RCISaveRecall::ByName(const Role& role, const char* name) {
  const std::string text = name ? name : "";
  if (role.channel > 0)
    radalt::RequireChannelEnabled(*mc_, role.channel, Prefix(role), radalt::NotEnabledText::kNumbered);
  const std::string fault = NameFault(text);
  if (!fault.empty()) {
    const std::string why = std::string(role.callback) + " - " + fault;
    radalt::LogThrow(Prefix(role) + " throw Data_Source_Not_Compatible:" + why,
                     OE::Data_Source_Not_Compatible(why.c_str()));
  }
  const int channel = role.channel > 0 ? role.channel : 1;
  SCI::RADALTSC_MAIN_INTERFACE_ptr sc = mc_->GetSingleChannelPtr(channel);
  const Velmarin::Locker_ID who = Text(role).Holder();
  Forward(role, [&] { radalt::WriteItem(mc_->Items(), sc, NameItem(role.act, role.kind), who, text.c_str()); });
  // The engine recalled settings of its own: every attribute of its channel shows them.
  if (role.act == Act::Recall)
    if (auto* display = mc_->Find<radalt::EngineDisplay>()) display->ShowEngine(channel);
}

// Any value written makes the attribute show the number of entries channel 1's engine holds.
void RCISaveRecall::ListLength(const Role& role, int v) {
  SCI::RADALTSC_MAIN_INTERFACE_ptr sc = mc_->GetSingleChannelPtr(1);
  const Velmarin::Locker_ID who = Number(role).Holder();
  const auto item = kKindItems[role.kind].length;
  Forward(role, [&] { radalt::WriteItem(mc_->Items(), sc, item, who, v); });
  Number(role) = static_cast<int>(radalt::ReadItem(mc_->Items(), sc, item));
}

void RCISaveRecall::ListEntry(const Role& role, const char* index) {
  const long i = index ? std::strtol(index, nullptr, 10) : 0;
  HeldList& list = lists_[role.kind];
  std::lock_guard<std::mutex> lock(list.mutex);
  if (i == 0) {
    SCI::RADALTSC_MAIN_INTERFACE_ptr sc = mc_->GetSingleChannelPtr(1);
    SCI::String_Seq_var names = (sc->*kKindItems[role.kind].names)();
    list.names.assign(names->length(), std::string());
    for (CORBA::ULong n = 0; n < names->length(); ++n) list.names[n] = names[n].in();
    list.held = true;
  }
  // Compared unsigned: a negative index is past the end.
  if (!list.held || static_cast<unsigned long>(i) >= list.names.size()) {
    list.names.clear();
    list.held = false;
    Text(role) = "";
    return;
  }
  Text(role) = list.names[static_cast<std::size_t>(i)].c_str();
}

Velmarin::EngineAttribString_ptr RCISaveRecall::TextRef(int slot) {
  return texts_[static_cast<std::size_t>(slot)]->_this();
}
Velmarin::EngineAttribLong_ptr RCISaveRecall::NumberRef(int slot) {
  return numbers_[static_cast<std::size_t>(slot)]->_this();
}

Velmarin::EngineAttribString_ptr RCISaveRecall::RCIRecallAltSimChan1() { return TextRef(0); }
Velmarin::EngineAttribString_ptr RCISaveRecall::RCIRecallAltSimChan2() { return TextRef(1); }
Velmarin::EngineAttribString_ptr RCISaveRecall::RCIRecallAltSimChan3() { return TextRef(2); }
Velmarin::EngineAttribString_ptr RCISaveRecall::RCIStoreAltSimChan1() { return TextRef(3); }
Velmarin::EngineAttribString_ptr RCISaveRecall::RCIStoreAltSimChan2() { return TextRef(4); }
Velmarin::EngineAttribString_ptr RCISaveRecall::RCIStoreAltSimChan3() { return TextRef(5); }
Velmarin::EngineAttribString_ptr RCISaveRecall::RCIDeleteAltSim() { return TextRef(6); }
Velmarin::EngineAttribLong_ptr RCISaveRecall::RCIGetAltSimListLength() { return NumberRef(7); }
Velmarin::EngineAttribString_ptr RCISaveRecall::RCIGetAltSimList() { return TextRef(8); }
Velmarin::EngineAttribString_ptr RCISaveRecall::RCIRecallSettingsChan1() { return TextRef(9); }
Velmarin::EngineAttribString_ptr RCISaveRecall::RCIRecallSettingsChan2() { return TextRef(10); }
Velmarin::EngineAttribString_ptr RCISaveRecall::RCIRecallSettingsChan3() { return TextRef(11); }
Velmarin::EngineAttribString_ptr RCISaveRecall::RCIStoreSettingsChan1() { return TextRef(12); }
Velmarin::EngineAttribString_ptr RCISaveRecall::RCIStoreSettingsChan2() { return TextRef(13); }
Velmarin::EngineAttribString_ptr RCISaveRecall::RCIStoreSettingsChan3() { return TextRef(14); }
Velmarin::EngineAttribString_ptr RCISaveRecall::RCIDeleteSettings() { return TextRef(15); }
Velmarin::EngineAttribLong_ptr RCISaveRecall::RCIGetSettingsListLength() { return NumberRef(16); }
Velmarin::EngineAttribString_ptr RCISaveRecall::RCIGetSettingsList() { return TextRef(17); }
