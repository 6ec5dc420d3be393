#include "ChannelDoubleSetting.h"

#include <utility>

#include <boost/bind/bind.hpp>

#include "Core.h"

namespace radalt {

ChannelDoubleSetting::Initial ChannelDoubleSetting::FromChannel1(radalt::Core* mc, ItemOp item) {
  OwnedRef<Velmarin::EngineAttribValueDouble_ptr> first = Item(mc->Items(), mc->GetSingleChannelPtr(1), item);
  return Initial{first->Get(), first->GetParams()};
}

ChannelDoubleSetting::ChannelDoubleSetting(int channel, ItemOp item, SettingNames names, std::string persistanceName,
                                           const char* key, STpersistance* store, Velmarin::ItemNamer& namer,
                                           MY_GUIABLE_i& gui, radalt::Core* mc)
    : ChannelDoubleSetting(channel, item, names, std::move(persistanceName), key, store, namer, gui, mc,
                           FromChannel1(mc, item)) {}

ChannelDoubleSetting::ChannelDoubleSetting(int channel, ItemOp item, SettingNames names, std::string persistanceName,
                                           const char* key, STpersistance* store, Velmarin::ItemNamer& namer,
                                           MY_GUIABLE_i& gui, radalt::Core* mc, const Initial& initial)
    : Parameter(mc, store, namer, gui, key, initial.value,
                boost::bind(&ChannelDoubleSetting::Callback, this, boost::placeholders::_1), initial.params),
      channel_(channel),
      item_(item),
      names_(names),
      persistanceName_(std::move(persistanceName)) {}

std::string ChannelDoubleSetting::ClassName() const {
  return names_.digitInNames ? names_.classStem + std::to_string(channel_) : names_.classStem;
}

std::string ChannelDoubleSetting::MethodName(const std::string& what) const {
  return std::string(names_.methodStem) + (names_.digitInNames ? std::to_string(channel_) : "") + what;
}

bool ChannelDoubleSetting::SetValue(const Record& value) {
  if (ValueDoubleSame(value, attr_.Value(), 0.001, 0.001)) return false;
  attr_ = value;
  return true;
}

ChannelDoubleSetting::Record ChannelDoubleSetting::WithValue(double v) const {
  Record r = attr_.Value();
  r.val = v;
  return r;
}

}  // namespace radalt
