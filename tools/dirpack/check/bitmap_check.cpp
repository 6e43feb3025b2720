#include "tools/dirpack/check/bitmap_check.h"

#include <cstdint>
#include <cstdlib>

#include "engine/format/bitmap_header.h"
#include "tools/dirpack/check/file_bytes.h"

namespace {

constexpr uint32_t kFileHeaderBytes = 14;
constexpr uint32_t kCoreHeaderBytes = 12;  // the OS/2 header: 16-bit sizes, no compression
constexpr uint32_t kInfoHeaderBytes = 40;  // and its later extensions, up to 124 bytes
constexpr uint32_t kLargestHeaderBytes = 124;

enum Compression : uint32_t { kRgb = 0, kRle8 = 1, kRle4 = 2, kBitFields = 3 };

bool IsKnownInfoHeader(uint32_t size) {
  return size == kCoreHeaderBytes || size == kInfoHeaderBytes || size == 52 || size == 56 || size == 108 ||
         size == kLargestHeaderBytes;
}

// Why the header and data cannot make an image; empty when they can.
std::string HeaderProblem(const std::string& head, uint64_t fileSize) {
  uint32_t declared = 0;  // the size the header gives, which the wizard holds against the file's
  if (head.size() < kFileHeaderBytes + kCoreHeaderBytes ||
      !BitmapDeclaredSize(reinterpret_cast<const uint8_t*>(head.data()), declared)) {
    return "it does not begin with a BMP file header (\"BM\")";
  }
  const uint32_t dataAt = LittleEndianAt(head, 10, 4);
  const uint32_t infoSize = LittleEndianAt(head, 14, 4);
  if (!IsKnownInfoHeader(infoSize) || head.size() < kFileHeaderBytes + infoSize) {
    return "its information header (" + std::to_string(infoSize) + " bytes) is of no known kind or cut short";
  }
  const bool core = infoSize == kCoreHeaderBytes;
  const int64_t width = core ? LittleEndianAt(head, 18, 2) : static_cast<int32_t>(LittleEndianAt(head, 18, 4));
  const int64_t height = core ? LittleEndianAt(head, 20, 2) : static_cast<int32_t>(LittleEndianAt(head, 22, 4));
  const uint32_t planes = LittleEndianAt(head, core ? 22 : 26, 2);
  const uint32_t depth = LittleEndianAt(head, core ? 24 : 28, 2);
  const uint32_t compression = core ? kRgb : LittleEndianAt(head, 30, 4);
  if (width <= 0 || height == 0) {
    return "its size is " + std::to_string(width) + " x " + std::to_string(height) + " pixels";
  }
  if (planes != 1) return "it has " + std::to_string(planes) + " planes; a BMP has 1";
  if (depth != 1 && depth != 4 && depth != 8 && depth != 16 && depth != 24 && depth != 32) {
    return "its depth of " + std::to_string(depth) + " bits per pixel is not a BMP depth";
  }
  const bool matches = compression == kRgb || (compression == kRle8 && depth == 8) ||
                       (compression == kRle4 && depth == 4) ||
                       (compression == kBitFields && (depth == 16 || depth == 32));
  if (!matches) return "its compression " + std::to_string(compression) + " does not suit its depth or is unknown";
  if (dataAt < kFileHeaderBytes + infoSize || dataAt >= fileSize) {
    return "its pixel data are said to begin at " + std::to_string(dataAt) + ", outside the file's " +
           std::to_string(fileSize) + " bytes";
  }
  if (compression == kRgb || compression == kBitFields) {
    // Rows are padded to 4 bytes; 64-bit arithmetic cannot wrap for 32-bit sizes.
    const uint64_t rowBytes = (static_cast<uint64_t>(width) * depth + 31) / 32 * 4;
    const uint64_t dataBytes = rowBytes * static_cast<uint64_t>(std::llabs(height));
    if (dataBytes > fileSize - dataAt) {
      return std::to_string(width) + " x " + std::to_string(std::llabs(height)) + " pixels need " +
             std::to_string(dataBytes) + " bytes of data, but the file holds " + std::to_string(fileSize - dataAt);
    }
  }
  // The wizard copies only an image whose header tells the file's own size.
  if (declared != fileSize) {
    return "its header gives its size as " + std::to_string(declared) + " bytes, but the file holds " +
           std::to_string(fileSize);
  }
  return "";
}

}  // namespace

BitmapCheck CheckBitmapFile(const std::wstring& path, std::string& why) {
  std::string head;
  uint64_t size = 0;
  if (!ReadFileStart(path, kFileHeaderBytes + kLargestHeaderBytes, head, size)) return BitmapCheck::CannotRead;
  const std::string problem = HeaderProblem(head, size);
  if (problem.empty()) return BitmapCheck::Valid;
  why = problem;
  return BitmapCheck::Invalid;
}
