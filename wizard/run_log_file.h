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
  // Only a plain file of one link, reached through no link, is replaced: anything else is a log
  // that cannot be written, and stays as it was.
  bool Create(const std::wstring& path);
  // A new log in the system's temporary folder named after the local time. Never an existing file
  // or link: the folder may be shared with other accounts, and the wizard runs elevated. A file
  // that turns out not to be in that very folder is deleted, and there is no log.
  bool CreateInTemp();

  bool IsOpen() const { return file_ != INVALID_HANDLE_VALUE; }
  // The log's full path, or what was asked for when it could not be created.
  const std::wstring& path() const { return path_; }

  void Write(const std::wstring& event) override;

 private:
  // OPEN_EXISTING: the file there, or a new one when there is none, cut once it is checked.
  // CREATE_NEW: a new file only.
  bool Open(const std::wstring& path, DWORD disposition);

  HANDLE file_ = INVALID_HANDLE_VALUE;
  std::wstring path_;
  // The worker's diagnostics arrive on its own thread, between the dialog's lines.
  CRITICAL_SECTION lock_;
};
