// The run's log (/LOG) as a UTF-8 file: a byte order mark, then one time-stamped line per event.
// A log that cannot be created or written loses its lines and nothing else: the run goes on.
#pragma once

#include <windows.h>

#include <string>

#include "wizard/logic/run_log.h"

class RunLogFile final : public RunLog {
 public:
  RunLogFile();
  ~RunLogFile();
  RunLogFile(const RunLogFile&) = delete;
  RunLogFile& operator=(const RunLogFile&) = delete;

  // The log at the path the user gave (relative to the current folder), replacing a file there.
  bool Create(const std::wstring& path);
  // A new log in %TEMP% named after the local time. Never an existing file or link: the folder
  // may be shared with other accounts, and the wizard runs elevated.
  bool CreateInTemp();

  bool IsOpen() const { return file_ != INVALID_HANDLE_VALUE; }
  // The log's full path, or what was asked for when it could not be created.
  const std::wstring& path() const { return path_; }

  void Write(const std::wstring& event) override;

 private:
  bool Open(const std::wstring& path, DWORD disposition, DWORD flags);

  HANDLE file_ = INVALID_HANDLE_VALUE;
  std::wstring path_;
  // The worker's diagnostics arrive on its own thread, between the dialog's lines.
  CRITICAL_SECTION lock_;
};
