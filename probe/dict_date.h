// The date record shared by vintora's exports and the wizard's records: four 32-bit numbers,
// compared field by field as unsigned values.
#pragma once

#include <cstdint>

struct DictDate {
  uint32_t year;
  uint32_t month;
  uint32_t day;
  uint32_t fourth;
};
static_assert(sizeof(DictDate) == 16, "DictDate crosses the library boundary as four 32-bit fields");
