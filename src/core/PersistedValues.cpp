#include "PersistedValues.h"

#include <stdexcept>
#include <string>

#include "Keys.h"

namespace radalt::persisted {

namespace {

#define PERSISTED(Key, Id, Name) Row{radalt::key::Key, Id, Name},
#define PROFILE_ROWS(FirstId, RowsPerChannel)
const std::vector<Row> kSettings{
#include "persisted_values.def"
};
#undef PERSISTED
#undef PROFILE_ROWS

#define PERSISTED(Key, Id, Name)
#define PROFILE_ROWS(FirstId, RowsPerChannel) constexpr unsigned kProfileFirst = FirstId, kProfileRows = RowsPerChannel;
#include "persisted_values.def"
#undef PERSISTED
#undef PROFILE_ROWS

}  // namespace

const std::vector<Row>& SettingsRows() { return kSettings; }

const Row& Of(std::string_view name) {
  for (const Row& row : kSettings)
    if (name == row.name) return row;
  throw std::logic_error("persisted value " + std::string(name) + " is not in the table of persisted values");
}

unsigned Id(std::string_view name) { return Of(name).id; }

unsigned ProfileFirstId(int channel) { return kProfileFirst + kProfileRows * static_cast<unsigned>(channel - 1); }
unsigned ProfileRowsPerChannel() { return kProfileRows; }

}  // namespace radalt::persisted
