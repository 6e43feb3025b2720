// vintora.dll: reads a dictionary's date stamp through the host's database core library, and
// parses and compares date texts. No allocation of its own, no state beyond the core's three
// entry points, nothing run at load or unload.
#include <windows.h>

#include <type_traits>

#include "probe/core_service.h"
#include "probe/date_stamp.h"
#include "probe/date_text.h"
#include "probe/vintora_exports.h"

namespace {

// The core's entry point `name` as type Fn, null when absent. Written here rather than taken from
// the wizard's engine: the library is built and signed on its own and depends on nothing of it.
template <typename Fn>
Fn CoreFunction(HMODULE core, const char* name) {
  return core == nullptr ? nullptr : reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(core, name)));
}

// As the last init_dbcore resolved them; absent before the first. The core is never unloaded,
// so the pointers stay valid for the life of the process.
CoreInitializeFn coreInitialize = nullptr;
CoreUninitializeFn coreUninitialize = nullptr;
CoreGetServiceFn coreGetService = nullptr;

// Loads the core by its full path, its own dependencies looked up in the core's folder and then
// the system folder, nowhere else: not the calling program's folder, which for the wizard is the
// folder a package was downloaded to. Systems without those search flags refuse them as invalid;
// there the core's folder takes the place of the program's folder in the ordinary search.
HMODULE LoadCore(const wchar_t* path) {
  HMODULE core = LoadLibraryExW(path, nullptr, LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR | LOAD_LIBRARY_SEARCH_SYSTEM32);
  if (core == nullptr && GetLastError() == ERROR_INVALID_PARAMETER) {
    core = LoadLibraryExW(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
  }
  return core;
}

// Reads the stamp of the dictionary at `path` within a period of use of the core that `service`
// belongs to. Once the dictionary has been asked to open, it is closed (15, then 20) on every
// path, so no failure leaves it open inside the core.
bool ReadStampFromService(CoreService* service, const wchar_t* path, DictDate* out) {
  service->Operation19();
  service->Operation20();
  service->OpenDictionary(path, kCoreOpenForReading);

  bool parsed = false;
  const wchar_t* text = nullptr;
  wchar_t stamp[kDateStampChars];
  if (service->IsDictionaryOpen() != 0 && service->GetDescriptiveText(&text) == 0 && FindDateStamp(text, stamp)) {
    // The copy is what the parse rewrites; the core's text stays as it is.
    parsed = ParseDateText(stamp, out);
  }

  service->CloseDictionary();
  service->Operation20();
  return parsed;
}

}  // namespace

extern "C" {

BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) { return TRUE; }

bool __cdecl init_dbcore(const wchar_t* path) {
  if (path == nullptr) return false;
  // Every call replaces all three, with whatever this library offers (absent when not loaded).
  HMODULE core = LoadCore(path);
  coreInitialize = CoreFunction<CoreInitializeFn>(core, "Initialize");
  coreUninitialize = CoreFunction<CoreUninitializeFn>(core, "Uninitialize");
  coreGetService = CoreFunction<CoreGetServiceFn>(core, "GetService");
  return coreInitialize != nullptr && coreUninitialize != nullptr && coreGetService != nullptr;
}

bool __cdecl get_dict_datetime(const wchar_t* path, DictDate* out) {
  // Nothing is called through an absent entry point: without Initialize and GetService (no
  // init_dbcore yet, or one whose core lacked them) there is no period of use to open.
  if (path == nullptr || out == nullptr || coreInitialize == nullptr || coreGetService == nullptr) return false;
  if (coreInitialize() != 0) return false;

  // From here on the period of use is closed on every path, a failing GetService included.
  bool result = false;
  CoreService* service = nullptr;
  if (coreGetService(&service) == 0 && service != nullptr) result = ReadStampFromService(service, path, out);
  if (coreUninitialize != nullptr) coreUninitialize();
  return result;
}

bool __cdecl string_to_date(wchar_t* text, DictDate* out) { return ParseDateText(text, out); }

int __cdecl compare_date(const DictDate* first, const DictDate* second) { return CompareDictDates(first, second); }

}  // extern "C"

// The definitions above are exactly what the wizard binds.
static_assert(std::is_same_v<decltype(&init_dbcore), InitDbcoreFn>);
static_assert(std::is_same_v<decltype(&get_dict_datetime), GetDictDatetimeFn>);
static_assert(std::is_same_v<decltype(&compare_date), CompareDateFn>);
static_assert(std::is_same_v<decltype(&string_to_date), StringToDateFn>);
