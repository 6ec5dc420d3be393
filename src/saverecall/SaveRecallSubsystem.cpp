#include "SaveRecallSubsystem.h"

#include "Core.h"
#include "RCISaveRecall.h"

namespace radalt {

namespace {

class SaveRecallSubsystem : public Subsystem {
 public:
  explicit SaveRecallSubsystem(Core& core) : core_(core) {}
  const char* Name() const override { return "saverecall"; }

  void Construct(int group) override {
    if (group != 5) return;
    catalogue_ = std::make_unique<RCISaveRecall>(&core_);
  }

 private:
  Core& core_;
  std::unique_ptr<RCISaveRecall> catalogue_;
};

}  // namespace

std::unique_ptr<Subsystem> MakeSaveRecallSubsystem(Core& core) {
  return std::make_unique<SaveRecallSubsystem>(core);
}

}  // namespace radalt
