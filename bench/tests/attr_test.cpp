// The bench's writer against real attribute servants: each value kind is written the way a
// client does, alternating between values the attribute accepts, and refusals keep their texts.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "Attr.h"
#include "platform/GUI_Able_i.h"
#include "platform/Orb.h"

using namespace Velmarin;
using radalt_bench::AttrWriter;
using radalt_bench::DescribeException;
using radalt_bench::ReadNumber;

namespace {

class AttrWriterTest : public ::testing::Test {
 protected:
  AttrWriterTest() : namer("Lumaren/local/BENCH/1"), gui("gui") { ProcessOrb(); }

  // The reference of a servant as a client holds it.
  template <class Servant>
  EngineReadingBase_var Ref(Servant& s) {
    CORBA::Object_var obj = s._this();
    return EngineReadingBase::_narrow(obj);
  }

  ItemNamer namer;
  GUI_Able_i gui;
  Locker client{"bench"};
};

VALUE_DOUBLE::VALUE Record(double v) {
  VALUE_DOUBLE::VALUE r;
  r.val = v;
  r.min = -130;
  r.max = -10;
  r.resolution = 1;
  r.unit = Units::DBM;
  r.valid = true;
  return r;
}

}  // namespace

TEST_F(AttrWriterTest, ValueRecordsAlternateNearTheValueAndKeepTheirOtherFields) {
  std::vector<VALUE_DOUBLE::VALUE> written;
  EngineAttribValueDouble_i* self = nullptr;
  EngineAttribValueDouble_i attr(namer, gui, "OUTPWRLVL", Record(-55), [&](const VALUE_DOUBLE::VALUE& v) {
    written.push_back(v);
    *self = v;
  }, EngineAttribValueDoubleParams{-130, -10, 0.1, Units::DBM, 1});
  self = &attr;

  AttrWriter writer(Ref(attr), client.Id());
  EXPECT_EQ(writer.Type(), "EngineAttribValueDouble");
  writer.WriteNext();
  writer.WriteNext();
  writer.WriteNext();
  ASSERT_EQ(written.size(), 3u);
  // Every write is a change, within the limits, back and forth.
  EXPECT_NEAR(written[0].val, -54.0, 1e-9);
  EXPECT_NEAR(written[1].val, -55.0, 1e-9);
  EXPECT_NEAR(written[2].val, -54.0, 1e-9);
  EXPECT_EQ(written[0].unit, Units::DBM);
  EXPECT_TRUE(written[0].valid);
  EXPECT_NEAR(writer.Read(), -54.0, 1e-9);

  writer.Write(-20);
  EXPECT_NEAR(written.back().val, -20, 1e-9);
}

TEST_F(AttrWriterTest, NumbersEnumerationsBooleansAndCommands) {
  std::vector<long> longs, enums;
  std::vector<bool> bools;
  int commands = 0;
  EngineAttribLong_i count(namer, gui, "COUNT", 3, [&](CORBA::Long v) { longs.push_back(v); },
                           EngineAttribLongParams{0, 3, 1});
  EngineAttribEnum_i mode(namer, gui, "MODE", 1, [&](CORBA::Long v) { enums.push_back(v); });
  mode.AddParam(0, "Automatic");
  mode.AddParam(1, "Manual");
  EngineAttribBoolean_i coupled(namer, gui, "COUPLED", false, [&](CORBA::Boolean v) { bools.push_back(v); });
  EngineAttribVoid_i update(namer, gui, "UPDATE", [&] { ++commands; });

  AttrWriter c(Ref(count), client.Id()), m(Ref(mode), client.Id()), b(Ref(coupled), client.Id()),
      u(Ref(update), client.Id());
  c.WriteNext();
  c.Write(2);
  m.WriteNext();
  b.WriteNext();
  b.Write(0);
  u.WriteNext();
  ASSERT_EQ(longs.size(), 2u);
  EXPECT_GE(longs[0], 0);
  EXPECT_LE(longs[0], 3);
  EXPECT_NE(longs[0], 3);
  EXPECT_EQ(longs[1], 2);
  EXPECT_EQ(enums, std::vector<long>{0});
  EXPECT_EQ(bools, (std::vector<bool>{true, false}));
  EXPECT_EQ(commands, 1);

  EXPECT_EQ(ReadNumber(Ref(count)), 3);
  EXPECT_EQ(ReadNumber(Ref(mode)), 1);
  EXPECT_EQ(ReadNumber(Ref(coupled)), 0);
  EXPECT_TRUE(std::isnan(ReadNumber(Ref(update))));
}

TEST_F(AttrWriterTest, ReadingsAreNotWritten) {
  EngineReadingLong_i reading(namer, gui, "TEMPERATURE", 35);
  EXPECT_THROW(AttrWriter(Ref(reading), client.Id()), std::runtime_error);
  EXPECT_EQ(ReadNumber(Ref(reading)), 35);
}

TEST_F(AttrWriterTest, RefusalsReachTheWriterWithTheirTexts) {
  EngineAttribLong_i count(namer, gui, "COUNT", 0, [](CORBA::Long v) {
    range_error_struct info;
    info.text = CORBA::string_dup("COUNT - value out of range");
    info.minimum.l(0);
    info.maximum.l(3);
    info.value.l(v);
    throw Operation_errors::DataOutOfRange(info);
  }, EngineAttribLongParams{0, 3, 1});
  AttrWriter writer(Ref(count), client.Id());
  try {
    writer.Write(3);
    FAIL() << "the refusal did not reach the writer";
  } catch (const CORBA::UserException& e) {
    EXPECT_EQ(DescribeException(e), "DataOutOfRange: COUNT - value out of range");
  }

  Locker other("operator");
  EngineAttribLong_i guarded(namer, gui, "GUARDED", 0, [](CORBA::Long) {}, EngineAttribLongParams{0, 3, 1});
  Lockable_i group("SIMRUN");
  guarded.GuardWith(group);
  group.Lock(other.Authority("Simulation running", "Locked because a simulation is running"));
  AttrWriter locked(Ref(guarded), client.Id());
  try {
    locked.Write(1);
    FAIL() << "a held group let the write pass";
  } catch (const CORBA::UserException& e) {
    EXPECT_EQ(DescribeException(e),
              "Locking_Error: operator, Simulation running, Locked because a simulation is running");
  }
}
