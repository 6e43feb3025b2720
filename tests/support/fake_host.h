// An installed host for the tests and the benchmarks: the registry key as the host's setup
// writes it, the host's folders, and copies of the simulated programs (simhost/ and its
// READMEs). Paths and names are spelled here, apart from the engine's own, so that a mistake
// there shows.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

namespace testsupport {

class ChildProcess;
class ScratchDir;

// The simulated programs as built, relative to the running executable's folder.
constexpr const wchar_t* kSimulatedHostProgram = L"simhost\\Lumidex.exe";
constexpr const wchar_t* kSimulatedCore = L"simhost\\LXDBCoreplus.dll";
constexpr const wchar_t* kSimulatedService = L"simhost\\zrdsvc.exe";
constexpr const wchar_t* kSimulatedRepairTool = L"simhost\\ZRDRepair.exe";

// The host's registry key, written for the life of the object and removed afterwards, in the
// registry view of this program's kind (the wizard's). A null value is left out; type is REG_SZ
// or REG_EXPAND_SZ. The engine's cached texts of the key are forgotten at both ends.
class HostRegistry {
 public:
  static constexpr const wchar_t* kKey = L"SOFTWARE\\Tolvaro\\Dictionary 2.0";
  static constexpr const wchar_t* kLocation = L"Location";
  static constexpr const wchar_t* kExeName = L"ExcutableName";

  HostRegistry(const wchar_t* location, const wchar_t* exeName, DWORD type = REG_SZ);
  ~HostRegistry();
  HostRegistry(const HostRegistry&) = delete;
  HostRegistry& operator=(const HostRegistry&) = delete;
  static void SetRaw(const wchar_t* valueName, const void* data, DWORD bytes, DWORD type);
  static void Remove();
};

struct HostSetup {
  std::wstring exeName = L"Lumidex.exe";  // the host program's file name, as the key gives it
  std::wstring folder;                    // empty: a new scratch folder
  std::wstring core = kSimulatedCore;     // the built file copied in as the database core; empty: none
  bool programs = true;    // the simulated host program, service and repair tool; else an empty host program
  bool registered = true;  // the registry key names the folder
};

// A host folder alone: an empty host program, the given core or none, and no key; for tests that
// write the key themselves or need none.
HostSetup FolderOnly(const std::wstring& core = L"");

class FakeHost {
 public:
  explicit FakeHost(const HostSetup& setup = {});
  // Ends every program running from the folder (also those the code under test started), then
  // removes the key and the folder.
  ~FakeHost();
  FakeHost(const FakeHost&) = delete;
  FakeHost& operator=(const FakeHost&) = delete;

  const std::wstring& dir() const { return dir_; }
  std::wstring operator/(const std::wstring& relative) const { return dir_ + L"\\" + relative; }
  std::wstring DataDir() const { return *this / L"plugin\\localquery\\dictdata"; }
  std::wstring ConfigPath() const { return *this / L"plugin\\localquery\\localquerydictcfg.ini"; }
  std::wstring ImageDir() const { return *this / L"plugin\\image"; }
  std::wstring HostExe() const { return *this / exeName_; }
  std::wstring ServiceExe() const { return *this / L"zrdsvc.exe"; }
  std::wstring RepairTool() const { return *this / L"ZRDRepair.exe"; }
  std::wstring Core() const { return *this / L"LXDBCoreplus.dll"; }
  std::wstring HostLogPath() const { return *this / L"hostapp.log"; }
  std::wstring RepairLogPath() const { return *this / L"ZRDRepair.log"; }
  std::wstring ServiceLogPath() const { return *this / L"zrdsvc.log"; }

  // Writes a file below the folder and answers its full path.
  std::wstring AddFile(const std::wstring& relative, const std::string& bytes) const;
  // An installed dictionary whose date stamp the simulated core reads ("2009.11.13").
  std::wstring AddInstalledDict(const std::wstring& fileName, const std::string& date,
                                const std::string& data = "data") const;

  // hostapp.ini: whether the host program shows its tray window, and after how long.
  void SetHostOptions(bool tray, unsigned trayDelayMs) const;
  bool RemoveRepairTool() const;
  // True when the repair tool has not run: no such process and no log line.
  bool RepairToolNeverRan() const;

  // The simulated core's control file ("initialize=1\n" ...); empty text removes it.
  void SetCoreControl(const std::string& settings) const;
  // Starts a new record of the core's calls; CoreCalls() are those made since, one per line.
  void StartCoreRecord() const;
  std::vector<std::string> CoreCalls() const;

 private:
  std::unique_ptr<ScratchDir> scratch_;
  std::wstring dir_;
  std::wstring exeName_;
  std::unique_ptr<HostRegistry> registry_;
};

// Starts a simulated service (zrdsvc.exe under any name) with the options of zrdsvc_main.cpp
// and waits until it takes stop requests. A safety lifetime is always added, so that no service
// outlives a test run by much.
bool StartService(ChildProcess& child, const std::wstring& exe, const std::vector<std::wstring>& options = {});

// A run log of the simulated programs (UTF-8); empty when the file is missing.
std::string ReadLog(const std::wstring& path);
// Waits up to timeoutMs for the log to contain text.
bool WaitForLog(const std::wstring& path, const std::string& text, unsigned timeoutMs);

// How a simulated host program was last started, as its log records it (start_record.h): the
// program that started it (its image name lower-cased) and the working folder it was given.
struct StartRecord {
  DWORD parentId = 0;
  std::string parentName;
  std::wstring folder;
};
// Waits up to timeoutMs for the log to hold a start record and reads the last one.
bool WaitForStartRecord(const std::wstring& path, StartRecord& record, unsigned timeoutMs);

}  // namespace testsupport
