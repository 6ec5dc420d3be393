// Every per-channel attribute of the master control, for every channel: a write to channel N
// while fewer than N channels are enabled is refused ("... not enabled") and reaches no
// engine; with N enabled and nothing coupled it reaches channel N's engine and no other.
// The roles come from the table of attributes, so a new per-channel attribute is covered
// the day it is registered. A number that is not finite, written to any double attribute, is
// refused before any engine sees it.
#include <array>
#include <limits>
#include <map>
#include <regex>
#include <set>

#include "ExpectedAttributes.h"
#include "PAUSE_RESUME_TEST.h"
#include "RampParameter.h"
#include "SimBench.h"

using namespace simbench;
using Operation_errors::DataOutOfRange;

namespace {

// Role stem ("CURSTARTALT", "OUTPWRLVL") -> the keys of channels 1 to 3.
std::map<std::string, std::set<int>> PerChannelRoles() {
  static const std::regex perChannel("CH([1-3])(.+)");
  std::map<std::string, std::set<int>> roles;
  for (const std::string& key : radalt::MasterControlKeys()) {
    std::smatch m;
    if (std::regex_match(key, m, perChannel)) roles[m[2].str()].insert(std::stoi(m[1].str()));
  }
  return roles;
}

std::string KeyOf(const std::string& role, int channel) { return "CH" + std::to_string(channel) + role; }

// A client write of a value other than the current one, whatever kind the attribute is.
// False when the attribute takes no writes (a reading).
bool WriteSomething(Bench& b, Velmarin::EngineReadingBase_i& attr) {
  const Velmarin::Locker_ID who = b.client.Id();
  if (auto* a = dynamic_cast<EngineAttribValueDouble_i*>(&attr)) {
    const EngineAttribValueDoubleParams p = a->ParamsCopy();
    VALUE_DOUBLE::VALUE v = a->Value();
    const double next = p.max > p.min ? p.min + (p.max - p.min) * 0.375 : v.val + 1.0;
    EngineAttribValueDouble_var(a->_this())->Set(who, WithVal(v, next == v.val ? next + p.step : next));
  } else if (auto* a = dynamic_cast<EngineAttribValueLong_i*>(&attr)) {
    const EngineAttribValueLongParams p = a->ParamsCopy();
    VALUE_LONG::VALUE v = a->Value();
    const CORBA::Long next = p.max > p.min ? p.min + (p.max - p.min) / 3 : v.val + 1;
    EngineAttribValueLong_var(a->_this())->Set(who, WithVal(v, next == v.val ? next + 1 : next));
  } else if (auto* a = dynamic_cast<EngineAttribEnum_i*>(&attr)) {
    EngineAttribEnumParams_var p = EngineAttribEnum_var(a->_this())->GetParams();
    CORBA::Long next = a->Value() + 1;
    for (CORBA::ULong i = 0; i < p->length(); ++i)
      if (p[i].value != a->Value()) next = p[i].value;
    EngineAttribEnum_var(a->_this())->Set(who, next);
  } else if (auto* a = dynamic_cast<EngineAttribLong_i*>(&attr)) {
    const EngineAttribLongParams p = a->ParamsCopy();
    EngineAttribLong_var(a->_this())->Set(who, a->Value() == p.max ? p.min : p.max);
  } else if (auto* a = dynamic_cast<EngineAttribBoolean_i*>(&attr)) {
    EngineAttribBoolean_var(a->_this())->Set(who, !a->Value());
  } else if (auto* a = dynamic_cast<EngineAttribString_i*>(&attr)) {
    EngineAttribString_var(a->_this())->Set(who, a->Value() == "Roles" ? "Roles2" : "Roles");
  } else if (auto* a = dynamic_cast<EngineAttribAny_i*>(&attr)) {
    EngineAttribAny_var(a->_this())->Set(who, Profile({{1000, 500, 100}}));
  } else if (auto* a = dynamic_cast<EngineAttribVoid_i*>(&attr)) {
    EngineAttribVoid_var(a->_this())->Execute(who);
  } else {
    return false;
  }
  return true;
}

// What each engine was asked to do: its items' accepted writes and commands, and its own
// operations (the automatic commands).
std::array<unsigned long, 3> Calls(Bench& b) {
  std::array<unsigned long, 3> calls{};
  for (int ch = 1; ch <= 3; ++ch)
    calls[static_cast<std::size_t>(ch - 1)] = b.Engine(ch).Calls() + b.engines[ch].AcceptedCount();
  return calls;
}

constexpr double kInf = std::numeric_limits<double>::infinity();
const double kNaN = std::numeric_limits<double>::quiet_NaN();

}  // namespace

TEST(ChannelRoles, TheTableNamesEveryRoleOfTheSubsystemsForAllThreeChannels) {
  const auto roles = PerChannelRoles();
  for (const auto& [role, channels] : roles) EXPECT_EQ((std::set<int>{1, 2, 3}), channels) << role;
  // The subsystems' own role tables are all in it.
  for (auto r : {radalt::RampRole::CurrentAltitude, radalt::RampRole::StartAltitude, radalt::RampRole::StopAltitude,
                 radalt::RampRole::Rate, radalt::RampRole::Duration})
    EXPECT_EQ(1u, roles.count(radalt::RoleInfo(r).keyStem)) << radalt::RoleInfo(r).keyStem;
  for (const char* role : {"LEGDATA", "PROFILENAME", "OUTPWRLVL", "LOOPLOSS"}) EXPECT_EQ(1u, roles.count(role)) << role;
}

