// Feeds arbitrary wide texts to the date parse and compares what it produces. The parse may
// rewrite "." to "-" and nothing else, and must leave the record alone when it fails.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "probe/date_text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // Two bytes per UTF-16 code unit, as the texts arrive from a container's date field.
  std::vector<wchar_t> text;
  for (size_t i = 0; i + 1 < size; i += 2) text.push_back(static_cast<wchar_t>(data[i] | (data[i + 1] << 8)));
  text.push_back(L'\0');
  const std::vector<wchar_t> before(text);

  const DictDate marker = {0xDEADBEEF, 1, 2, 3};
  DictDate date = marker;
  const bool parsed = ParseDateText(text.data(), &date);
  for (size_t i = 0; i < text.size(); ++i) {
    const bool same = text[i] == before[i];
    const bool rewritten = before[i] == L'.' && text[i] == L'-';
    if (!same && !rewritten) abort();
  }
  if (!parsed && std::memcmp(&date, &marker, sizeof(date)) != 0) abort();
  if (parsed) {
    if (CompareDictDates(&date, &date) != 0) abort();
    const int ab = CompareDictDates(&date, &marker);
    const int ba = CompareDictDates(&marker, &date);
    if (ab != -ba) abort();
  }
  return 0;
}
