// Bytes for tests to write and compare: data that shows where a copy went wrong, and
// dictionary files as the simulated database core reads them (simhost/dbcore/README.md).
// Portable.
#pragma once

#include <cstddef>
#include <string>

namespace testsupport {

// `size` bytes that repeat only after a long period and differ for each seed, so that a
// shifted, truncated or swapped copy never compares equal.
std::string Pattern(size_t size, unsigned seed);

// An installed dictionary file: its descriptive text with the date stamp ("2009.11.13"), a NUL,
// then its data.
std::string DictionaryFile(const std::string& date, const std::string& data = "data");

// Text as a file saved as "UTF-16 LE with BOM": the byte-order mark, then each unit low byte first.
std::string Utf16LeWithMark(const std::u16string& text);

// A file the wizard takes for a BMP image: "BM", its own size (four bytes, little-endian), then
// `data`.
std::string Bitmap(const std::string& data);

}  // namespace testsupport
