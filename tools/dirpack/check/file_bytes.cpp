#include "tools/dirpack/check/file_bytes.h"

#include <memory>

#include "engine/format/byte_file.h"

namespace {

bool ReadFrom(ByteSource& file, uint64_t position, uint32_t count, std::string& bytes) {
  std::string result(count, '\0');
  uint32_t got = 0;
  if (!file.Seek(position) || (count > 0 && !file.Read(&result[0], count, got))) return false;
  result.resize(got);
  bytes.swap(result);
  return true;
}

}  // namespace

bool ReadWholeFile(const std::wstring& path, std::string& bytes) {
  std::unique_ptr<ByteSource> file = OpenByteFile(path.c_str());
  return file && ReadWholeSource(*file, kMostWholeFileBytes, bytes);
}

bool ReadFileStart(const std::wstring& path, uint32_t count, std::string& bytes, uint64_t& size) {
  std::unique_ptr<ByteSource> file = OpenByteFile(path.c_str());
  uint64_t length = 0;
  if (!file || !file->Size(length) || !ReadFrom(*file, 0, count, bytes)) return false;
  size = length;
  return true;
}

bool ReadFileAt(const std::wstring& path, uint64_t position, uint32_t count, std::string& bytes) {
  std::unique_ptr<ByteSource> file = OpenByteFile(path.c_str());
  return file && ReadFrom(*file, position, count, bytes);
}

uint32_t LittleEndianAt(const std::string& bytes, size_t at, size_t width) {
  uint32_t value = 0;
  for (size_t i = 0; i < width; ++i) value |= uint32_t{static_cast<unsigned char>(bytes[at + i])} << (8 * i);
  return value;
}
