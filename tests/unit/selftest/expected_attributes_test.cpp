// The self test's expected list (a data file), its allow-list and the table of attributes
// must agree: a difference that is not written down, a stale allow-list entry or a key whose
// bare form is another key's registered name would each make the self test or a client's
// lookup go wrong.
#include <gtest/gtest.h>

#include <algorithm>
#include <regex>
#include <set>
#include <sstream>

#include "ExpectedAttributes.h"

namespace {

std::set<std::string> Words(const std::string& text) {
  std::set<std::string> out;
  std::istringstream in(text);
  for (std::string w; in >> w;) out.insert(w);
  return out;
}

std::vector<std::string> EngineItemKeys() {
  return {
#define SC_ITEM(op, kind, key, mn, mx, st, init, unit, text) key,
#include "radaltsc_items.def"
#undef SC_ITEM
  };
}

const auto kAll = [](int) { return true; };

}  // namespace

TEST(ExpectedList, TheAllowListNamesOnlyRealDifferences) {
  const std::vector<std::string> words = radalt::ExpectedListWords();
  const std::set<std::string> list(words.begin(), words.end());
  ASSERT_EQ(words.size(), list.size()) << "a name is listed twice";
  const radalt::ExpectedDifferences d = radalt::ExpectedListDifferences();
  for (const auto& n : d.absent) EXPECT_TRUE(list.count(n)) << n << " is marked absent but not in the list";
  for (const auto& n : d.added) EXPECT_FALSE(list.count(n)) << n << " is marked added but already in the list";
  for (const auto& n : d.added)
    EXPECT_TRUE(n.rfind("CH2:", 0) != 0 && n.rfind("CH3:", 0) != 0) << n << ": engine items are named for channel 1";
}

TEST(ExpectedList, TheMasterControlsOwnNamesAreExactlyTheTablesKeys) {
  std::set<std::string> own;
  for (const auto& n : Words(radalt::ExpectedAttributeList(kAll)))
    if (n.find(':') == std::string::npos) own.insert(n);
  std::set<std::string> table;
  for (const auto& key : radalt::MasterControlKeys()) table.insert(key + "1");
  EXPECT_EQ(table, own);
}

TEST(ExpectedList, EngineItemsAreExpectedForEveryChannelWithAnEngineAndNoOther) {
  const std::set<std::string> all = Words(radalt::ExpectedAttributeList(kAll));
  const std::set<std::string> two = Words(radalt::ExpectedAttributeList([](int ch) { return ch != 2; }));
  std::set<std::string> items[4];
  static const std::regex engineItem("CH([1-3]):(.+)");
  for (const auto& n : all) {
    std::smatch m;
    if (std::regex_match(n, m, engineItem)) items[std::stoi(m[1].str())].insert(m[2].str());
  }
  EXPECT_FALSE(items[1].empty());
  EXPECT_EQ(items[1], items[2]);
  EXPECT_EQ(items[1], items[3]);
  // Every item the simulated engine offers is expected.
  for (const auto& key : EngineItemKeys()) EXPECT_TRUE(items[1].count(key + "1")) << key;
  for (const auto& n : two) EXPECT_NE(0u, n.rfind("CH2:", 0)) << n;
  EXPECT_EQ(all.size() - items[2].size(), two.size());
}

TEST(ExpectedList, ABareKeyFindsOnlyItsOwnAttribute) {
  // A lookup by the bare key tries the name itself first: no key may equal another key's
  // registered name (key and instance digit).
  std::set<std::string> keys(radalt::MasterControlKeys().begin(), radalt::MasterControlKeys().end());
  EXPECT_EQ(keys.size(), radalt::MasterControlKeys().size()) << "a key is in the table twice";
  for (const auto& k : keys) EXPECT_FALSE(keys.count(k + "1")) << k;
  const std::vector<std::string> engine = EngineItemKeys();
  const std::set<std::string> items(engine.begin(), engine.end());
  EXPECT_EQ(items.size(), engine.size()) << "an engine item is listed twice";
  for (const auto& k : items) EXPECT_FALSE(items.count(k + "1")) << k;
}
