#include "ScEngine.h"

#include <iostream>
#include <sstream>

#include "ServerSegments.h"

#include "platform/Orb.h"

namespace radaltsim {

namespace {
const char* const kConfigurationValid = "VALIDCONFIG";

Velmarin::ItemNamer Namer(const std::string& base, const Velmarin::AttributePublisher& publisher) {
  Velmarin::ItemNamer namer(base);
  namer.SetPublisher(publisher);
  return namer;
}
}  // namespace

CORBA::ULong ScEngine_i::RequestCount() { return static_cast<CORBA::ULong>(ServerSegmentsReceived()); }

ScEngine_i::ScEngine_i(int channel, const std::string& namerBase, ScEngineOptions options)
    : ScInhouse_i(channel),
      channel_(channel),
      namer_(Namer(namerBase, options.publisher)),
      gui_(new Velmarin::GUI_Able_i(namerBase + "/GUI_ABLE")),
      controls_(new Velmarin::GUI_Able_i(namerBase + "/SIM_CONTROLS")),
      items_(new ItemStore(namer_, *gui_, controls_.get())),
      flight_(new FlightModel(*items_, options.tick)),
      calibration_(new CalibrationModel(*items_, options.calibration)),
      rfPath_(new RfPathModel(*items_)),
      uut_(new UutModel(*items_, options.tick)),
      catalogue_(new CatalogueModel(*items_, channel, options.catalogueFolder)) {
  // The configuration's validity is the channel's condition, not a setting: a reset keeps it.
  items_->KeepOnReset(kConfigurationValid);
  items_->Update(kConfigurationValid, options.configurationValid);
}

ScEngine_i::~ScEngine_i() {
  Velmarin::DeactivateServant(this);
  flight_->StopClock();  // nothing flies while the items go
  calibration_.reset();
  uut_->StopClock();
  items_.reset();        // no write reaches the flight after this
  uut_.reset();
  flight_.reset();
  controls_.reset();
  gui_.reset();
}

void ScEngine_i::RegisterGui(Velmarin::GUI_Able_ptr gui) {
  Velmarin::GUI_Able_var target = Velmarin::GUI_Able::_duplicate(gui);
  {
    std::lock_guard<std::mutex> lock(guiMutex_);
    masterGui_ = Velmarin::GUI_Able::_duplicate(gui);
    registered_ = !CORBA::is_nil(gui);
  }
  if (CORBA::is_nil(target)) return;
  // Offer every item of the engine's registry to the master control's as "CH<n>:<name>".
  CORBA::String_var list = gui_->Get_attr_list();
  std::istringstream names(list.in());
  const std::string prefix = "CH" + std::to_string(channel_) + ":";
  std::size_t n = 0;
  for (std::string name; names >> name; ++n) {
    Velmarin::EngineReadingBase_var attr = gui_->Get_attr(name.c_str());
    target->Add_attr((prefix + name).c_str(), attr);
  }
  std::cout << "radaltsc " << channel_ << ": registered " << n << " items with the master control"
            << std::endl;
}

void ScEngine_i::ResetState() {
  calibration_->Abort();
  flight_->Reset();
  uut_->AfterReset();
}

void ScEngine_i::SetConfigurationValid(CORBA::Boolean valid) {
  std::lock_guard<std::mutex> lock(configMutex_);
  ShowConfiguration(valid);
}

bool ScEngine_i::ToggleConfigurationValid() {
  std::lock_guard<std::mutex> lock(configMutex_);
  const bool valid = items_->Number(kConfigurationValid) == 0;
  ShowConfiguration(valid);
  return valid;
}

void ScEngine_i::ShowConfiguration(bool valid) {
  items_->Assign(kConfigurationValid, valid);
  std::cout << "radaltsc " << channel_ << ": configuration " << (valid ? "valid" : "invalid") << std::endl;
}

void ScEngine_i::ResetHardware() { WakeBoards(); }

namespace {
SC::String_Seq* Sequence(const std::vector<std::string>& texts) {
  auto* out = new SC::String_Seq;
  out->length(static_cast<CORBA::ULong>(texts.size()));
  for (CORBA::ULong i = 0; i < out->length(); ++i) (*out)[i] = CORBA::string_dup(texts[i].c_str());
  return out;
}
}  // namespace

SC::String_Seq* ScEngine_i::NameList(Catalogued kind) { return Sequence(catalogue_->Names(kind)); }

SC::String_Seq* ScEngine_i::InhouseRequests() { return Sequence(Requests()); }

CORBA::Boolean ScEngine_i::ApplyCurrentAltitude() {
  flight_->ApplyCurrentAltitude();
  return true;
}

void ScEngine_i::AutoRfLevel() { rfPath_->Run(AutoRun::RfLevel); }
void ScEngine_i::AutoLoopLoss() { rfPath_->Run(AutoRun::LoopLoss); }
void ScEngine_i::AutoOutputPowerLevelDiff() { rfPath_->Run(AutoRun::OutputPowerLevelDiff); }

}  // namespace radaltsim
