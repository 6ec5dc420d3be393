// The table of persisted values (persisted_values.def) as the code reads it.
#pragma once

#include <string_view>
#include <vector>

namespace radalt::persisted {

struct Row {
  const char* key;   // the attribute whose value it keeps
  unsigned id;
  const char* name;
};

// Every settings-store line, in the table's order.
const std::vector<Row>& SettingsRows();

// The settings store's id of name; std::logic_error when name is not a line of the table
// (a parameter built with it is a start-up error, never a value stored under a stray id).
unsigned Id(std::string_view name);
// The line of name; std::logic_error as above.
const Row& Of(std::string_view name);

// The profile store's rows: channel n's first id, and how many it has.
unsigned ProfileFirstId(int channel);
unsigned ProfileRowsPerChannel();

}  // namespace radalt::persisted
