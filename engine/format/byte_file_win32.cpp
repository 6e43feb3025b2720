// Windows file access: Win32 on the wide path, so that any name works whatever the ANSI code page.
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "engine/format/byte_file.h"

namespace {

// The system is asked for at least this many bytes at a time, so that small reads in order (the
// container reader's 2,048 bytes) cost one system call per this many.
constexpr uint32_t kReadAheadBytes = 64 * 1024;

// Written by whichever thread reads; read by benchmarks only after the reading is over.
uint64_t readCalls = 0;

class Win32ByteFile : public ByteSource {
 public:
  explicit Win32ByteFile(HANDLE file) : file_(file) {}
  ~Win32ByteFile() override { CloseHandle(file_); }
  Win32ByteFile(const Win32ByteFile&) = delete;
  Win32ByteFile& operator=(const Win32ByteFile&) = delete;

  bool Size(uint64_t& size) override {
    LARGE_INTEGER value;
    if (!GetFileSizeEx(file_, &value) || value.QuadPart < 0) return false;
    size = static_cast<uint64_t>(value.QuadPart);
    return true;
  }
  bool Tell(uint64_t& position) override {
    position = position_;
    return true;
  }
  bool Seek(uint64_t position) override {
    if (position > static_cast<uint64_t>(INT64_MAX)) return false;
    // Going back reads afresh (read-ahead only serves going forward): a reader starting over, as the
    // run after the start-up check, reads the file as it is.
    if (position < position_) ahead_.clear();
    position_ = position;
    return true;
  }
  bool Read(void* buffer, uint32_t length, uint32_t& got) override {
    uint8_t* out = static_cast<uint8_t*>(buffer);
    uint32_t total = 0;
    while (total < length) {
      if (position_ >= aheadStart_ && position_ < aheadStart_ + ahead_.size()) {
        const size_t offset = static_cast<size_t>(position_ - aheadStart_);
        const uint32_t n = static_cast<uint32_t>(std::min<size_t>(length - total, ahead_.size() - offset));
        std::memcpy(out + total, ahead_.data() + offset, n);
        total += n;
        position_ += n;
        continue;
      }
      uint32_t n = 0;
      if (length - total >= kReadAheadBytes) {
        // A large request goes straight into the caller's buffer.
        if (!ReadAt(position_, out + total, length - total, n)) return false;
      } else {
        ahead_.resize(kReadAheadBytes);
        const bool read = ReadAt(position_, ahead_.data(), kReadAheadBytes, n);
        ahead_.resize(read ? n : 0);
        aheadStart_ = position_;
        if (!read) return false;
        if (n == 0) break;  // the end of the file
        continue;
      }
      if (n == 0) break;
      total += n;
      position_ += n;
    }
    got = total;
    return true;
  }
  void ReleaseReadAhead() override {
    // clear() would keep the capacity.
    std::vector<uint8_t>().swap(ahead_);
    aheadStart_ = 0;
  }

 private:
  // Reads up to length bytes at position; fewer only at the end of the file.
  bool ReadAt(uint64_t position, uint8_t* buffer, uint32_t length, uint32_t& got) {
    LARGE_INTEGER to;
    to.QuadPart = static_cast<LONGLONG>(position);
    if (!SetFilePointerEx(file_, to, nullptr, FILE_BEGIN)) return false;
    // ReadFile may deliver less than asked before the end; keep reading until it delivers nothing.
    uint32_t total = 0;
    while (total < length) {
      DWORD n = 0;
      ++readCalls;
      if (!ReadFile(file_, buffer + total, length - total, &n, nullptr)) return false;
      if (n == 0) break;
      total += n;
    }
    got = total;
    return true;
  }

  HANDLE file_;
  uint64_t position_ = 0;
  std::vector<uint8_t> ahead_;  // the file's bytes from aheadStart_ on
  uint64_t aheadStart_ = 0;
};

class Win32NewFile : public NewByteFile {
 public:
  explicit Win32NewFile(HANDLE file) : file_(file) {}
  ~Win32NewFile() override { Close(); }
  Win32NewFile(const Win32NewFile&) = delete;
  Win32NewFile& operator=(const Win32NewFile&) = delete;

  bool Write(const void* data, size_t size) override {
    if (file_ == INVALID_HANDLE_VALUE) return false;
    const char* at = static_cast<const char*>(data);
    while (size > 0) {
      const DWORD part = size > 0x40000000 ? 0x40000000 : static_cast<DWORD>(size);
      DWORD written = 0;
      if (!WriteFile(file_, at, part, &written, nullptr) || written == 0) return false;
      at += written;
      size -= written;
    }
    return true;
  }
  bool FlushAndClose() override {
    if (file_ == INVALID_HANDLE_VALUE) return false;
    const bool flushed = FlushFileBuffers(file_) != FALSE;
    return Close() && flushed;
  }

 private:
  bool Close() {
    if (file_ == INVALID_HANDLE_VALUE) return true;
    const bool closed = CloseHandle(file_) != FALSE;
    file_ = INVALID_HANDLE_VALUE;
    return closed;
  }

  HANDLE file_;
};

}  // namespace

std::unique_ptr<ByteSource> OpenByteFile(const wchar_t* path) {
  if (path == nullptr) return nullptr;
  HANDLE file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (file == INVALID_HANDLE_VALUE) return nullptr;
  if (GetFileType(file) != FILE_TYPE_DISK) {
    CloseHandle(file);
    return nullptr;
  }
  return std::make_unique<Win32ByteFile>(file);
}

std::unique_ptr<ByteSource> ByteSourceOnHandle(void* handle) {
  if (handle == nullptr || handle == INVALID_HANDLE_VALUE) return nullptr;
  return std::make_unique<Win32ByteFile>(static_cast<HANDLE>(handle));
}

uint64_t FileReadCalls() { return readCalls; }

NewFileResult CreateNewByteFile(const std::wstring& path, std::unique_ptr<NewByteFile>& file) {
  HANDLE handle = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    return error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS ? NewFileResult::NameTaken
                                                                       : NewFileResult::Failed;
  }
  file = std::make_unique<Win32NewFile>(handle);
  return NewFileResult::Created;
}

bool RenameByteFileOver(const std::wstring& from, const std::wstring& to) {
  return MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
}

bool DeleteByteFile(const std::wstring& path) { return DeleteFileW(path.c_str()) != FALSE; }

uint32_t CurrentProcessNumber() { return GetCurrentProcessId(); }
