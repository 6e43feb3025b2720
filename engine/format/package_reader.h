// Reads a package container: validates its header, loads its entry table and streams one entry's
// data in chunks the caller sizes. Positions are 64-bit; no chunk reads outside the container or
// delivers more than asked, whatever its header and table claim.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "engine/format/byte_file.h"
#include "engine/format/package_format.h"

// The installer reads an entry's data this many bytes at a time, one progress step each, as the plan counts.
constexpr uint32_t kBlockBytes = 2048;

class CPackageReader {
 public:
  CPackageReader() = default;
  CPackageReader(const CPackageReader&) = delete;
  CPackageReader& operator=(const CPackageReader&) = delete;

  // Opens and validates the container at the path and loads its table. A reader already open is
  // closed first; a failed Open leaves it closed with an empty table.
  bool Open(const wchar_t* path);
  // The same for a container held in memory, which must outlive the reader's use of it.
  bool OpenMemory(const uint8_t* data, size_t size);
  // The same for a source that others hold too (a file held open since it was checked): the
  // reader shares it and reads from its start.
  bool OpenSource(std::shared_ptr<ByteSource> source);

  // The header as read (reserved words included) and the container's length, as far as Open read them.
  const PackageHeader& Header() const { return m_header; }
  uint64_t FileSize() const { return m_fileSize; }

  // Why the last Open failed, in the order the reader checks; None after one that succeeded.
  enum class OpenFault { None, CannotOpen, CannotRead, ShortHeader, BadHeader, TableUnreadable };
  // Only dirpack uses these two; the wizard never calls them.
  OpenFault LastOpenFault() const { return m_openFault; }
  // BadHeader: what is wrong with Header() for a file of FileSize() bytes.
  HeaderFault LastHeaderFault() const { return m_headerFault; }

  uint32_t EntryCount() const;
  // An index not below EntryCount() answers an all-zero record.
  const PackageTableEntry& Entry(uint32_t index) const;

  // Positions the container at the first byte of the entry's data.
  bool SeekToEntry(uint32_t index);
  // Reads the entry's next chunk: length is the bytes wanted, then delivered (untouched on failure).
  // 1: more follow; 0: these end the entry; -1: failure, also for a chunk the container lacks.
  int ReadChunk(uint32_t index, void* buffer, uint32_t& length);

  // Lets go of the container; a source others hold gives back the memory it read ahead.
  void Close();

 private:
  OpenFault LoadTable(ByteSource& source, uint64_t fileSize);

  std::shared_ptr<ByteSource> m_file;
  PackageHeader m_header{};
  std::vector<PackageTableEntry> m_table;
  uint64_t m_fileSize = 0;
  OpenFault m_openFault = OpenFault::None;
  HeaderFault m_headerFault = HeaderFault::None;
};
