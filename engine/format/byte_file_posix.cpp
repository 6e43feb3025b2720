// Native file access on the path's UTF-8: stdio with 64-bit positions, descriptors for writing.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <string>

#include "engine/format/byte_file.h"
#include "engine/format/utf8_text.h"

namespace {

uint64_t readCalls = 0;

class StdioByteFile : public ByteSource {
 public:
  explicit StdioByteFile(FILE* file) : file_(file) {}
  ~StdioByteFile() override { std::fclose(file_); }
  StdioByteFile(const StdioByteFile&) = delete;
  StdioByteFile& operator=(const StdioByteFile&) = delete;

  bool Size(uint64_t& size) override {
    struct stat info;
    if (fstat(fileno(file_), &info) != 0 || info.st_size < 0) return false;
    size = static_cast<uint64_t>(info.st_size);
    return true;
  }
  bool Tell(uint64_t& position) override {
    const off_t at = ftello(file_);
    if (at < 0) return false;
    position = static_cast<uint64_t>(at);
    return true;
  }
  bool Seek(uint64_t position) override {
    if (position > static_cast<uint64_t>(INT64_MAX)) return false;
    return fseeko(file_, static_cast<off_t>(position), SEEK_SET) == 0;
  }
  bool Read(void* buffer, uint32_t length, uint32_t& got) override {
    ++readCalls;
    const size_t n = std::fread(buffer, 1, length, file_);
    if (n < length && std::ferror(file_)) {
      std::clearerr(file_);
      return false;
    }
    std::clearerr(file_);  // a later Seek and Read must not see the end-of-file flag
    got = static_cast<uint32_t>(n);
    return true;
  }

 private:
  FILE* file_;
};

class PosixNewFile : public NewByteFile {
 public:
  explicit PosixNewFile(int fd) : fd_(fd) {}
  ~PosixNewFile() override { Close(); }
  PosixNewFile(const PosixNewFile&) = delete;
  PosixNewFile& operator=(const PosixNewFile&) = delete;

  bool Write(const void* data, size_t size) override {
    if (fd_ < 0) return false;
    const char* at = static_cast<const char*>(data);
    while (size > 0) {
      const ssize_t n = write(fd_, at, size);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) return false;
      at += n;
      size -= static_cast<size_t>(n);
    }
    return true;
  }
  bool FlushAndClose() override {
    if (fd_ < 0) return false;
    const bool synced = fsync(fd_) == 0;
    return Close() && synced;
  }

 private:
  bool Close() {
    if (fd_ < 0) return true;
    const bool closed = close(fd_) == 0;
    fd_ = -1;
    return closed;
  }

  int fd_;
};

}  // namespace

std::unique_ptr<ByteSource> OpenByteFile(const wchar_t* path) {
  std::string narrow;
  // wchar_t holds whole code points here; a surrogate or out-of-range value cannot name a file.
  if (path == nullptr || !PathToUtf8(path, narrow)) return nullptr;
  FILE* file = std::fopen(narrow.c_str(), "rb");
  if (file == nullptr) return nullptr;
  struct stat info;
  if (fstat(fileno(file), &info) != 0 || !S_ISREG(info.st_mode)) {
    std::fclose(file);
    return nullptr;
  }
  return std::make_unique<StdioByteFile>(file);
}

uint64_t FileReadCalls() { return readCalls; }

NewFileResult CreateNewByteFile(const std::wstring& path, std::unique_ptr<NewByteFile>& file) {
  std::string narrow;
  if (!PathToUtf8(path, narrow)) return NewFileResult::Failed;
  const int fd = open(narrow.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
  if (fd < 0) return errno == EEXIST ? NewFileResult::NameTaken : NewFileResult::Failed;
  file = std::make_unique<PosixNewFile>(fd);
  return NewFileResult::Created;
}

bool RenameByteFileOver(const std::wstring& from, const std::wstring& to) {
  std::string narrowFrom, narrowTo;
  return PathToUtf8(from, narrowFrom) && PathToUtf8(to, narrowTo) &&
         std::rename(narrowFrom.c_str(), narrowTo.c_str()) == 0;
}

bool DeleteByteFile(const std::wstring& path) {
  std::string narrow;
  return PathToUtf8(path, narrow) && unlink(narrow.c_str()) == 0;
}

uint32_t CurrentProcessNumber() { return static_cast<uint32_t>(getpid()); }
