// A dictionary's image as the wizard copies it: a BMP file whose header begins with "BM" and the
// file's own size in four little-endian bytes; dirpack's folder check warns by the same rule.
#pragma once

#include <cstdint>

#include "engine/format/byte_file.h"

// The bytes at the start of a BMP file that the rule reads.
constexpr uint32_t kBitmapHeadBytes = 6;

// The size the header declares, from its first kBitmapHeadBytes bytes; false without "BM".
// Only dirpack uses this; the wizard never calls it.
bool BitmapDeclaredSize(const uint8_t* head, uint32_t& declared);

// Whether the wizard copies the file as an image: "BM" and its own size, read from its start.
bool IsCopiedBitmap(ByteSource& source);
