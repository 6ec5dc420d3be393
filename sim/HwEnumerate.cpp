#include "HwEnumerate.h"

#include <iostream>

#include "platform/Orb.h"

namespace radaltsim {

// One engine's start-up progress.
class Progress_i : public virtual POA_Velmarin::Progress_Interface {
 public:
  explicit Progress_i(std::string name) : name_(std::move(name)) {}
  ~Progress_i() override { Velmarin::DeactivateServant(this); }
  void Progress(const char* percent) override {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      current_ = percent;
    }
    std::cout << "hwenum: " << name_ << " at " << percent << "%" << std::endl;
  }
  char* Current() override {
    std::lock_guard<std::mutex> lock(mutex_);
    return CORBA::string_dup(current_.c_str());
  }
  std::string Value() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return current_;
  }

 private:
  const std::string name_;
  mutable std::mutex mutex_;
  std::string current_;
};

HwEnumerate_i::HwEnumerate_i() = default;
HwEnumerate_i::~HwEnumerate_i() { Velmarin::DeactivateServant(this); }

Velmarin::Progress_Interface_ptr HwEnumerate_i::RegisterEngine(const char* engine, CORBA::Long instance,
                                                               CORBA::Long units) {
  const std::string name = std::string(engine) + " " + std::to_string(instance);
  std::lock_guard<std::mutex> lock(mutex_);
  auto& progress = engines_[name];
  if (!progress) progress.reset(new Progress_i(name));
  std::cout << "hwenum: registered " << name << " (" << units << " unit(s))" << std::endl;
  return progress->_this();
}

Velmarin::String_Seq* HwEnumerate_i::Engines() {
  std::lock_guard<std::mutex> lock(mutex_);
  auto* names = new Velmarin::String_Seq;
  names->length(static_cast<CORBA::ULong>(engines_.size()));
  CORBA::ULong i = 0;
  for (const auto& e : engines_) (*names)[i++] = CORBA::string_dup(e.first.c_str());
  return names;
}

std::string HwEnumerate_i::ProgressOf(const std::string& engine, int instance) const {
  std::lock_guard<std::mutex> lock(mutex_);
  auto it = engines_.find(engine + " " + std::to_string(instance));
  return it == engines_.end() ? std::string() : it->second->Value();
}

}  // namespace radaltsim
