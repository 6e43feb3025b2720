// A package folder as a publisher assembles one, for the tests of dirpack check and dirpack seal:
// two containers, dictconfig.ini, one image per dictionary, stand-ins for pakorra.exe and
// vintora.dll. Clean until a test changes one part.
#pragma once

#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "tests/dirpack/dirpack_harness.h"
#include "tests/support/container_bytes.h"

namespace dirpacktest {

void PutLittle(std::string& bytes, size_t at, uint32_t value, size_t width);

// What the check reads of a program: the DOS header's "MZ" and pointer, the "PE\0\0" signature,
// the machine and the optional header (PE32+ for x86-64) with its 16 data directories, the
// certificate table's of `signatureBytes` bytes (0: unsigned), which then follow at the end.
std::string ProgramBytes(uint16_t machine, uint32_t signatureBytes = 0);
// Where ProgramBytes puts the optional header's count of data directories (PE32).
constexpr size_t kProgramDirectoryCountAt = 0x98 + 92;

// An uncompressed BMP; core = the 12-byte OS/2 information header instead of the 40-byte one.
std::string BitmapBytes(uint32_t width, uint32_t height, uint16_t depth, bool core = false);

std::vector<testsupport::ContainerItem> CoreItems();
// Capital letters: the wizard lower-cases the id, and finds its section and image by it.
std::vector<testsupport::ContainerItem> ExtraItems();
std::u16string ConfigText(const std::u16string& intro = u"日常生活中最常用的汉语短句。");

class PackageFolder {
 public:
  PackageFolder();
  void Put(const std::string& name, const std::string& bytes);
  void Remove(const std::string& name);
  std::string Get(const std::string& name) const;
  const std::string& path() const { return scratch.path(); }
  std::string operator/(const std::string& name) const { return scratch / name; }

  // Every file the folder holds as made, relative to it with '/'.
  static const std::vector<std::string>& FileNames();

 private:
  Scratch scratch;
};

std::string Describe(const RunResult& run);

// The finding codes of a check run's JSON form; fails the test when the JSON is not well formed
// or not of the documented shape.
std::multiset<std::string> JsonCodes(const RunResult& run);

}  // namespace dirpacktest
