// Writes 24-bit PNG files without a compression library (stored deflate blocks), for pictures
// of windows.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace testsupport {

// rgb holds width * height pixels, three bytes each, top row first.
std::string EncodePng(uint32_t width, uint32_t height, const std::vector<uint8_t>& rgb);

}  // namespace testsupport
