#include "tests/probe/probe_lab.h"

#include <string>

#include "tests/support/win_test_support.h"

namespace probelab {

namespace {

std::wstring NewFolder(const std::wstring& root, const std::wstring& tag) {
  static unsigned counter = 0;
  const std::wstring dir = root + L"\\" + tag + std::to_wstring(++counter);
  testsupport::MakeDirs(dir);
  return dir;
}

std::wstring Stem(const CoreFolder& folder) { return folder.dir() + L"\\LXDBCoreplus"; }

template <typename Fn>
Fn Lookup(HMODULE module, const char* name) {
  return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

}  // namespace

const std::wstring& LabRoot(const std::wstring& executableTag) {
  static const std::wstring root = [&] {
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    const std::wstring path = std::wstring(temp) + L"pk_" + executableTag;
    testsupport::RemoveTree(path);
    testsupport::MakeDirs(path);
    return path;
  }();
  return root;
}

CoreFolder::CoreFolder(const std::wstring& root, const std::wstring& coreSource) : dir_(NewFolder(root, L"host")) {
  if (!coreSource.empty()) CopyFileW(coreSource.c_str(), core().c_str(), FALSE);
}

void CoreFolder::Control(const std::string& settings) const {
  const std::wstring path = Stem(*this) + L".sim";
  if (settings.empty()) {
    DeleteFileW(path.c_str());
  } else {
    testsupport::WriteFileBytes(path, settings);
  }
}

void CoreFolder::StartRecording() const { testsupport::WriteFileBytes(Stem(*this) + L".calls", ""); }

std::vector<std::string> CoreFolder::Calls() const {
  std::string content;
  testsupport::ReadFileBytes(Stem(*this) + L".calls", content);
  std::vector<std::string> calls;
  size_t start = 0;
  for (size_t end; (end = content.find('\n', start)) != std::string::npos; start = end + 1) {
    calls.push_back(content.substr(start, end - start));
  }
  return calls;
}

std::wstring CoreFolder::Dict(const std::wstring& name, const std::string& bytes) const {
  const std::wstring path = dir_ + L"\\" + name;
  testsupport::WriteFileBytes(path, bytes);
  return path;
}

LoadedProbe::LoadedProbe(const std::wstring& root, const std::wstring& source) {
  static unsigned counter = 0;
  const std::wstring copy = root + L"\\vintora_copy" + std::to_wstring(++counter) + L".dll";
  if (!CopyFileW(source.c_str(), copy.c_str(), FALSE)) return;
  module_ = LoadLibraryW(copy.c_str());
  if (module_ == nullptr) return;
  init_dbcore = Lookup<InitDbcoreFn>(module_, "init_dbcore");
  get_dict_datetime = Lookup<GetDictDatetimeFn>(module_, "get_dict_datetime");
  compare_date = Lookup<CompareDateFn>(module_, "compare_date");
  string_to_date = Lookup<StringToDateFn>(module_, "string_to_date");
}

LoadedProbe::~LoadedProbe() {
  if (module_ != nullptr) FreeLibrary(module_);
}

}  // namespace probelab
