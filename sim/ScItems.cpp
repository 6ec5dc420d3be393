#include "ScItems.h"

#include <cmath>
#include <iostream>
#include <sstream>
#include <stdexcept>

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
};

ItemStore::ItemStore(Velmarin::ItemNamer& namer, Velmarin::GUI_Able_i& gui)
    : namer_(namer), gui_(gui) {
  std::size_t n = 0;
  const ItemSpec* table = ItemTable(n);
  for (std::size_t i = 0; i < n; ++i) Build(table[i]);
}

ItemStore::~ItemStore() = default;

void ItemStore::Accepted(const std::string& key) {
  ++calls_;
  if (hook_) hook_(key);
}

void ItemStore::Build(const ItemSpec& s) {
  using namespace Velmarin;
  auto item = std::make_unique<Item>();
  item->row = &s;
  Item* it = item.get();
  const std::string kind = s.kind;
  const std::string key = s.key;

  if (kind == "AttribBoolean") {
    auto* sv = new EngineAttribBoolean_i(namer_, gui_, s.key, s.initial != 0, [this, it, key](CORBA::Boolean v) {
      *static_cast<EngineAttribBoolean_i*>(it->servant.get()) = v;
      Accepted(key);
    });
    it->reset = [sv, &s] { *sv = (s.initial != 0); };
    item->servant.reset(sv);
  } else if (kind == "AttribLong") {
    EngineAttribLongParams p{static_cast<CORBA::Long>(s.min), static_cast<CORBA::Long>(s.max),
                             static_cast<CORBA::Long>(s.step)};
    auto* sv = new EngineAttribLong_i(namer_, gui_, s.key, static_cast<int>(s.initial),
                                      [this, it, key](CORBA::Long v) {
                                        if (!Inside(*it->row, v)) Refuse(*it->row, v, true);
                                        *static_cast<EngineAttribLong_i*>(it->servant.get()) = v;
                                        Accepted(key);
                                      }, p);
    it->reset = [sv, &s] { *sv = static_cast<CORBA::Long>(s.initial); };
    item->servant.reset(sv);
  } else if (kind == "AttribEnum") {
    auto* sv = new EngineAttribEnum_i(namer_, gui_, s.key, static_cast<int>(s.initial),
                                      [this, it, key](CORBA::Long v) {
                                        auto* e = static_cast<EngineAttribEnum_i*>(it->servant.get());
                                        if (!e->HasValue(v)) Refuse(*it->row, v, true);
                                        *e = v;
                                        Accepted(key);
                                      }, EnumLabels(s.text));
    it->reset = [sv, &s] { *sv = static_cast<CORBA::Long>(s.initial); };
    item->servant.reset(sv);
  } else if (kind == "AttribString") {
    EngineAttribStringParams p;
    p.max_length = 64;
    p.pattern = CORBA::string_dup("");
    auto* sv = new EngineAttribString_i(namer_, gui_, s.key, s.text, [this, it, key](const char* v) {
      *static_cast<EngineAttribString_i*>(it->servant.get()) = v;
      Accepted(key);
    }, p);
    it->reset = [sv, &s] { *sv = s.text; };
    item->servant.reset(sv);
  } else if (kind == "AttribValueLong") {
    EngineAttribValueLongParams p{static_cast<CORBA::Long>(s.min), static_cast<CORBA::Long>(s.max),
                                  static_cast<CORBA::Long>(s.step), UnitCode(s.unit)};
    auto* sv = new EngineAttribValueLong_i(
        namer_, gui_, s.key, LongRecord(s, static_cast<long>(s.initial)),
        [this, it, key](const VALUE_LONG::VALUE& v) {
          if (!Inside(*it->row, v.val)) Refuse(*it->row, v.val, true);
          *static_cast<EngineAttribValueLong_i*>(it->servant.get()) = LongRecord(*it->row, v.val);
          Accepted(key);
        }, p);
    it->reset = [sv, &s] { *sv = LongRecord(s, static_cast<long>(s.initial)); };
    item->servant.reset(sv);
  } else if (kind == "AttribValueDouble") {
    EngineAttribValueDoubleParams p{s.min, s.max, s.step, UnitCode(s.unit), DoubleRecord(s, 0).resolution};
    auto* sv = new EngineAttribValueDouble_i(
        namer_, gui_, s.key, DoubleRecord(s, s.initial),
        [this, it, key](const VALUE_DOUBLE::VALUE& v) {
          if (!Inside(*it->row, v.val)) Refuse(*it->row, v.val, false);
          *static_cast<EngineAttribValueDouble_i*>(it->servant.get()) = DoubleRecord(*it->row, v.val);
          Accepted(key);
        }, p);
    it->reset = [sv, &s] { *sv = DoubleRecord(s, s.initial); };
    item->servant.reset(sv);
  } else if (kind == "AttribAny") {
    auto* sv = new EngineAttribAny_i(namer_, gui_, s.key, CORBA::Any(), [this, it, key](const CORBA::Any& v) {
      *static_cast<EngineAttribAny_i*>(it->servant.get()) = v;
      Accepted(key);
    }, CORBA::Any());
    it->reset = [sv] { *sv = CORBA::Any(); };
    item->servant.reset(sv);
  } else if (kind == "AttribVoid") {
    item->servant.reset(new EngineAttribVoid_i(namer_, gui_, s.key, [this, key] { Accepted(key); }));
    it->reset = [] {};
  } else if (kind == "ReadingBoolean") {
    auto* sv = new EngineReadingBoolean_i(namer_, gui_, s.key, s.initial != 0);
    it->reset = [sv, &s] { *sv = (s.initial != 0); };
    item->servant.reset(sv);
  } else if (kind == "ReadingLong") {
    auto* sv = new EngineReadingLong_i(namer_, gui_, s.key, static_cast<int>(s.initial));
    it->reset = [sv, &s] { *sv = static_cast<CORBA::Long>(s.initial); };
    item->servant.reset(sv);
  } else if (kind == "ReadingValueDouble") {
    auto* sv = new EngineReadingValueDouble_i(namer_, gui_, s.key, DoubleRecord(s, s.initial));
    it->reset = [sv, &s] { *sv = DoubleRecord(s, s.initial); };
    item->servant.reset(sv);
  } else {
    throw std::logic_error(std::string("unknown item kind ") + s.kind);
  }
  items_[key] = std::move(item);
}

Velmarin::EngineReadingBase_i& ItemStore::Servant(const std::string& key) const {
  auto it = items_.find(key);
  if (it == items_.end()) throw Velmarin::Operation_errors::Object_Not_Found(key.c_str());
  return *it->second->servant;
}

const ItemSpec& ItemStore::Row(const std::string& key) const {
  auto it = items_.find(key);
  if (it == items_.end()) throw Velmarin::Operation_errors::Object_Not_Found(key.c_str());
  return *it->second->row;
}

void ItemStore::ResetAll() {
  for (auto& e : items_) e.second->reset();
}

}  // namespace radaltsim
