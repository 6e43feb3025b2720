// Files as bytes on the platform's wide paths (Win32 or POSIX, one implementation per build).
// Reading: the container reader's bytes, from a file or memory (fuzzers, tests), read alike.
// Writing: a new file, written, flushed and renamed over its final name.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <utility>

class ByteSource {
 public:
  virtual ~ByteSource() = default;
  virtual bool Size(uint64_t& size) = 0;
  virtual bool Tell(uint64_t& position) = 0;
  // Positioning beyond the end is allowed; reading there delivers nothing.
  virtual bool Seek(uint64_t position) = 0;
  // Reads up to length bytes at the position and moves past them; got is how many arrived (fewer
  // only at the end). False on an I/O error.
  virtual bool Read(void* buffer, uint32_t length, uint32_t& got) = 0;
  // Gives back the memory kept for bytes read ahead; the next read asks the system again, so a
  // source held open for long (every container beside the wizard) costs only its handle.
  virtual void ReleaseReadAhead() {}
};

// The whole source from its start; false when it is larger than `most` bytes or cannot be read.
inline bool ReadWholeSource(ByteSource& source, uint64_t most, std::string& bytes) {
  uint64_t size = 0;
  if (!source.Size(size) || size > most || !source.Seek(0)) return false;
  std::string read(static_cast<size_t>(size), '\0');
  uint32_t got = 0;
  if (size > 0 && (!source.Read(&read[0], static_cast<uint32_t>(size), got) || got != size)) return false;
  bytes = std::move(read);
  return true;
}

// Opens an existing file for reading; null when it cannot be opened.
std::unique_ptr<ByteSource> OpenByteFile(const wchar_t* path);

#ifdef _WIN32
// Reads through a file handle (a HANDLE) open for reading, which the source closes when it goes.
std::unique_ptr<ByteSource> ByteSourceOnHandle(void* handle);
#endif

// How many read requests the file sources of this process have made to the system so far.
uint64_t FileReadCalls();

// Reads from memory the caller keeps alive while the source is in use.
class MemoryByteSource : public ByteSource {
 public:
  MemoryByteSource(const uint8_t* data, size_t size) : data_(data), size_(size) {}
  bool Size(uint64_t& size) override {
    size = size_;
    return true;
  }
  bool Tell(uint64_t& position) override {
    position = position_;
    return true;
  }
  bool Seek(uint64_t position) override {
    position_ = position;
    return true;
  }
  bool Read(void* buffer, uint32_t length, uint32_t& got) override {
    const uint64_t available = position_ < size_ ? size_ - position_ : 0;
    got = available < length ? static_cast<uint32_t>(available) : length;
    if (got > 0) std::memcpy(buffer, data_ + position_, got);
    position_ += got;
    return true;
  }

 private:
  const uint8_t* data_;
  uint64_t size_;
  uint64_t position_ = 0;
};

// A file created new and written from its start. Going without FlushAndClose closes it unflushed.
class NewByteFile {
 public:
  virtual ~NewByteFile() = default;
  // Writes every byte, or fails.
  virtual bool Write(const void* data, size_t size) = 0;
  // Has the system put the data on the disk, then closes the file either way; false when either failed.
  // Only dirpack uses this; the wizard never calls it.
  virtual bool FlushAndClose() = 0;
};

enum class NewFileResult { Created, NameTaken, Failed };

// Only dirpack uses the three below; the wizard never calls them.
// Creates the file for writing, shared with no one; NameTaken when something has the name already.
NewFileResult CreateNewByteFile(const std::wstring& path, std::unique_ptr<NewByteFile>& file);
// Renames `from` to `to` in one step, replacing a file there (Windows: write-through).
bool RenameByteFileOver(const std::wstring& from, const std::wstring& to);
bool DeleteByteFile(const std::wstring& path);

// This process's number, which keeps its temporary names apart from other processes' ones.
uint32_t CurrentProcessNumber();
