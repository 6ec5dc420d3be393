#include "platform/GUI_Able_i.h"

#include <fstream>
#include <iostream>
#include <sstream>

#include "platform/Orb.h"

namespace Velmarin {

GUI_Able_i::GUI_Able_i(const std::string& name, const std::string& instance)
    : Lockable_i(name), instance_(instance) {}

GUI_Able_i::~GUI_Able_i() { DeactivateServant(this); }

void GUI_Able_i::Register(const std::string& name, EngineReadingBase_i& attr) {
  std::lock_guard<std::mutex> lock(mutex_);
  local_[Registered(name)] = &attr;
}

void GUI_Able_i::Unregister(const std::string& name, EngineReadingBase_i& attr) {
  std::lock_guard<std::mutex> lock(mutex_);
  auto it = local_.find(Registered(name));
  if (it != local_.end() && it->second == &attr) local_.erase(it);
}

std::shared_ptr<WriteObserver> GUI_Able_i::Observer() const {
  if (!observed_.load(std::memory_order_acquire)) return nullptr;
  std::lock_guard<std::mutex> lock(observerMutex_);
  return observer_;
}

void GUI_Able_i::Observe(std::shared_ptr<WriteObserver> observer) {
  std::lock_guard<std::mutex> lock(observerMutex_);
  observer_ = std::move(observer);
  observed_.store(observer_ != nullptr, std::memory_order_release);
}

// The entry of name, or else of the bare key name in this instance.
template <class Map>
typename Map::const_iterator GUI_Able_i::Find(const Map& map, const std::string& name) const {
  auto it = map.find(name);
  return it != map.end() ? it : map.find(Registered(name));
}

char* GUI_Able_i::Get_attr_list() {
  std::map<std::string, bool> names;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    for (const auto& e : local_) names[e.first] = true;
    for (const auto& e : remote_) names[e.first] = true;
  }
  std::string list;
  for (const auto& e : names) list += e.first + " ";
  return CORBA::string_dup(list.c_str());
}

EngineReadingBase_ptr GUI_Able_i::Get_attr(const char* name) {
  EngineReadingBase_i* servant = nullptr;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    const std::string wanted = name ? name : "";
    auto it = Find(local_, wanted);
    if (it != local_.end()) {
      servant = it->second;
    } else {
      auto r = Find(remote_, wanted);
      if (r != remote_.end()) return EngineReadingBase::_duplicate(r->second.in());
      return EngineReadingBase::_nil();
    }
  }
  return servant->_this();
}

void GUI_Able_i::Add_attr(const char* name, EngineReadingBase_ptr attr) {
  std::lock_guard<std::mutex> lock(mutex_);
  remote_[name] = EngineReadingBase::_duplicate(attr);
}

EngineReadingBase_i* GUI_Able_i::Local(const std::string& name) const {
  std::lock_guard<std::mutex> lock(mutex_);
  auto it = Find(local_, name);
  return it == local_.end() ? nullptr : it->second;
}

std::string GUI_Able_i::ReadFile(const std::string& file) {
  std::ifstream in(file);
  if (!in) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (reportedMissing_.insert(file).second)
      std::cerr << "GUI_Able_i: cannot read " << file << "; registered without content" << std::endl;
    return std::string();
  }
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

void GUI_Able_i::Add_XML(const std::string& key, const std::string& file) {
  std::string text = ReadFile(file);
  std::lock_guard<std::mutex> lock(mutex_);
  pages_[key] = std::move(text);
}

void GUI_Able_i::Add_Script(const std::string& key, const std::string& file) {
  std::string text = ReadFile(file);
  std::lock_guard<std::mutex> lock(mutex_);
  scripts_[key] = std::move(text);
}

namespace {
char* Lookup(std::mutex& m, const std::map<std::string, std::string>& table, const char* key,
             const char* what) {
  std::lock_guard<std::mutex> lock(m);
  auto it = table.find(key);
  if (it == table.end())
    throw Operation_errors::Object_Not_Found((std::string("No ") + what + " under key " + key).c_str());
  return CORBA::string_dup(it->second.c_str());
}
}  // namespace

char* GUI_Able_i::Get_XML(const char* key) { return Lookup(mutex_, pages_, key, "page"); }
char* GUI_Able_i::Get_Script(const char* key) { return Lookup(mutex_, scripts_, key, "script"); }

String_Seq* GUI_Able_i::Get_XML_keys() {
  std::lock_guard<std::mutex> lock(mutex_);
  auto* keys = new String_Seq;
  keys->length(static_cast<CORBA::ULong>(pages_.size()));
  CORBA::ULong i = 0;
  for (const auto& e : pages_) (*keys)[i++] = CORBA::string_dup(e.first.c_str());
  return keys;
}

}  // namespace Velmarin
