// The attribute list a complete build of the master control publishes, as its self test
// expects it: the list of expected_attributes.txt with the differences of
// expected_attributes.allow, and channel 1's engine items ("CH1:...") for every channel
// that has an engine.
#pragma once

#include <functional>
#include <set>
#include <string>
#include <vector>

namespace radalt {

// The keys of the master control's own attributes, in the table's order.
const std::vector<std::string>& MasterControlKeys();

// The allow-list: names of the expected list this build does not register, and names it
// registers that the list does not hold.
struct ExpectedDifferences {
  std::set<std::string> absent, added;
};
// The words of the expected list, as the data file holds them.
std::vector<std::string> ExpectedListWords();
// The allow-list parsed; a line that is neither a comment, blank, "- NAME" nor "+ NAME" throws
// std::runtime_error naming it.
ExpectedDifferences ExpectedListDifferences();

// Names separated by one blank, sorted. hasEngine tells which channels have an engine.
std::string ExpectedAttributeList(const std::function<bool(int channel)>& hasEngine);

}  // namespace radalt
