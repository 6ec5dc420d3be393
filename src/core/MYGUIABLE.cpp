#include "MYGUIABLE.h"

#include <cstring>

MY_GUIABLE_i::MY_GUIABLE_i(const std::string& name, const std::string& instance)
    : Velmarin::GUI_Able_i(name, instance) {}

MY_GUIABLE_i::~MY_GUIABLE_i() = default;

void MY_GUIABLE_i::Add(const std::string& name, Velmarin::EngineReadingBase_ptr reading) {
  std::lock_guard<std::mutex> lock(mapMutex_);
  map_[name] = Velmarin::EngineReadingBase::_duplicate(reading);
}

void MY_GUIABLE_i::copy_to_local_map() {
  CORBA::String_var list = Velmarin::GUI_Able_i::Get_attr_list();
  std::string text = list.in();
  // Names are separated by blanks; the separators " ,.-" also split.
  std::string::size_type pos = 0;
  const char* separators = " ,.-";
  while (pos < text.size()) {
    std::string::size_type start = text.find_first_not_of(separators, pos);
    if (start == std::string::npos) break;
    std::string::size_type end = text.find_first_of(separators, start);
    if (end == std::string::npos) end = text.size();
    const std::string name = text.substr(start, end - start);
    Velmarin::EngineReadingBase_var ref = Velmarin::GUI_Able_i::Get_attr(name.c_str());
    if (!CORBA::is_nil(ref)) Add(name, ref);
    pos = end;
  }
}

void MY_GUIABLE_i::Unregister(const std::string& name, Velmarin::EngineReadingBase_i& attr) {
  const bool mine = Local(Registered(name)) == &attr;  // not a servant registered after it
  Velmarin::GUI_Able_i::Unregister(name, attr);
  if (!mine) return;
  std::lock_guard<std::mutex> lock(mapMutex_);
  map_.erase(Registered(name));
}

Velmarin::EngineReadingBase_ptr MY_GUIABLE_i::Get_attr(const char* name) {
  const std::string wanted = name ? name : "";
  std::lock_guard<std::mutex> lock(mapMutex_);
  auto it = map_.find(wanted);
  if (it == map_.end()) it = map_.find(Registered(wanted));  // the bare key: this instance's
  if (it == map_.end()) return Velmarin::EngineReadingBase::_nil();
  return Velmarin::EngineReadingBase::_duplicate(it->second.in());
}

char* MY_GUIABLE_i::Get_attr_list() {
  std::string list;
  {
    std::lock_guard<std::mutex> lock(mapMutex_);
    for (const auto& e : map_) list += e.first + " ";
  }
  return CORBA::string_dup(list.c_str());
}

void MY_GUIABLE_i::Add_attr(const char* name, Velmarin::EngineReadingBase_ptr attr) {
  if (name && *name) Add(name, attr);
}

std::size_t MY_GUIABLE_i::Size() const {
  std::lock_guard<std::mutex> lock(mapMutex_);
  return map_.size();
}
