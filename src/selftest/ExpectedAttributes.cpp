#include "ExpectedAttributes.h"

#include <sstream>
#include <stdexcept>

#include "ExpectedAttributesText.h"

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

std::vector<std::string> ExpectedListWords() {
  std::vector<std::string> words;
  std::istringstream in(kExpectedAttributeText);
  for (std::string w; in >> w;) words.push_back(w);
  return words;
}

ExpectedDifferences ExpectedListDifferences() {
  ExpectedDifferences d;
  std::istringstream in(kExpectedAttributeAllow);
  int number = 0;
  for (std::string line; std::getline(in, line);) {
    ++number;
    std::istringstream words(line);
    std::string mark, name, more;
    words >> mark;
    if (mark.empty() || mark[0] == '#') continue;
    words >> name;
    if ((mark != "-" && mark != "+") || name.empty() || (words >> more))
      throw std::runtime_error("expected_attributes.allow line " + std::to_string(number) + ": \"" + line +
                               "\" is not \"- NAME\" or \"+ NAME\"");
    (mark == "-" ? d.absent : d.added).insert(name);
  }
  return d;
}

std::string ExpectedAttributeList(const std::function<bool(int channel)>& hasEngine) {
  static const std::set<std::string> base = [] {
    const ExpectedDifferences d = ExpectedListDifferences();
    std::set<std::string> names;
    for (const auto& w : ExpectedListWords())
      if (!d.absent.count(w)) names.insert(w);
    names.insert(d.added.begin(), d.added.end());
    return names;
  }();
  const std::string channel1 = "CH1:";
  std::set<std::string> names;
  for (const auto& n : base) {
    if (n.compare(0, channel1.size(), channel1) != 0) {
      names.insert(n);
      continue;
    }
    for (int ch = 1; ch <= 3; ++ch)
      if (hasEngine(ch)) names.insert("CH" + std::to_string(ch) + ":" + n.substr(channel1.size()));
  }
  std::string list;
  for (const auto& n : names) list += n + " ";
  return list;
}

}  // namespace radalt