TEST(ChannelRoles, AWriteReachesItsOwnChannelOnlyAndOnlyWhenItIsEnabled) {
  Bench b({1, 2, 3});
  b.SetEnabled(3);
  // Settings that send to every channel or to none are set aside: manual RF level, paused
  // (the current altitudes take writes), nothing coupled.
  CORBA::Object_var mode = b.mc.Gui().Local("RFLVLMODE")->_this();
  b.sim().pauseResumeTest->PauseResumeTestCallback(true);

  int checked = 0;
  for (const auto& [role, channels] : PerChannelRoles()) {
    for (int ch : channels) {
      const std::string key = KeyOf(role, ch);
      Velmarin::EngineReadingBase_i* attr = b.mc.Gui().Local(key);
      if (!attr) {
        ADD_FAILURE() << key << " is in the table of attributes but not registered";
        continue;
      }
      SCOPED_TRACE(key);
      b.SetEnabled(3);
      EngineAttribEnum::_narrow(mode)->Set(b.client.Id(), 1);  // a factory default resets it

      // Fewer than ch channels enabled: refused, nothing sent.
      b.SetEnabled(ch - 1);
      auto before = Calls(b);
      std::string text = "not refused";
      bool writable = true;
      const std::string out = Output([&] {
        try {
          writable = WriteSomething(b, *attr);
        } catch (const Operation_errors::Settings_Conflict& e) {
          text = e.text.in();
        }
      });
      if (!writable) continue;  // a reading: nothing to write
      EXPECT_TRUE(text.find("not enabled") != std::string::npos || text == "No enabled channels") << text;
      EXPECT_NE(std::string::npos, out.find(" throw Settings_Conflict:")) << out;
      EXPECT_EQ(before, Calls(b));

      // Channel ch enabled: its engine and no other (a factory default also resets the shared
      // settings of every enabled channel; a recall by name needs a name stored on the channel).
      b.SetEnabled(ch);
      const bool shared = role == "FACTORYDEFAULT";
      if (role.rfind("RCIRECALL", 0) == 0) {
        CORBA::Object_var store = b.mc.Gui().Local(KeyOf("RCISTORE" + role.substr(9), ch))->_this();
        Output([&] { EngineAttribString::_narrow(store)->Set(b.client.Id(), "Roles"); });
      }
      before = Calls(b);
      Output([&] { EXPECT_NO_THROW(WriteSomething(b, *attr)); });
      const auto after = Calls(b);
      for (int other = 1; other <= 3; ++other) {
        const auto i = static_cast<std::size_t>(other - 1);
        if (other == ch) {
          EXPECT_GT(after[i], before[i]) << "channel " << other;
        } else if (!shared) {
          EXPECT_EQ(after[i], before[i]) << "channel " << other;
        }
      }
      ++checked;
    }
  }
  EXPECT_GE(checked, 3 * 12);
}

TEST(NonFiniteValues, AreRefusedByEveryDoubleAttributeBeforeAnEngineSeesThem) {
  Bench b({1, 2, 3});
  b.SetEnabled(3);
  b.SetCoupled(true);
  b.sim().pauseResumeTest->PauseResumeTestCallback(true);  // frees the current altitudes
  int checked = 0;
  for (const std::string& key : radalt::MasterControlKeys()) {
    auto* attr = dynamic_cast<EngineAttribValueDouble_i*>(b.mc.Gui().Local(key));
    if (!attr) continue;
    EngineAttribValueDouble_var ref = attr->_this();
    CORBA::String_var name = ref->Name();  // the key the refusal names
    const VALUE_DOUBLE::VALUE before = ref->Get();
    CORBA::String_var holder, reason, message;
    if (attr->Blocked(b.client.Id(), holder.out(), reason.out(), message.out()))
      continue;  // held by an activity: refused for that reason first
    for (double bad : {kNaN, kInf, -kInf}) {
      const std::array<unsigned long, 3> calls = Calls(b);
      DataOutOfRange e = Catch<DataOutOfRange>([&] { ref->Set(b.client.Id(), WithVal(before, bad)); });
      EXPECT_EQ("Attribute : " + std::string(name.in()) + " - value is not a finite number", std::string(e.info.text.in()));
      EXPECT_EQ(calls, Calls(b)) << key;
    }
    VALUE_DOUBLE::VALUE badLimit = before;
    badLimit.max = kInf;
    EXPECT_THROW(ref->Set(b.client.Id(), badLimit), DataOutOfRange) << key;
    EXPECT_EQ(before.val, ref->Get().val) << key;
    ++checked;
  }
  EXPECT_GE(checked, 15);  // the altitudes, rates, levels and losses of three channels at least
}
