#include "Bench.h"

#include <algorithm>
#include <cmath>
#include <iostream>

namespace radalt_bench {

bool Bench::Wants(const std::string& section) const {
  return opt.only.empty() || std::find(opt.only.begin(), opt.only.end(), section) != opt.only.end();
}

Registry& Bench::Reg() {
  if (!registry_) registry_ = std::make_unique<Registry>();
  return *registry_;
}

void Bench::Progress(const std::string& text) const { std::cerr << "[bench] " << text << std::endl; }

double Bench::Ratio(double us, bool p99) const {
  if (floor.n == 0) return NAN;
  const double f = p99 ? floor.p99 : floor.p50;
  return f > 0 ? us / f : NAN;
}

bool SetIfPresent(Bench& bench, const std::string& name, double value) {
  Velmarin::EngineReadingBase_var attr = bench.Reg().Find(name);
  if (CORBA::is_nil(attr)) return false;
  AttrWriter writer(attr, bench.locker.Id());
  if (writer.Read() != value) writer.Write(value);
  return true;
}

}  // namespace radalt_bench
