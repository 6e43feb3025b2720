#include "tests/support/png_file.h"

#include <algorithm>

namespace testsupport {
namespace {

uint32_t Crc32(const std::string& bytes, size_t from) {
  uint32_t crc = 0xFFFFFFFFu;
  for (size_t i = from; i < bytes.size(); ++i) {
    crc ^= static_cast<uint8_t>(bytes[i]);
    for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
  }
  return ~crc;
}

void PutBigEndian(std::string& out, uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<char>((value >> shift) & 0xFF));
}

void PutChunk(std::string& out, const char* type, const std::string& data) {
  PutBigEndian(out, static_cast<uint32_t>(data.size()));
  const size_t start = out.size();
  out.append(type, 4);
  out += data;
  PutBigEndian(out, Crc32(out, start));
}

}  // namespace

std::string EncodePng(uint32_t width, uint32_t height, const std::vector<uint8_t>& rgb) {
  std::string raw;  // each row: filter type 0, then its pixels
  for (uint32_t y = 0; y < height; ++y) {
    raw.push_back('\0');
    raw.append(reinterpret_cast<const char*>(rgb.data()) + static_cast<size_t>(y) * width * 3, width * 3);
  }
  std::string zlib = "\x78\x01";
  uint32_t a = 1, b = 0;  // Adler-32
  for (unsigned char c : raw) {
    a = (a + c) % 65521;
    b = (b + a) % 65521;
  }
  for (size_t at = 0; at == 0 || at < raw.size(); at += 65535) {
    const size_t length = std::min<size_t>(65535, raw.size() - at);
    zlib.push_back(at + length >= raw.size() ? '\x01' : '\x00');
    zlib.push_back(static_cast<char>(length & 0xFF));
    zlib.push_back(static_cast<char>(length >> 8));
    zlib.push_back(static_cast<char>(~length & 0xFF));
    zlib.push_back(static_cast<char>((~length >> 8) & 0xFF));
    zlib.append(raw, at, length);
  }
  PutBigEndian(zlib, (b << 16) | a);

  std::string header;
  PutBigEndian(header, width);
  PutBigEndian(header, height);
  header += std::string("\x08\x02\x00\x00\x00", 5);  // 8 bits, RGB, deflate, no filter set, no interlace

  std::string png = "\x89PNG\r\n\x1a\n";
  PutChunk(png, "IHDR", header);
  PutChunk(png, "IDAT", zlib);
  PutChunk(png, "IEND", "");
  return png;
}

}  // namespace testsupport
