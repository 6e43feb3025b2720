// File access for the native builds: stdio with 64-bit positions on the UTF-8 form of the path.
#include <sys/stat.h>

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
