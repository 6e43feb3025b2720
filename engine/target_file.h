// The file an entry's data are written to. Every write and the close are checked, so that a full
// disk or a failing device fails the entry instead of leaving a short file counted as installed.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

class TargetFile {
 public:
  enum class Creation {
    NewOnly,    // create the file; fail when one is there already
    Overwrite,  // create the file or truncate the existing one
  };

  TargetFile() = default;
  ~TargetFile();
  TargetFile(const TargetFile&) = delete;
  TargetFile& operator=(const TargetFile&) = delete;

  // Opens for writing raw bytes, sharing everything with other openers.
  bool Open(const std::wstring& path, Creation creation);
  // True only when every byte was written.
  bool Write(const void* data, uint32_t length);
  // True when an open file was closed cleanly. The handle is released either way.
  bool Close();

 private:
  HANDLE handle_ = INVALID_HANDLE_VALUE;
};
