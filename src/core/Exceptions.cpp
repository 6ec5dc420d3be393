#include "Exceptions.h"

#include <cmath>

bool ValueLongSame(const VALUE_LONG::VALUE& a, const VALUE_LONG::VALUE& b) {
  return a.val == b.val && a.min == b.min && a.max == b.max && a.step == b.step && a.unit == b.unit &&
         a.valid == b.valid;
}

bool ValueDoubleSame(const VALUE_DOUBLE::VALUE& a, const VALUE_DOUBLE::VALUE& b, double tolerance1,
                     double tolerance2) {
  return a.resolution == b.resolution && a.unit == b.unit && a.valid == b.valid &&
         std::fabs(a.val - b.val) <= tolerance1 && std::fabs(a.min - b.min) <= tolerance2 &&
         std::fabs(a.max - b.max) <= tolerance2;
}
