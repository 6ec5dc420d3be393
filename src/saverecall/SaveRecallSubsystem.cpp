#include "SaveRecallSubsystem.h"

#include "Core.h"
#include "Factory_Default_Chan1.h"
#include "Factory_Default_Chan2.h"
#include "Factory_Default_Chan3.h"
#include "RCISaveRecall.h"
#include "SaveRecall.h"
#include "SaveRecallObjects.h"
#include "Settings_Name_Chan1.h"
#include "Settings_Name_Chan2.h"
#include "Settings_Name_Chan3.h"

namespace radalt {

namespace {

class SaveRecallSubsystem : public Subsystem {
 public:
  explicit SaveRecallSubsystem(Core& core) : core_(core) {}
  const char* Name() const override { return "saverecall"; }

  void Construct(int group) override {
    if (group != 5) return;
    Velmarin::ItemNamer& namer = core_.Namer();
    MY_GUIABLE_i& gui = core_.Gui();
    STpersistance* store = core_.SettingsStore();
    objects_.saveRecall = std::make_unique<SaveRecall>(namer, gui, &core_, core_.OrbWrapper());
    objects_.settingsName.BuildEach<Settings_Name_Chan1, Settings_Name_Chan2, Settings_Name_Chan3>(store, namer, gui,
                                                                                                   &core_);
    for (auto [ch, name] : objects_.settingsName) name->SetTwins(objects_.settingsName);
    objects_.factoryDefault.BuildEach<Factory_Default_Chan1, Factory_Default_Chan2, Factory_Default_Chan3>(namer, gui,
                                                                                                           &core_);
    catalogue_ = std::make_unique<RCISaveRecall>(&core_);
    core_.Provide<SaveRecallObjects>(objects_);
  }

  void RecallSettings(RecallStep step) override {
    if (step != RecallStep::SettingsNames) return;
    for (int ch = 1; ch <= 3; ++ch)
      if (core_.HasChannelEngine(ch) && RecallScope::Reaches(ch)) objects_.settingsName.At(ch)->Recall();
  }

  void Reset(ResetStep step) override {
    if (step != ResetStep::SettingsNames) return;
    const int n = core_.EnabledChannels();
    for (int ch = 1; ch <= n && ch <= 3; ++ch) objects_.settingsName.At(ch)->Callback("Settings1");
  }

 private:
  Core& core_;
  SaveRecallObjects objects_;
  std::unique_ptr<RCISaveRecall> catalogue_;
};

}  // namespace

std::unique_ptr<Subsystem> MakeSaveRecallSubsystem(Core& core) {
  return std::make_unique<SaveRecallSubsystem>(core);
}

}  // namespace radalt
