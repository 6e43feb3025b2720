#include "engine/format/package_reader.h"

bool CPackageReader::Open(const wchar_t* path) {
  Close();
  return OpenSource(path == nullptr || *path == 0 ? nullptr : OpenByteFile(path));
}

bool CPackageReader::OpenMemory(const uint8_t* data, size_t size) {
  if (data == nullptr && size != 0) return OpenSource(nullptr);
  static const uint8_t kNothing = 0;
  return OpenSource(std::make_unique<MemoryByteSource>(data != nullptr ? data : &kNothing, size));
}

bool CPackageReader::OpenSource(std::shared_ptr<ByteSource> source) {
  Close();
  m_table.clear();
  m_openFault = OpenFault::CannotOpen;
  m_headerFault = HeaderFault::None;
  uint64_t fileSize = 0;
  if (!source || !source->Seek(0) || !source->Size(fileSize)) return false;
  m_fileSize = fileSize;
  m_openFault = LoadTable(*source, fileSize);
  if (m_openFault != OpenFault::None) {
    m_table.clear();
    return false;
  }
  m_file = std::move(source);
  return true;
}

CPackageReader::OpenFault CPackageReader::LoadTable(ByteSource& source, uint64_t fileSize) {
  uint8_t headerBytes[kPackageHeaderBytes];
  uint32_t got = 0;
  if (!source.Read(headerBytes, sizeof(headerBytes), got)) return OpenFault::CannotRead;
  if (got != sizeof(headerBytes)) return OpenFault::ShortHeader;
  DecodePackageHeader(headerBytes, m_header);
  // Checked before the table is allocated, so a hostile count costs nothing.
  m_headerFault = CheckPackageHeader(m_header, fileSize);
  if (m_headerFault != HeaderFault::None) return OpenFault::BadHeader;

  m_table.reserve(m_header.entry_count);
  for (uint32_t i = 0; i < m_header.entry_count; ++i) {
    uint8_t entryBytes[kPackageEntryBytes];
    if (!source.Read(entryBytes, sizeof(entryBytes), got) || got != sizeof(entryBytes)) {
      return OpenFault::TableUnreadable;
    }
    PackageTableEntry entry;
    DecodePackageTableEntry(entryBytes, entry);
    m_table.push_back(entry);
  }
  return OpenFault::None;
}

uint32_t CPackageReader::EntryCount() const { return static_cast<uint32_t>(m_table.size()); }

const PackageTableEntry& CPackageReader::Entry(uint32_t index) const {
  static const PackageTableEntry kNoEntry{};
  return index < m_table.size() ? m_table[index] : kNoEntry;
}

bool CPackageReader::SeekToEntry(uint32_t index) {
  if (!m_file || index >= m_table.size()) return false;
  return m_file->Seek(EntryDataRange(m_header, m_table[index]).begin);
}

int CPackageReader::ReadChunk(uint32_t index, void* buffer, uint32_t& length) {
  if (!m_file || index >= m_table.size()) return -1;
  uint64_t position = 0;
  if (!m_file->Tell(position)) return -1;
  const EntryRange range = EntryDataRange(m_header, m_table[index]);
  // Outside the entry's range: nothing of this entry to give, and subtracting would wrap.
  if (position < range.begin || position > range.end) return -1;

  uint32_t wanted = length;
  int result = 1;
  if (position + wanted >= range.end) {
    wanted = static_cast<uint32_t>(range.end - position);
    result = 0;
  }
  // A range that claims more than the file holds fails at the chunk that would leave the file.
  if (position + wanted > m_fileSize) return -1;
  if (wanted > 0) {
    uint32_t got = 0;
    if (buffer == nullptr || !m_file->Read(buffer, wanted, got) || got != wanted) return -1;
  }
  length = wanted;
  return result;
}

// The table stays readable after Close, until the next Open.
void CPackageReader::Close() {
  if (m_file) m_file->ReleaseReadAhead();
  m_file.reset();
}
