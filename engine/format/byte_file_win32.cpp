// File access for the Windows builds: Win32 on the wide path, so that any file name works
// whatever the ANSI code page.
#include <windows.h>

#include "engine/format/byte_file.h"

namespace {

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
    LARGE_INTEGER zero, at;
    zero.QuadPart = 0;
    if (!SetFilePointerEx(file_, zero, &at, FILE_CURRENT) || at.QuadPart < 0) return false;
    position = static_cast<uint64_t>(at.QuadPart);
    return true;
  }
  bool Seek(uint64_t position) override {
    if (position > static_cast<uint64_t>(INT64_MAX)) return false;
    LARGE_INTEGER to;
    to.QuadPart = static_cast<LONGLONG>(position);
    return SetFilePointerEx(file_, to, nullptr, FILE_BEGIN) != FALSE;
  }
  bool Read(void* buffer, uint32_t length, uint32_t& got) override {
    // ReadFile may deliver less than asked before the end; keep reading until it delivers nothing.
    uint32_t total = 0;
    while (total < length) {
      DWORD n = 0;
      if (!ReadFile(file_, static_cast<uint8_t*>(buffer) + total, length - total, &n, nullptr)) return false;
      if (n == 0) break;
      total += n;
    }
    got = total;
    return true;
  }

 private:
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
