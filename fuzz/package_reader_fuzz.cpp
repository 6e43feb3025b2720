// Feeds arbitrary bytes to the container reader: Open, then every entry's data chunk by chunk,
// as the installation run reads it. A chunk must never deliver more than was asked for.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "engine/format/package_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  CPackageReader reader;
  if (!reader.OpenMemory(data, size)) return 0;
  uint8_t buffer[kBlockBytes];
  const uint32_t count = reader.EntryCount();
  for (uint32_t i = 0; i < count && i < 64; ++i) {
    (void)reader.Entry(i);
    if (!reader.SeekToEntry(i)) continue;
    uint64_t delivered = 0;
    for (int chunk = 0; chunk < 4096; ++chunk) {
      uint32_t length = sizeof(buffer);
      const int rc = reader.ReadChunk(i, buffer, length);
      if (rc < 0) break;
      if (length > sizeof(buffer)) abort();
      delivered += length;
      if (delivered > size) abort();  // more bytes than the container holds
      if (rc == 0) break;
    }
  }
  // Out-of-range indexes fail cleanly.
  uint32_t length = sizeof(buffer);
  if (reader.SeekToEntry(count) || reader.ReadChunk(count, buffer, length) != -1) abort();
  reader.Close();
  return 0;
}
