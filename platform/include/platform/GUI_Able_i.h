// An engine's attribute registry and its operator-interface pages.
//
// An attribute that registers itself under its key is listed under the key followed by the
// engine's instance digit ("NOOFENABLEDCHANNELS1" for instance 1), the name operator pages and
// the self test look for. References added from elsewhere (Add_attr) keep the name they are
// given. A lookup by the bare key finds the attribute of this engine's instance.
#pragma once

#include <atomic>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>

#include "VelmarinEngine.hh"
#include "platform/EngineAttrib.h"

namespace Velmarin {

class GUI_Able_i : public virtual POA_Velmarin::GUI_Able,
                   public Lockable_i,
                   public Lumaren::GUI_AbleRegistration {
 public:
  explicit GUI_Able_i(const std::string& name, const std::string& instance = "1");
  ~GUI_Able_i() override;

  // Lumaren::GUI_AbleRegistration
  void Register(const std::string& name, EngineReadingBase_i& attr) override;
  void Unregister(const std::string& name, EngineReadingBase_i& attr) override;
  std::shared_ptr<WriteObserver> Observer() const override;

  // Every client write and command of this registry's attributes is told to observer from
  // now on (null: to nobody). A write under way keeps the observer it began with.
  void Observe(std::shared_ptr<WriteObserver> observer);

  // IDL
  char* Get_attr_list() override;
  EngineReadingBase_ptr Get_attr(const char* name) override;
  void Add_attr(const char* name, EngineReadingBase_ptr attr) override;
  char* Get_XML(const char* key) override;
  char* Get_Script(const char* key) override;
  String_Seq* Get_XML_keys() override;

  // Registers a page or a script file under key. A file that cannot be read is reported
  // once on standard error and registered with no content.
  void Add_XML(const std::string& key, const std::string& file);
  void Add_Script(const std::string& key, const std::string& file);

  // The servant registered under name (or under the bare key name) in this process, or null.
  EngineReadingBase_i* Local(const std::string& name) const;

  // The name an attribute registering under key is listed as.
  std::string Registered(const std::string& key) const { return key + instance_; }
  const std::string& Instance() const { return instance_; }

 private:
  std::string ReadFile(const std::string& file);
  template <class Map>
  typename Map::const_iterator Find(const Map& map, const std::string& name) const;

  const std::string instance_;
  std::atomic<bool> observed_{false};
  mutable std::mutex observerMutex_;
  std::shared_ptr<WriteObserver> observer_;

  mutable std::mutex mutex_;
  std::map<std::string, EngineReadingBase_i*> local_;
  std::map<std::string, EngineReadingBase_var> remote_;
  std::map<std::string, std::string> pages_;
  std::map<std::string, std::string> scripts_;
  std::set<std::string> reportedMissing_;
};

}  // namespace Velmarin
