// The new file an entry's data are written to, beside its target. Every write, the flush and the
// close are checked, so that a full disk or a failing device fails the entry instead of leaving a
// short file to be counted as installed.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

// How many write requests target files of this process have made to the system so far.
uint64_t FileWriteCalls();

class TargetFile {
 public:
  TargetFile() = default;
  ~TargetFile();
  TargetFile(const TargetFile&) = delete;
  TargetFile& operator=(const TargetFile&) = delete;

  // Creates the file for writing raw bytes; fails when a file is there already.
  bool Create(const std::wstring& path);
  // True only when every byte was written; `written` is how many were, also on failure.
  bool Write(const void* data, uint32_t length, uint32_t& written);
  // Has the system write the file's data to the disk; true once they are there.
  bool Flush();
  // True when an open file was closed cleanly. The handle is released either way.
  bool Close();

 private:
  HANDLE handle_ = INVALID_HANDLE_VALUE;
  std::wstring path_;
};
