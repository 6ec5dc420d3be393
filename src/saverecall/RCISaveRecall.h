// The remote catalogue of named settings and profiles, held by the channel engines: store the
// current settings or profile of a channel under a name, recall a named one into a channel,
// delete one, count them and read their names one by one.
//
// Eighteen attributes, one row each in the role table of RCISaveRecall.cpp. Names written by
// clients are checked against the published pattern and length before any engine sees them.
// A list is read by writing "0" (which fetches the names from channel 1's engine), then "1",
// "2" ... and reading the attribute after each write, until it shows the empty string. An
// index past the end, a negative one, or any index while no list is held gives the empty
// string.
#pragma once

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/EngineAttrib.h"

namespace radalt {
class Core;
}

class RCISaveRecall {
 public:
  explicit RCISaveRecall(radalt::Core* mc);
  virtual ~RCISaveRecall();
  RCISaveRecall(const RCISaveRecall&) = delete;
  RCISaveRecall& operator=(const RCISaveRecall&) = delete;

  // The attributes' references, in slot order.
  virtual Velmarin::EngineAttribString_ptr RCIRecallAltSimChan1();
  virtual Velmarin::EngineAttribString_ptr RCIRecallAltSimChan2();
  virtual Velmarin::EngineAttribString_ptr RCIRecallAltSimChan3();
  virtual Velmarin::EngineAttribString_ptr RCIStoreAltSimChan1();
  virtual Velmarin::EngineAttribString_ptr RCIStoreAltSimChan2();
  virtual Velmarin::EngineAttribString_ptr RCIStoreAltSimChan3();
  virtual Velmarin::EngineAttribString_ptr RCIDeleteAltSim();
  virtual Velmarin::EngineAttribLong_ptr RCIGetAltSimListLength();
  virtual Velmarin::EngineAttribString_ptr RCIGetAltSimList();
  virtual Velmarin::EngineAttribString_ptr RCIRecallSettingsChan1();
  virtual Velmarin::EngineAttribString_ptr RCIRecallSettingsChan2();
  virtual Velmarin::EngineAttribString_ptr RCIRecallSettingsChan3();
  virtual Velmarin::EngineAttribString_ptr RCIStoreSettingsChan1();
  virtual Velmarin::EngineAttribString_ptr RCIStoreSettingsChan2();
  virtual Velmarin::EngineAttribString_ptr RCIStoreSettingsChan3();
  virtual Velmarin::EngineAttribString_ptr RCIDeleteSettings();
  virtual Velmarin::EngineAttribLong_ptr RCIGetSettingsListLength();
  virtual Velmarin::EngineAttribString_ptr RCIGetSettingsList();

  // The parameter records shared by every name attribute and by both length attributes.
  static const Velmarin::EngineAttribStringParams& GetNameParams();
  static const Velmarin::EngineAttribLongParams& GetListLengthParams();

  // Why name may not be forwarded (empty, longer than the record's limit, or not matching its
  // pattern); empty when it may.
  static std::string NameFault(const std::string& name);

  struct Role;

 private:
  // One name list (profiles or settings) as fetched by index 0, until read past its end.
  struct HeldList {
    std::mutex mutex;
    std::vector<std::string> names;
    bool held = false;
  };

  void ByName(const Role& role, const char* name);
  void ListLength(const Role& role, int v);
  void ListEntry(const Role& role, const char* index);

  Velmarin::EngineAttribString_i& Text(const Role& role);
  Velmarin::EngineAttribLong_i& Number(const Role& role);
  Velmarin::EngineAttribString_ptr TextRef(int slot);
  Velmarin::EngineAttribLong_ptr NumberRef(int slot);

  radalt::Core* mc_;
  // Per slot, the attribute of its kind (the other stays empty).
  std::vector<std::unique_ptr<Velmarin::EngineAttribString_i>> texts_;
  std::vector<std::unique_ptr<Velmarin::EngineAttribLong_i>> numbers_;
  HeldList lists_[2];
};
