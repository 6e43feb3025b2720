// The caps the start-up check holds a package to: the containers beside the wizard and the entries
// one run installs, each at its cap and one past it.
#include "engine/plan/package_limits.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct LimitCase {
  size_t containers, planned;
  bool within;
  const wchar_t* why;  // a part of the refusal; null when within
};

TEST(PackageLimits, EachCapHoldsAtItsValueAndRefusesOneMore) {
  const LimitCase cases[] = {
      {0, 0, true, nullptr},
      {1, 1, true, nullptr},
      {4096, 65536, true, nullptr},
      {4097, 0, false, L"more than 4096 containers (*.dir) beside the wizard"},
      {4097, 65537, false, L"containers"},  // the containers' cap is told first
      {1, 65537, false, L"65537 entries planned, more than the 65536 one run installs"},
      {4096, 1000000, false, L"1000000 entries planned"},
      {static_cast<size_t>(-1), 0, false, L"containers"},
  };
  for (const LimitCase& c : cases) {
    const std::string row = std::to_string(c.containers) + " containers, " + std::to_string(c.planned) + " planned";
    std::wstring why = L"untouched";
    EXPECT_EQ(PackageWithinLimits(c.containers, c.planned, why), c.within) << row;
    if (c.within) {
      EXPECT_EQ(why, L"untouched") << row;
    } else {
      EXPECT_NE(why.find(c.why), std::wstring::npos) << row;
    }
  }
}

}  // namespace
