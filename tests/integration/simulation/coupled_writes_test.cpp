// Writes that go to several channels' engines when one of those engines refuses or is gone:
// the channels written before keep the value, the attributes show what the engines hold, and
// the writer's error says which channels took the value and which did not. (The coupled
// output power: rflevel's tests.)
#include <functional>
#include "SimBench.h"

using namespace simbench;
using Operation_errors::DataOutOfRange;
using Operation_errors::Locking_Error;

namespace {

bool Has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

}  // namespace

TEST(CoupledWrites, ARefusingEngineLeavesTheEarlierChannelsWrittenAndShown) {
  Bench b({1, 2, 3});
  b.SetEnabled(3);
  b.SetCoupled(true);

  // Channel 2's engine is held by someone else: the lock refusal keeps its type and texts.
  EngineAttribValueDouble_var stop2 = b.EngineItem<EngineAttribValueDouble>(2, "CURSTOPALT");
  stop2->Lock(b.other.Authority("Service", "Locked because of service"));
  EngineAttribValueDouble_var stop1 = b.Attr<EngineAttribValueDouble>("CH1CURSTOPALT");
  Locking_Error locked;
  const std::string out = Output([&] {
    locked = Catch<Locking_Error>([&] { stop1->Set(b.client.Id(), WithVal(stop1->Get(), 55.0)); });
  });
  EXPECT_STREQ("Service", locked.reason.in());
  EXPECT_EQ("Locked because of service (taken by channel 1; not taken by channels 2, 3)",
            std::string(locked.message.in()));
  EXPECT_TRUE(Has(out, " CURRENT_STOP_ALTITUDE_CHAN1::CurrentStopAltitudeChan1Callback throw Locking_Error_Exception"));
  EXPECT_DOUBLE_EQ(55.0, b.EngineValue(1, "CURSTOPALT"));
  EXPECT_DOUBLE_EQ(55.0, stop1->Get().val);
  EXPECT_DOUBLE_EQ(0.0, b.Shown("CH2CURSTOPALT"));
  EXPECT_DOUBLE_EQ(0.0, b.EngineValue(3, "CURSTOPALT"));

  // Channel 3's engine is held too: two channels took the value.
  b.EngineItem<EngineAttribValueDouble>(3, "CURSTARTALT")->Lock(b.other.Authority("Service", "Locked because of service"));
  EngineAttribValueDouble_var start1 = b.Attr<EngineAttribValueDouble>("CH1CURSTARTALT");
  Output([&] { locked = Catch<Locking_Error>([&] { start1->Set(b.client.Id(), WithVal(start1->Get(), 500.0)); }); });
  EXPECT_TRUE(Has(locked.message.in(), "(taken by channels 1, 2; not taken by channel 3)")) << locked.message.in();
  EXPECT_DOUBLE_EQ(500.0, start1->Get().val);
  EXPECT_DOUBLE_EQ(500.0, b.Shown("CH2CURSTARTALT"));
  EXPECT_DOUBLE_EQ(0.0, b.Shown("CH3CURSTARTALT"));

  // Every engine refuses a value outside its limits: the range refusal keeps its type.
  DataOutOfRange range;
  Output([&] { range = Catch<DataOutOfRange>([&] { start1->Set(b.client.Id(), WithVal(start1->Get(), 20000.0)); }); });
  EXPECT_TRUE(Has(range.info.text.in(), "(taken by no channel; not taken by channels 1, 2, 3)")) << range.info.text.in();
  EXPECT_DOUBLE_EQ(500.0, start1->Get().val);

  // A write to one channel only says nothing of other channels.
  b.SetCoupled(false);
  Output([&] { range = Catch<DataOutOfRange>([&] {
    b.Attr<EngineAttribValueDouble>("CH2CURSTARTALT")->Set(b.client.Id(), WithVal(start1->Get(), 20000.0));
  }); });
  EXPECT_FALSE(Has(range.info.text.in(), "taken by")) << range.info.text.in();
}

// Each case on a test set of its own: once a call found channel 2's engine gone, the
// registry takes the engine out and later writes go to channel 1 alone.
TEST(CoupledWrites, AnEngineThatIsGoneIsNamedInAConnectionError) {
  auto goneAfterChannel1 = [](const std::function<void(Bench&)>& write, const std::function<void(Bench&)>& check) {
    Bench b({1, 2});
    b.SetEnabled(2);
    b.SetCoupled(true);
    b.engines.Silence(2);
    Connection_errors::Communications_failure gone;
    const std::string out = Output([&] { gone = Catch<Connection_errors::Communications_failure>([&] { write(b); }); });
    EXPECT_TRUE(Has(gone.text.in(), "Channel 2 engine not reached")) << gone.text.in();
    EXPECT_TRUE(Has(gone.text.in(), "(taken by channel 1; not taken by channel 2)")) << gone.text.in();
    check(b);
    return out;
  };

  const std::string out = goneAfterChannel1(
      [](Bench& b) {
        EngineAttribValueLong_var duration1 = b.Attr<EngineAttribValueLong>("CH1CURALTDUR");
        duration1->Set(b.client.Id(), WithVal(duration1->Get(), CORBA::Long(9)));
      },
      [](Bench& b) { EXPECT_EQ(9, b.Attr<EngineAttribValueLong>("CH1CURALTDUR")->Get().val); });
  EXPECT_TRUE(Has(out, " CURRENT_ALTITUDE_DURATION_CHAN1::CurrentAltitudeDurationChan1Callback throw Communications_failure:"));

  // The profile and its name follow the same rule.
  goneAfterChannel1(
      [](Bench& b) { b.Attr<EngineAttribAny>("CH1LEGDATA")->Set(b.client.Id(), Profile({{1000, 500, 100}})); },
      [](Bench& b) {
        EXPECT_EQ(1u, b.EngineLegCount(1));
        CORBA::Any_var shown = b.Attr<EngineAttribAny>("CH1LEGDATA")->Get();
        EXPECT_EQ(1u, LegCount(shown.in()));
      });
  goneAfterChannel1([](Bench& b) { b.Attr<EngineAttribString>("CH1PROFILENAME")->Set(b.client.Id(), "Descent"); },
                    [](Bench& b) {
                      EXPECT_STREQ("Descent",
                                   CORBA::String_var(b.Attr<EngineAttribString>("CH1PROFILENAME")->Get()).in());
                    });
}
