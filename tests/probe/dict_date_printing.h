// Equality and printing of DictDate records for test assertions.
#pragma once

#include <ostream>

#include "probe/dict_date.h"

inline bool operator==(const DictDate& a, const DictDate& b) {
  return a.year == b.year && a.month == b.month && a.day == b.day && a.fourth == b.fourth;
}

inline std::ostream& operator<<(std::ostream& os, const DictDate& d) {
  return os << "{" << d.year << ", " << d.month << ", " << d.day << ", " << d.fourth << "}";
}
