// A simulated hardware enumeration: engines register at start-up and report their progress.
#pragma once

#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "VelmarinEngine.hh"

namespace radaltsim {

class Progress_i;

class HwEnumerate_i : public virtual POA_Velmarin::HwEnumerate_Able {
 public:
  HwEnumerate_i();
  ~HwEnumerate_i() override;
  Velmarin::Progress_Interface_ptr RegisterEngine(const char* engine, CORBA::Long instance,
                                                  CORBA::Long units) override;
  Velmarin::String_Seq* Engines() override;

  // The last progress each engine reported ("radalt.engine 1" -> "100"); empty before any.
  std::string ProgressOf(const std::string& engine, int instance) const;

 private:
  mutable std::mutex mutex_;
  std::map<std::string, std::unique_ptr<Progress_i>> engines_;
};

}  // namespace radaltsim
