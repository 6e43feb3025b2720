// Folders for the probe's tests under Wine: copies of the simulated core with their control and
// record files, dictionary files, and fresh copies of vintora.dll loaded by the real loader.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "probe/vintora_exports.h"

namespace probelab {

// The folder under the system's temporary folder that holds everything a test executable
// makes; emptied when the executable starts (libraries loaded in the previous run are free by
// then) and left behind at its end, since the loaded cores cannot be deleted while it runs.
const std::wstring& LabRoot(const std::wstring& executableTag);

// A simulated host folder with its own copy of a core library named LXDBCoreplus.dll.
class CoreFolder {
 public:
  // `coreSource` is the file copied in; empty for a folder without a core.
  CoreFolder(const std::wstring& root, const std::wstring& coreSource);
  const std::wstring& dir() const { return dir_; }
  std::wstring core() const { return dir_ + L"\\LXDBCoreplus.dll"; }

  // Replaces the core's control file ("initialize=1" ...); empty text removes it.
  void Control(const std::string& settings) const;
  // Starts a new record of the core's calls.
  void StartRecording() const;
  // The calls recorded since StartRecording, one per line.
  std::vector<std::string> Calls() const;
  // Writes a dictionary file into the folder and answers its full path.
  std::wstring Dict(const std::wstring& name, const std::string& bytes) const;

 private:
  std::wstring dir_;
};

// A copy of a vintora library, loaded from a file of its own, so each test starts from the
// library's initial state; unloaded at the end.
class LoadedProbe {
 public:
  LoadedProbe(const std::wstring& root, const std::wstring& source);
  ~LoadedProbe();
  LoadedProbe(const LoadedProbe&) = delete;
  LoadedProbe& operator=(const LoadedProbe&) = delete;
  bool loaded() const { return module_ != nullptr; }

  InitDbcoreFn init_dbcore = nullptr;
  GetDictDatetimeFn get_dict_datetime = nullptr;
  CompareDateFn compare_date = nullptr;
  StringToDateFn string_to_date = nullptr;

 private:
  HMODULE module_ = nullptr;
};

}  // namespace probelab
