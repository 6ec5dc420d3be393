#include "ScItems.h"

#include <cmath>
#include <iostream>
#include <sstream>
#include <stdexcept>
#include <type_traits>

#include "RadAltSC.hh"

namespace radaltsim {

namespace {

const ItemSpec kItems[] = {
#define SC_ITEM(op, kind, key, mn, mx, st, init, unit, text) \
  {#op, #kind, key, mn, mx, st, init, unit, text},
#include "radaltsc_items.def"
#undef SC_ITEM
};

Velmarin::TypeUnion Number(double v, bool integral) {
  Velmarin::TypeUnion u;
  if (integral)
    u.l(static_cast<CORBA::Long>(v));
  else
    u.d(v);
  return u;
}

[[noreturn]] void Refuse(const ItemSpec& s, double value, bool integral) {
  Velmarin::range_error_struct info;
  std::ostringstream text;
  text << s.key << " - value out of range";
  info.text = CORBA::string_dup(text.str().c_str());
  info.minimum = Number(s.min, integral);
  info.maximum = Number(s.max, integral);
  info.value = Number(value, integral);
  std::cout << " radaltsc " << s.key << " refused " << value << " outside [" << s.min << ", "
            << s.max << "]" << std::endl;
  throw Velmarin::Operation_errors::DataOutOfRange(info);
}

bool Inside(const ItemSpec& s, double v) {
  return !std::isnan(v) && v >= s.min - 1e-9 && v <= s.max + 1e-9;
}

// "0=Automatic|1=Manual" -> pairs.
std::vector<Velmarin::EngineAttribEnumParamElem> EnumLabels(const std::string& text) {
  std::vector<Velmarin::EngineAttribEnumParamElem> out;
  std::stringstream in(text);
  std::string part;
  while (std::getline(in, part, '|')) {
    auto eq = part.find('=');
    if (eq == std::string::npos) continue;
    Velmarin::EngineAttribEnumParamElem e;
    e.value = std::stoi(part.substr(0, eq));
    e.label = CORBA::string_dup(part.substr(eq + 1).c_str());
    out.push_back(e);
  }
  return out;
}

VALUE_DOUBLE::VALUE DoubleRecord(const ItemSpec& s, double v) {
  VALUE_DOUBLE::VALUE r;
  r.val = v;
  r.min = s.min;
  r.max = s.max;
  r.resolution = s.step > 0 ? std::max(0, static_cast<int>(std::ceil(-std::log10(s.step) - 1e-9))) : 0;
  r.unit = UnitCode(s.unit);
  r.valid = true;
  return r;
}

VALUE_LONG::VALUE LongRecord(const ItemSpec& s, long v) {
  VALUE_LONG::VALUE r;
  r.val = v;
  r.min = static_cast<CORBA::Long>(s.min);
  r.max = static_cast<CORBA::Long>(s.max);
  r.step = static_cast<CORBA::Long>(s.step);
  r.unit = UnitCode(s.unit);
  r.valid = true;
  return r;
}

// A numeric value as each servant kind stores it, and back.
template <class Stored>
Stored FromNumber(const ItemSpec& s, double v);
template <>
bool FromNumber<bool>(const ItemSpec&, double v) { return v != 0; }
template <>
CORBA::Long FromNumber<CORBA::Long>(const ItemSpec&, double v) { return static_cast<CORBA::Long>(std::lround(v)); }
template <>
VALUE_DOUBLE::VALUE FromNumber<VALUE_DOUBLE::VALUE>(const ItemSpec& s, double v) { return DoubleRecord(s, v); }
template <>
VALUE_LONG::VALUE FromNumber<VALUE_LONG::VALUE>(const ItemSpec& s, double v) { return LongRecord(s, std::lround(v)); }

double ToNumber(bool v) { return v ? 1.0 : 0.0; }
double ToNumber(CORBA::Long v) { return v; }
double ToNumber(const VALUE_DOUBLE::VALUE& v) { return v.val; }
double ToNumber(const VALUE_LONG::VALUE& v) { return v.val; }

// What a client write must pass before it is decided: the item's limits, or for an
// enumeration its listed values; a boolean passes as it is.
void Check(Velmarin::EngineAttribBoolean_i&, const ItemSpec&, double) {}
void Check(Velmarin::EngineAttribEnum_i& e, const ItemSpec& s, double v) {
  if (!e.HasValue(static_cast<int>(v))) Refuse(s, v, true);
}
template <class S>
void Check(S&, const ItemSpec& s, double v) {
  if (!Inside(s, v)) Refuse(s, v, !std::is_same<typename S::Stored, VALUE_DOUBLE::VALUE>::value);
}

// The engine keeps each value in its own unit: a record that says it is in another unit is
// refused rather than taken as a number in the wrong unit (a record without unit passes).
template <class In>
void CheckUnit(const In&, const ItemSpec&) {}
template <class Rec>
void CheckRecordUnit(const Rec& r, const ItemSpec& s) {
  const long own = UnitCode(s.unit);
  if (r.unit == Velmarin::Units::NONE || r.unit == own) return;
  std::ostringstream text;
  text << s.key << " - unit " << r.unit << " not accepted, the engine keeps unit " << own;
  std::cout << " radaltsc " << text.str() << std::endl;
  throw Velmarin::Operation_errors::Data_Source_Not_Compatible(text.str().c_str());
}
void CheckUnit(const VALUE_DOUBLE::VALUE& r, const ItemSpec& s) { CheckRecordUnit(r, s); }
void CheckUnit(const VALUE_LONG::VALUE& r, const ItemSpec& s) { CheckRecordUnit(r, s); }

}  // namespace

const ItemSpec* ItemTable(std::size_t& count) {
  count = sizeof(kItems) / sizeof(kItems[0]);
  return kItems;
}

long UnitCode(const std::string& unit) {
  static const std::map<std::string, long> codes = {
      {"m", Velmarin::Units::METRES},  {"dBm", Velmarin::Units::DBM},
      {"ft", Velmarin::Units::FEET},   {"dB", Velmarin::Units::DB},
      {"MHz", Velmarin::Units::MHZ},   {"ns", Velmarin::Units::NS},
      {"Hz", Velmarin::Units::HZ},     {"s", Velmarin::Units::SECONDS},
      {"ft/s", Velmarin::Units::FEET_PER_SECOND}};
  auto it = codes.find(unit);
  return it == codes.end() ? Velmarin::Units::NONE : it->second;
}

struct ItemStore::Item {
  const ItemSpec* row = nullptr;
  std::unique_ptr<Velmarin::EngineReadingBase_i> servant;
  std::function<void()> reset;
  // numeric items
  std::function<void(double)> assign;
  std::function<double()> number;
  NumberWrite write;
  // any-valued items
  std::function<void(const CORBA::Any&)> assignAny;
  AnyWrite writeAny;
  // string items
  TextWrite writeText;
  // commands
  Command command;
};

ItemStore::ItemStore(Velmarin::ItemNamer& namer, Velmarin::GUI_Able_i& gui, Velmarin::GUI_Able_i* controls)
    : namer_(namer), gui_(gui), controls_(controls ? *controls : gui) {
  std::size_t n = 0;
  const ItemSpec* table = ItemTable(n);
  for (std::size_t i = 0; i < n; ++i) Build(table[i], gui_);
}

ItemStore::~ItemStore() = default;

void ItemStore::Extend(const ItemSpec* rows, std::size_t count) {
  for (std::size_t i = 0; i < count; ++i) Build(rows[i], controls_);
}

std::vector<std::string> ItemStore::Keys() const {
  std::vector<std::string> keys;
  for (const auto& e : items_) keys.push_back(e.first);
  return keys;
}

void ItemStore::Accepted(const std::string& key) {
  ++calls_;
  {
    std::lock_guard<std::mutex> lock(countsMutex_);
    ++counts_[key];
  }
  if (hook_) hook_(key);
}

template <class S>
void ItemStore::Numeric(Item& it, S* servant) {
  using Stored = typename S::Stored;
  const ItemSpec* row = it.row;
  it.servant.reset(servant);
  it.assign = [servant, row](double v) { *servant = FromNumber<Stored>(*row, v); };
  it.number = [servant] { return ToNumber(servant->Value()); };
  it.reset = [&it, row] { it.assign(row->initial); };
}

template <class S, class... Extra>
void ItemStore::Setting(Item& it, Velmarin::GUI_Able_i& gui, const Extra&... extra) {
  const ItemSpec& s = *it.row;
  auto* servant = new S(namer_, gui, s.key, FromNumber<typename S::Stored>(s, s.initial),
                        [this, &it](typename S::In v) {
                          const double x = ToNumber(v);
                          CheckUnit(v, *it.row);
                          Check(static_cast<S&>(*it.servant), *it.row, x);
                          if (it.write)
                            it.write(x);
                          else
                            it.assign(x);
                          Accepted(it.row->key);
                        },
                        extra...);
  Numeric(it, servant);
}

template <class S>
void ItemStore::Reading(Item& it, Velmarin::GUI_Able_i& gui) {
  const ItemSpec& s = *it.row;
  Numeric(it, new S(namer_, gui, s.key, FromNumber<typename S::Stored>(s, s.initial)));
}

void ItemStore::Build(const ItemSpec& s, Velmarin::GUI_Able_i& gui) {
  using namespace Velmarin;
  auto owned = std::make_unique<Item>();
  Item& it = *owned;
  it.row = &s;
  const std::string kind = s.kind;
  const auto min = static_cast<CORBA::Long>(s.min), max = static_cast<CORBA::Long>(s.max),
             step = static_cast<CORBA::Long>(s.step), unit = static_cast<CORBA::Long>(UnitCode(s.unit));

  if (kind == "AttribBoolean") {
    Setting<EngineAttribBoolean_i>(it, gui);
  } else if (kind == "AttribLong") {
    Setting<EngineAttribLong_i>(it, gui, EngineAttribLongParams{min, max, step});
  } else if (kind == "AttribEnum") {
    Setting<EngineAttribEnum_i>(it, gui, EnumLabels(s.text));
  } else if (kind == "AttribValueLong") {
    Setting<EngineAttribValueLong_i>(it, gui, EngineAttribValueLongParams{min, max, step, unit});
  } else if (kind == "AttribValueDouble") {
    Setting<EngineAttribValueDouble_i>(it, gui, EngineAttribValueDoubleParams{s.min, s.max, s.step, unit, DoubleRecord(s, 0).resolution});
  } else if (kind == "ReadingBoolean") {
    Reading<EngineReadingBoolean_i>(it, gui);
  } else if (kind == "ReadingLong") {
    Reading<EngineReadingLong_i>(it, gui);
  } else if (kind == "ReadingValueDouble") {
    Reading<EngineReadingValueDouble_i>(it, gui);
  } else if (kind == "AttribString") {
    EngineAttribStringParams p;
    p.max_length = 64;
    p.pattern = CORBA::string_dup("");
    auto* sv = new EngineAttribString_i(namer_, gui, s.key, s.text, [this, &it](const char* v) {
      if (it.writeText)
        it.writeText(v ? v : "");
      else
        *static_cast<EngineAttribString_i*>(it.servant.get()) = v;
      Accepted(it.row->key);
    }, p);
    it.reset = [sv, &s] { *sv = s.text; };
    it.servant.reset(sv);
  } else if (kind == "AttribAny") {
    auto* sv = new EngineAttribAny_i(namer_, gui, s.key, CORBA::Any(), [this, &it](const CORBA::Any& v) {
      if (it.writeAny)
        it.writeAny(v);
      else
        it.assignAny(v);
      Accepted(it.row->key);
    }, CORBA::Any());
    it.assignAny = [sv](const CORBA::Any& v) { *sv = v; };
    it.reset = [sv] { *sv = CORBA::Any(); };
    it.servant.reset(sv);
  } else if (kind == "AttribVoid") {
    it.servant.reset(new EngineAttribVoid_i(namer_, gui, s.key, [this, &it] {
      if (it.command) it.command();
      Accepted(it.row->key);
    }));
    it.reset = [] {};
  } else {
    throw std::logic_error(std::string("unknown item kind ") + s.kind);
  }
  items_[s.key] = std::move(owned);
}

ItemStore::Item& ItemStore::Find(const std::string& key) const {
  auto it = items_.find(key);
  if (it == items_.end()) throw Velmarin::Operation_errors::Object_Not_Found(key.c_str());
  return *it->second;
}

Velmarin::EngineReadingBase_i& ItemStore::Servant(const std::string& key) const { return *Find(key).servant; }

const ItemSpec& ItemStore::Row(const std::string& key) const { return *Find(key).row; }

namespace {
template <class F>
const F& Need(const F& f, const std::string& key, const char* what) {
  if (!f) throw std::logic_error(key + " is not " + what);
  return f;
}
}  // namespace

double ItemStore::Number(const std::string& key) const { return Need(Find(key).number, key, "numeric")(); }

void ItemStore::Assign(const std::string& key, double v) { Need(Find(key).assign, key, "numeric")(v); }

bool ItemStore::Update(const std::string& key, double v) {
  Item& it = Find(key);
  if (Need(it.number, key, "numeric")() == v) return false;
  it.assign(v);
  return true;
}

void ItemStore::AssignAny(const std::string& key, const CORBA::Any& v) {
  Need(Find(key).assignAny, key, "any-valued")(v);
}

CORBA::Any ItemStore::AnyValue(const std::string& key) const {
  Item& it = Find(key);
  Need(it.assignAny, key, "any-valued");
  return static_cast<Velmarin::EngineAttribAny_i&>(*it.servant).Value();
}

namespace {
Velmarin::EngineAttribString_i& StringServant(Velmarin::EngineReadingBase_i& servant, const std::string& key) {
  auto* s = dynamic_cast<Velmarin::EngineAttribString_i*>(&servant);
  if (!s) throw std::logic_error(key + " is not a string");
  return *s;
}
}  // namespace

std::string ItemStore::Text(const std::string& key) const { return StringServant(*Find(key).servant, key).Value(); }

void ItemStore::AssignText(const std::string& key, const std::string& v) {
  StringServant(*Find(key).servant, key) = v.c_str();
}

void ItemStore::Apply(const std::string& key, double v) {
  Item& it = Find(key);
  Need(it.assign, key, "numeric");
  if (it.write)
    it.write(v);
  else
    it.assign(v);
}

void ItemStore::ApplyAny(const std::string& key, const CORBA::Any& v) {
  Item& it = Find(key);
  Need(it.assignAny, key, "any-valued");
  if (it.writeAny)
    it.writeAny(v);
  else
    it.assignAny(v);
}

void ItemStore::OnWriteText(const std::string& key, TextWrite handler) {
  Item& it = Find(key);
  StringServant(*it.servant, key);
  it.writeText = std::move(handler);
}

void ItemStore::OnWrite(const std::string& key, NumberWrite handler) {
  Item& it = Find(key);
  Need(it.assign, key, "numeric");
  it.write = std::move(handler);
}

void ItemStore::OnWriteAny(const std::string& key, AnyWrite handler) {
  Item& it = Find(key);
  Need(it.assignAny, key, "any-valued");
  it.writeAny = std::move(handler);
}

void ItemStore::OnCommand(const std::string& key, Command handler) {
  Item& it = Find(key);
  if (std::string(it.row->kind) != "AttribVoid") throw std::logic_error(key + " is not a command");
  it.command = std::move(handler);
}

unsigned long ItemStore::Count(const std::string& key) const {
  std::lock_guard<std::mutex> lock(countsMutex_);
  auto it = counts_.find(key);
  return it == counts_.end() ? 0 : it->second;
}

void ItemStore::KeepOnReset(const std::string& key) {
  Find(key).reset = [] {};
}

void ItemStore::ResetAll() {
  for (auto& e : items_) e.second->reset();
}

}  // namespace radaltsim
