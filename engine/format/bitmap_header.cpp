#include "engine/format/bitmap_header.h"

bool BitmapDeclaredSize(const uint8_t* head, uint32_t& declared) {
  if (head[0] != 'B' || head[1] != 'M') return false;
  declared = head[2] | head[3] << 8 | head[4] << 16 | static_cast<uint32_t>(head[5]) << 24;
  return true;
}

bool IsCopiedBitmap(ByteSource& source) {
  uint64_t size = 0;
  uint8_t head[kBitmapHeadBytes] = {};
  uint32_t got = 0;
  if (!source.Size(size) || !source.Seek(0) || !source.Read(head, sizeof(head), got) || got != sizeof(head)) {
    return false;
  }
  uint32_t declared = 0;
  return BitmapDeclaredSize(head, declared) && declared == size;
}
