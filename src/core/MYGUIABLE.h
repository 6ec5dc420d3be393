// The engine's GUI servant: the attribute registry clients see.
#pragma once

#include <map>
#include <mutex>
#include <string>

#include "platform/GUI_Able_i.h"

class MY_GUIABLE_i : public Velmarin::GUI_Able_i {
 public:
  MY_GUIABLE_i(const std::string& name, const std::string& instance);
  ~MY_GUIABLE_i() override;

  // Inserts name, or replaces the reference registered under it.
  void Add(const std::string& name, Velmarin::EngineReadingBase_ptr reading);
  // Copies every attribute registered with the base registry into the own map.
  void copy_to_local_map();

  // An attribute that unregisters leaves the published list too.
  void Unregister(const std::string& name, Velmarin::EngineReadingBase_i& attr) override;

  Velmarin::EngineReadingBase_ptr Get_attr(const char* name) override;
  char* Get_attr_list() override;
  void Add_attr(const char* name, Velmarin::EngineReadingBase_ptr attr) override;

  std::size_t Size() const;

 private:
  mutable std::mutex mapMutex_;
  std::map<std::string, Velmarin::EngineReadingBase_var> map_;
};
