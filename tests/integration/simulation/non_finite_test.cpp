// A number that is not finite, written to any double attribute or inside a profile, is refused
// before any engine sees it.
#include <limits>
#include <sstream>

#include "PAUSE_RESUME_TEST.h"
#include "SimBench.h"

using namespace simbench;
using Operation_errors::DataOutOfRange;

namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
const double kNaN = std::numeric_limits<double>::quiet_NaN();

std::vector<std::string> Keys(Bench& b) {
  CORBA::String_var list = b.mc.Gui().Get_attr_list();
  std::istringstream in(list.in());
  std::vector<std::string> keys;
  for (std::string k; in >> k;) keys.push_back(k);
  return keys;
}

unsigned long AllCalls(Bench& b) { return b.Engine(1).Calls() + b.Engine(2).Calls(); }

}  // namespace

TEST(NonFiniteValues, AreRefusedByEveryDoubleAttributeBeforeAnEngineSeesThem) {
  Bench b({1, 2});
  b.SetEnabled(2);
  b.SetCoupled(true);
  b.sim().pauseResumeTest->PauseResumeTestCallback(true);  // frees the current altitudes
  int checked = 0;
  for (const std::string& key : Keys(b)) {
    auto* attr = dynamic_cast<EngineAttribValueDouble_i*>(b.mc.Gui().Local(key));
    if (!attr) continue;
    EngineAttribValueDouble_var ref = attr->_this();
    CORBA::String_var name = ref->Name();  // the key the refusal names
    const VALUE_DOUBLE::VALUE before = ref->Get();
    CORBA::String_var holder, reason, message;
    if (attr->Blocked(b.client.Id(), holder.out(), reason.out(), message.out()))
      continue;  // held by an activity: refused for that reason first
    for (auto bad : {kNaN, kInf, -kInf}) {
      const unsigned long calls = AllCalls(b);
      DataOutOfRange e = Catch<DataOutOfRange>([&] { ref->Set(b.client.Id(), WithVal(before, bad)); });
      EXPECT_EQ("Attribute : " + std::string(name.in()) + " - value is not a finite number", std::string(e.info.text.in()));
      EXPECT_EQ(calls, AllCalls(b)) << key;
    }
    VALUE_DOUBLE::VALUE badLimit = before;
    badLimit.max = kInf;
    EXPECT_THROW(ref->Set(b.client.Id(), badLimit), DataOutOfRange) << key;
    EXPECT_EQ(before.val, ref->Get().val) << key;
    ++checked;
  }
  EXPECT_GE(checked, 15);  // the altitudes, rates, levels and losses of three channels at least
}

TEST(NonFiniteValues, InAProfileLegAreRefusedWithTheLegNamed) {
  Bench b({1});
  CORBA::Object_var obj = b.mc.Gui().Local("CH1LEGDATA")->_this();
  EngineAttribAny_var legs = EngineAttribAny::_narrow(obj);
  const unsigned long calls = b.Engine(1).Calls();
  DataOutOfRange e;
  Output([&] {
    e = Catch<DataOutOfRange>([&] { legs->Set(b.client.Id(), Profile({{1000, 500, 100}, {500, kNaN, 10}})); });
  });
  EXPECT_EQ("Attribute : AltSimDataChan1Callback - leg 2 holds a value that is not a finite number",
            std::string(e.info.text.in()));
  EXPECT_EQ(calls, b.Engine(1).Calls());
  EXPECT_EQ(0u, b.EngineLegCount(1));
}
