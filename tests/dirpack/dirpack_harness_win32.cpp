// The harness under Windows (Wine): the kit's child-process runner with the output in files.
#include <windows.h>

#include <memory>
#include <string>

#include "tests/dirpack/dirpack_harness.h"
#include "tests/support/child_process.h"
#include "tests/support/files.h"

namespace dirpacktest {

using testsupport::Narrow;
using testsupport::Wide;

std::string ProgramFolder() {
  const std::wstring folder = testsupport::ExeDir();
  return testsupport::Narrow(folder.substr(0, folder.size() - 1));
}

RunResult RunDirpack(const std::vector<std::string>& args) {
  std::vector<std::wstring> arguments;
  for (const std::string& arg : args) arguments.push_back(Wide(arg));
  testsupport::ChildOptions options;
  options.captureOutput = true;
  const testsupport::ChildRun run =
      testsupport::RunToEnd(testsupport::BuiltFile(L"dirpack.exe"), arguments, options, 120000);
  RunResult result;
  if (run.finished) result.status = static_cast<int>(run.exitCode);
  result.out = run.out;
  result.err = run.startFailure.empty() ? run.err : "not started: " + run.startFailure;
  return result;
}

// The folder's own name is not ASCII ("词典").
Scratch::Scratch() {
  auto dir = std::make_shared<testsupport::ScratchDir>(L"dirpack_\u8BCD\u5178_");
  m_dir = dir;
  m_path = Narrow(dir->path());
}

Scratch::~Scratch() = default;

bool WriteBytes(const std::string& path, const std::string& bytes) {
  return testsupport::WriteFileBytes(Wide(path), bytes);
}

bool ReadBytes(const std::string& path, std::string& bytes) { return testsupport::ReadFileBytes(Wide(path), bytes); }

bool Exists(const std::string& path) { return GetFileAttributesW(Wide(path).c_str()) != INVALID_FILE_ATTRIBUTES; }

bool MakeFolder(const std::string& path) { return CreateDirectoryW(Wide(path).c_str(), nullptr) != FALSE; }

bool RemoveFile(const std::string& path) { return DeleteFileW(Wide(path).c_str()) != FALSE; }

std::vector<std::string> ListFolder(const std::string& path) {
  std::vector<std::string> names;
  for (const std::wstring& name : testsupport::ListFolder(Wide(path))) names.push_back(Narrow(name));
  return names;
}

}  // namespace dirpacktest
