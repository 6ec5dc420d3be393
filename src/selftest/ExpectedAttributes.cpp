#include "ExpectedAttributes.h"

#include <set>

namespace radalt {

const std::vector<std::string>& MasterControlKeys() {
  static const std::vector<std::string> keys = {
#define MC_ATTR(op, key) key,
#define MC_KEY(key) key,
#define MC_ENGINE_ITEM(op, ch, item, who)
#define MC_SWEEP_ITEM(op, ch, who)
#define MC_CAL_ITEM(op, item, who)
#define MC_ENGINE_RUN(op, ch, item, who, text)
#define MC_CHANNEL_POINTER(op)
#include "radaltmc_attributes.def"
#undef MC_ATTR
#undef MC_KEY
#undef MC_ENGINE_ITEM
#undef MC_SWEEP_ITEM
#undef MC_CAL_ITEM
#undef MC_ENGINE_RUN
#undef MC_CHANNEL_POINTER
  };
  return keys;
}

std::string ExpectedAttributeList(const std::function<bool(int channel)>& hasEngine) {
  std::set<std::string> names(MasterControlKeys().begin(), MasterControlKeys().end());
  static const char* const kEngineKeys[] = {
#define SC_ITEM(op, kind, key, mn, mx, st, init, unit, text) key,
#include "radaltsc_items.def"
#undef SC_ITEM
  };
  for (int ch = 1; ch <= 3; ++ch)
    if (hasEngine(ch))
      for (const char* key : kEngineKeys) names.insert("CH" + std::to_string(ch) + ":" + key);
  std::string list;
  for (const auto& n : names) list += n + " ";
  return list;
}

}  // namespace radalt
