#include "tests/support/data_patterns.h"

#include <cstdint>

namespace testsupport {

std::string Pattern(size_t size, unsigned seed) {
  std::string out(size, '\0');
  uint32_t state = seed * 2654435761u + 1;
  for (char& c : out) {
    state = state * 1664525u + 1013904223u;
    c = static_cast<char>(state >> 24);
  }
  return out;
}

std::string DictionaryFile(const std::string& date, const std::string& data) {
  return "name=dictionary\n<date_time>" + date + "</date_time>\n" + std::string(1, '\0') + data;
}

}  // namespace testsupport
