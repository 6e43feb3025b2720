// Files and folders for code that runs under Wine: scratch folders, whole-file reads and writes,
// and the programs built beside the running one.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace testsupport {

// The folder of the running executable, with a trailing backslash.
std::wstring ExeDir();
// A file built beside the running executable ("pakorra.exe", "simhost\\zrdsvc.exe").
std::wstring BuiltFile(const std::wstring& relative);

// A new empty folder, removed with its content when the object goes away. Every scratch folder
// of a program lies in one folder of its own under the system's temporary folder, emptied when
// the program makes its first: what could not be removed at the end of a run (a library still
// loaded, a file a child still held) goes then.
class ScratchDir {
 public:
  explicit ScratchDir(const std::wstring& tag);
  ~ScratchDir();

  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;
  const std::wstring& path() const { return path_; }
  std::wstring operator/(const std::wstring& name) const { return path_ + L"\\" + name; }

 private:
  std::wstring path_;
};

bool WriteFileBytes(const std::wstring& path, const std::string& bytes);
bool ReadFileBytes(const std::wstring& path, std::string& bytes);
// The file's bytes, or "<missing>" when it cannot be read.
std::string FileBytes(const std::wstring& path);
bool FileExists(const std::wstring& path);  // a file, not a folder
bool MakeDirs(const std::wstring& path);
bool RemoveTree(const std::wstring& path);
// The names in a folder, sorted; empty when it is missing.
std::vector<std::wstring> ListFolder(const std::wstring& path);

// Changes made on the Unix side, as a user of the machine could make them: Wine starts a Unix
// program as it starts a Windows one, and its share modes do not hold against Unix processes.
// The Unix path of a Windows one; false when Wine cannot tell.
bool UnixPathOf(const std::wstring& path, std::string& out);
// Runs `script` (no double quotes in it) with the Unix shell and waits until the file `made`
// exists, up to 10 s: true when it does.
bool RunUnixShell(const std::wstring& script, const std::wstring& made);
// A symbolic link at `link` to `target` (a file or a folder): Wine shows a link to a file as a
// plain file, which only its final path gives away. True when the link answers.
bool MakeUnixSymlink(const std::wstring& target, const std::wstring& link);
// The symbolic link at `link` pointed at `target` instead, in one step (a new link renamed over
// it), as its owner could do at any moment. True when the link leads there.
bool RepointUnixSymlink(const std::wstring& target, const std::wstring& link);
// The file cut to `size` bytes, also while a Windows program holds it. True when it was.
bool TruncateOnUnixSide(const std::wstring& path, uint64_t size);
// The folder link `link` re-pointed to `first` and `second` in turn, over and over, by a Unix
// shell from Start until Stop (or the object goes away): whatever a program checks of where a
// name through it leads may have changed by the time it uses the name.
class UnixLinkFlipper {
 public:
  UnixLinkFlipper() = default;
  ~UnixLinkFlipper() { Stop(); }
  // True once the shell is re-pointing the link.
  bool Start(const std::wstring& link, const std::wstring& first, const std::wstring& second);
  // True once the shell has ended; the link then leads to `second`.
  bool Stop();
  UnixLinkFlipper(const UnixLinkFlipper&) = delete;
  UnixLinkFlipper& operator=(const UnixLinkFlipper&) = delete;

 private:
  std::wstring running_;  // a file beside the link while the shell runs
  std::wstring stop_;     // made to end the shell
};

// A value of an INI file as the profile functions read it; kNoIniValue when there is none.
constexpr const wchar_t* kNoIniValue = L"<missing>";
std::wstring IniValue(const std::wstring& file, const wchar_t* section, const wchar_t* key);

std::string Narrow(const std::wstring& text);  // UTF-8
std::wstring Wide(const std::string& utf8);

}  // namespace testsupport
