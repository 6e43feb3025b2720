// A small program for the binding's tests: the binding is made once per process, so each
// scenario runs in a fresh copy of this program placed where the scenario needs it. Its
// arguments are steps, run in order; each step reports one line through the debugger trace
// channel ("helper: ..."), where the test, attached as the debugger, also sees the engine's
// diagnostics in the order they were made.
//   bind           BindVersionProbe, then what the binding holds
//   free           FreeLibrary once on the bound module
//   loaded=PATH    whether a module of that path is loaded
//   init=PATH      InitDBCore(PATH); init-null and init-empty pass null and ""
//   copy=SRC       copies SRC over vintora.dll beside this program
//   parse=TEXT     string_to_date through the binding
//   date=PATH      get_dict_datetime through the binding
//   repoint=DIR    points this program's folder (a Unix link) at DIR once the library is checked
//   module=PATH    where the bound module's file is, and whether its bytes are PATH's
//   private        the security of the bound module's folder (its DACL in SDDL)
//   release        ReleaseVersionProbe, then whether the module and its folder are still there
#include <windows.h>
// After windows.h, whose types it uses.
#include <shellapi.h>

#include <sddl.h>
#include <aclapi.h>

#include <string>

#include "engine/inventory/probe_binding.h"
#include "engine/testing_seams.h"
#include "tests/support/files.h"

namespace {

void Report(const std::wstring& line) { OutputDebugStringW((L"helper: " + line).c_str()); }

std::wstring Bit(bool value) { return value ? L"1" : L"0"; }

std::wstring Fields(const DictDate& d) {
  return std::to_wstring(d.year) + L"," + std::to_wstring(d.month) + L"," + std::to_wstring(d.day) + L"," +
         std::to_wstring(d.fourth);
}

std::wstring OwnFolder() {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring text(path);
  return text.substr(0, text.find_last_of(L'\\'));
}

std::wstring repointTo;
std::wstring boundModule;  // the bound module's file, kept for "release"

void Repoint(void*) { Report(L"repointed=" + Bit(testsupport::RepointUnixSymlink(repointTo, OwnFolder()))); }

std::wstring ModuleFile(HMODULE module) {
  wchar_t path[MAX_PATH] = {};
  const DWORD length = GetModuleFileNameW(module, path, MAX_PATH);
  return std::wstring(path, length < MAX_PATH ? length : 0);
}

std::wstring Folder(const std::wstring& path) { return path.substr(0, path.find_last_of(L'\\')); }

std::wstring DaclText(const std::wstring& path) {
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (GetNamedSecurityInfoW(path.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr, nullptr, nullptr,
                            &descriptor) != ERROR_SUCCESS) {
    return L"unreadable";
  }
  wchar_t* text = nullptr;
  std::wstring result = L"unconvertible";
  if (ConvertSecurityDescriptorToStringSecurityDescriptorW(descriptor, SDDL_REVISION_1, DACL_SECURITY_INFORMATION, &text,
                                                           nullptr)) {
    result = text;
    LocalFree(text);
  }
  LocalFree(descriptor);
  return result;
}

void RunStep(const std::wstring& step) {
  const size_t equals = step.find(L'=');
  const std::wstring name = step.substr(0, equals);
  const std::wstring value = equals == std::wstring::npos ? L"" : step.substr(equals + 1);
  const ProbeBinding& b = GetProbeBinding();
  if (name == L"bind") {
    const bool result = BindVersionProbe();
    Report(L"bind=" + Bit(result) + L" bound=" + Bit(b.bound) + L" module=" + Bit(b.module != nullptr) + L" entries=" +
           Bit(b.init_dbcore != nullptr) + Bit(b.get_dict_datetime != nullptr) + Bit(b.compare_date != nullptr) +
           Bit(b.string_to_date != nullptr));
  } else if (name == L"free") {
    Report(L"free=" + Bit(b.module != nullptr && FreeLibrary(b.module)));
  } else if (name == L"loaded") {
    Report(L"loaded=" + Bit(GetModuleHandleW(value.c_str()) != nullptr));
  } else if (name == L"init") {
    Report(L"init=" + Bit(InitDBCore(value.c_str())));
  } else if (name == L"init-null") {
    Report(L"init=" + Bit(InitDBCore(nullptr)));
  } else if (name == L"init-empty") {
    Report(L"init=" + Bit(InitDBCore(L"")));
  } else if (name == L"copy") {
    Report(L"copy=" + Bit(CopyFileW(value.c_str(), (OwnFolder() + L"\\vintora.dll").c_str(), FALSE)));
  } else if (name == L"parse") {
    std::wstring text = value;
    DictDate date = {};
    const bool ok = BindVersionProbe() && b.string_to_date(text.data(), &date);
    Report(L"parse=" + Bit(ok) + L" " + Fields(date) + L" " + text.c_str());
  } else if (name == L"date") {
    DictDate date = {};
    const bool ok = BindVersionProbe() && b.get_dict_datetime(value.c_str(), &date);
    Report(L"date=" + Bit(ok) + L" " + Fields(date));
  } else if (name == L"repoint") {
    repointTo = value;
    ObserveProbeCheckedForTesting(Repoint, nullptr);
  } else if (name == L"module") {
    boundModule = ModuleFile(b.module);
    const bool same = testsupport::FileBytes(boundModule) == testsupport::FileBytes(value);
    Report(L"module=" + boundModule + L" same=" + Bit(same));
  } else if (name == L"private") {
    Report(L"private=" + DaclText(Folder(boundModule)));
  } else if (name == L"release") {
    ReleaseVersionProbe();
    const DWORD folder = GetFileAttributesW(Folder(boundModule).c_str());
    Report(L"release bound=" + Bit(b.bound) + L" loaded=" + Bit(GetModuleHandleW(boundModule.c_str()) != nullptr) +
           L" folder=" + Bit(folder != INVALID_FILE_ATTRIBUTES));
  } else {
    Report(L"unknown step " + step);
  }
}

}  // namespace

int main() {
  int count = 0;
  wchar_t** args = CommandLineToArgvW(GetCommandLineW(), &count);
  if (args == nullptr) return 2;
  for (int i = 1; i < count; ++i) RunStep(args[i]);
  LocalFree(args);
  ReleaseVersionProbe();  // as the wizard does at its end
  return 0;
}
