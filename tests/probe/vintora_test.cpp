// vintora.dll loaded by the real loader under Wine, against the simulated database core: the
// four exports, the core's entry points and service operations in order, and the balance of
// every period of use of the core on every path.
#include <gtest/gtest.h>

#include <cstring>
#include <initializer_list>
#include <string>
#include <vector>

#include "probe/core_service.h"
#include "probe/vintora_exports.h"
#include "tests/probe/dict_date_printing.h"
#include "tests/support/fake_host.h"
#include "tests/support/files.h"

using Calls = std::vector<std::string>;

namespace testsupport {
namespace {

constexpr DictDate kUntouched = {0xA5A5A5A5u, 0xA5A5A5A5u, 0xA5A5A5A5u, 0xA5A5A5A5u};

std::wstring BuiltProbe() { return BuiltFile(L"vintora.dll"); }
std::wstring CoreLacking(const std::wstring& entry) { return L"dbcore_lacking_" + entry + L".dll"; }

// A host folder with its own copy of a core: the simulated one unless told otherwise.
testsupport::HostSetup CoreFolder(const std::wstring& core = testsupport::kSimulatedCore) { return FolderOnly(core); }

// A copy of a vintora library, loaded from a file of its own, so each test starts from the
// library's initial state; unloaded at the end.
class LoadedProbe {
 public:
  explicit LoadedProbe(const std::wstring& source) {
    static unsigned counter = 0;
    const std::wstring copy = folder_ / (L"vintora_copy" + std::to_wstring(++counter) + L".dll");
    if (!CopyFileW(source.c_str(), copy.c_str(), FALSE)) return;
    module_ = LoadLibraryW(copy.c_str());
    if (module_ == nullptr) return;
    init_dbcore = Lookup<InitDbcoreFn>("init_dbcore");
    get_dict_datetime = Lookup<GetDictDatetimeFn>("get_dict_datetime");
    compare_date = Lookup<CompareDateFn>("compare_date");
    string_to_date = Lookup<StringToDateFn>("string_to_date");
  }
  ~LoadedProbe() {
    if (module_ != nullptr) FreeLibrary(module_);
  }
  LoadedProbe(const LoadedProbe&) = delete;
  LoadedProbe& operator=(const LoadedProbe&) = delete;
  bool loaded() const { return module_ != nullptr; }

  InitDbcoreFn init_dbcore = nullptr;
  GetDictDatetimeFn get_dict_datetime = nullptr;
  CompareDateFn compare_date = nullptr;
  StringToDateFn string_to_date = nullptr;

 private:
  template <typename Fn>
  Fn Lookup(const char* name) {
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module_, name)));
  }
  testsupport::ScratchDir folder_{L"probe"};
  HMODULE module_ = nullptr;
};

// One period of use as the core records it: opened, then `middle`, then closed.
Calls Period(const std::wstring& dict, std::initializer_list<const char*> middle) {
  Calls calls = {"Initialize", "GetService", "op19", "op20", "op16 80000000 " + Narrow(dict), "op17"};
  calls.insert(calls.end(), middle.begin(), middle.end());
  calls.insert(calls.end(), {"op15", "op20", "Uninitialize"});
  return calls;
}

class ProbeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(probe.loaded());
    ASSERT_TRUE(probe.init_dbcore && probe.get_dict_datetime && probe.compare_date && probe.string_to_date);
  }

  // Reads the stamp of a new dictionary file holding `content`, through a recorded period.
  bool StampOf(const std::string& content, DictDate* out, Calls* calls, std::wstring* dict) {
    *dict = host.AddFile(L"sample" + std::to_wstring(++dicts) + L".dic", content);
    host.StartCoreRecord();
    const bool result = probe.get_dict_datetime(dict->c_str(), out);
    *calls = host.CoreCalls();
    return result;
  }

  LoadedProbe probe{BuiltProbe()};
  FakeHost host{CoreFolder()};
  int dicts = 0;
};

// --- the library itself -----------------------------------------------------------------------

TEST(VintoraModule, ExportsExactlyFourNamesAndImportsOnlySystemLibraries) {
  HMODULE module = LoadLibraryW(BuiltProbe().c_str());
  ASSERT_NE(module, nullptr);
  const auto* base = reinterpret_cast<const BYTE*>(module);
  const auto* nt =
      reinterpret_cast<const IMAGE_NT_HEADERS*>(base + reinterpret_cast<const IMAGE_DOS_HEADER*>(base)->e_lfanew);
  const IMAGE_DATA_DIRECTORY& exportDir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
  const auto* exports = reinterpret_cast<const IMAGE_EXPORT_DIRECTORY*>(base + exportDir.VirtualAddress);
  std::vector<std::string> names;
  const auto* nameRvas = reinterpret_cast<const DWORD*>(base + exports->AddressOfNames);
  for (DWORD i = 0; i < exports->NumberOfNames; ++i) names.push_back(reinterpret_cast<const char*>(base + nameRvas[i]));
  EXPECT_EQ(names, (std::vector<std::string>{"compare_date", "get_dict_datetime", "init_dbcore", "string_to_date"}));

  const IMAGE_DATA_DIRECTORY& importDir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
  for (const auto* d = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + importDir.VirtualAddress); d->Name;
       ++d) {
    std::string name = reinterpret_cast<const char*>(base + d->Name);
    for (char& c : name) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
    EXPECT_TRUE(name == "kernel32.dll" || name == "msvcrt.dll") << name << " is not a system library";
  }
  FreeLibrary(module);
}

// --- string_to_date and compare_date through the library ----------------------------------------

// The parse is the portable code the native tests walk through; what the library adds is the
// Windows C library's number conversion (its long is 32 bits), so only that is checked here.
TEST_F(ProbeTest, StringToDateTakesNumbersAsTheWindowsCLibraryConvertsThem) {
  struct Case {
    const wchar_t* text;
    DictDate date;
  };
  const Case cases[] = {
      {L"4294967296-1-1", {0x7FFFFFFFu, 1, 1, 0}},
      {L"-2147483649-1-1", {0x80000000u, 1, 1, 0}},
      {L" 2009-\t11-+13-99999999999", {2009, 11, 13, 0x7FFFFFFFu}},
  };
  for (const Case& c : cases) {
    std::wstring buffer = c.text;
    DictDate out = kUntouched;
    EXPECT_TRUE(probe.string_to_date(buffer.data(), &out)) << Narrow(c.text);
    EXPECT_EQ(out, c.date) << Narrow(c.text);
  }
}

TEST_F(ProbeTest, CompareDateAnswersForItsFirstArgument) {
  const DictDate older = {2009, 11, 13, 4};
  const DictDate newer = {2009, 11, 13, 5};
  EXPECT_EQ(probe.compare_date(&newer, &older), 1);
  EXPECT_EQ(probe.compare_date(&older, &newer), -1);
  EXPECT_EQ(probe.compare_date(&older, &older), 0);
}

// --- init_dbcore ------------------------------------------------------------------------------

TEST_F(ProbeTest, NothingIsCalledBeforeAnyInitDbcore) {
  const std::wstring dict = host.AddFile(L"a.dic", "<date_time>2009.11.13</date_time>");
  host.StartCoreRecord();
  DictDate out = kUntouched;
  EXPECT_FALSE(probe.get_dict_datetime(dict.c_str(), &out));
  EXPECT_EQ(out, kUntouched);
  EXPECT_TRUE(host.CoreCalls().empty());
}

TEST_F(ProbeTest, InitDbcoreFindsTheThreeEntryPoints) {
  EXPECT_TRUE(probe.init_dbcore(host.Core().c_str()));
  EXPECT_TRUE(probe.init_dbcore(host.Core().c_str())) << "again: loads again, replaces the entry points";
  const std::wstring dict = host.AddFile(L"a.dic", "<date_time>2009.11.13</date_time>");
  DictDate out = {};
  EXPECT_TRUE(probe.get_dict_datetime(dict.c_str(), &out));
  EXPECT_EQ(out, (DictDate{2009, 11, 13, 0}));
}

TEST_F(ProbeTest, NullPathKeepsTheStoredEntryPoints) {
  ASSERT_TRUE(probe.init_dbcore(host.Core().c_str()));
  EXPECT_FALSE(probe.init_dbcore(nullptr));
  const std::wstring dict = host.AddFile(L"a.dic", "<date_time>2009.11.13</date_time>");
  DictDate out = {};
  EXPECT_TRUE(probe.get_dict_datetime(dict.c_str(), &out)) << "the core found before is still used";
}

TEST_F(ProbeTest, UnloadableLibraryForgetsTheEntryPoints) {
  ASSERT_TRUE(probe.init_dbcore(host.Core().c_str()));
  EXPECT_FALSE(probe.init_dbcore((host.dir() + L"\\absent.dll").c_str()));
  EXPECT_FALSE(probe.init_dbcore(L""));
  const std::wstring dict = host.AddFile(L"a.dic", "<date_time>2009.11.13</date_time>");
  host.StartCoreRecord();
  DictDate out = kUntouched;
  EXPECT_FALSE(probe.get_dict_datetime(dict.c_str(), &out));
  EXPECT_EQ(out, kUntouched);
  EXPECT_TRUE(host.CoreCalls().empty()) << "the earlier core is no longer called";
}

TEST_F(ProbeTest, CoreLackingAnEntryPointIsNeverCalled) {
  for (const wchar_t* missing : {L"GetService", L"Initialize"}) {
    SCOPED_TRACE(Narrow(missing));
    FakeHost lacking{CoreFolder(CoreLacking(missing))};
    EXPECT_FALSE(probe.init_dbcore(lacking.Core().c_str()));
    const std::wstring dict = lacking.AddFile(L"a.dic", "<date_time>2009.11.13</date_time>");
    lacking.StartCoreRecord();
    DictDate out = kUntouched;
    EXPECT_FALSE(probe.get_dict_datetime(dict.c_str(), &out));
    EXPECT_EQ(out, kUntouched);
    EXPECT_TRUE(lacking.CoreCalls().empty()) << "no period is opened that could not be used or closed";
  }
  // A complete core afterwards works again.
  ASSERT_TRUE(probe.init_dbcore(host.Core().c_str()));
  const std::wstring dict = host.AddFile(L"a.dic", "<date_time>2009.11.13</date_time>");
  DictDate out = {};
  EXPECT_TRUE(probe.get_dict_datetime(dict.c_str(), &out));
}

TEST_F(ProbeTest, LaterInitDbcoreReplacesTheCore) {
  FakeHost other{CoreFolder()};
  ASSERT_TRUE(probe.init_dbcore(host.Core().c_str()));
  ASSERT_TRUE(probe.init_dbcore(other.Core().c_str()));
  const std::wstring dict = other.AddFile(L"a.dic", "<date_time>2011.1.2</date_time>");
  host.StartCoreRecord();
  other.StartCoreRecord();
  DictDate out = {};
  EXPECT_TRUE(probe.get_dict_datetime(dict.c_str(), &out));
  EXPECT_TRUE(host.CoreCalls().empty());
  EXPECT_EQ(other.CoreCalls(), Period(dict, {"op3"}));
}

// --- get_dict_datetime ------------------------------------------------------------------------

class StampTest : public ProbeTest {
 protected:
  void SetUp() override {
    ProbeTest::SetUp();
    ASSERT_TRUE(probe.init_dbcore(host.Core().c_str()));
  }
};

TEST_F(StampTest, ReadsTheStampInOnePeriodOfUse) {
  DictDate out = {};
  Calls calls;
  std::wstring dict;
  EXPECT_TRUE(StampOf("name=Sample\n<date_time>2009.11.13</date_time>\nsize=12\n", &out, &calls, &dict));
  EXPECT_EQ(out, (DictDate{2009, 11, 13, 0}));
  EXPECT_EQ(calls, Period(dict, {"op3"}));

  // Every call is a period of its own.
  host.StartCoreRecord();
  EXPECT_TRUE(probe.get_dict_datetime(dict.c_str(), &out));
  EXPECT_TRUE(probe.get_dict_datetime(dict.c_str(), &out));
  Calls twice = Period(dict, {"op3"});
  const Calls once = twice;
  twice.insert(twice.end(), once.begin(), once.end());
  EXPECT_EQ(host.CoreCalls(), twice);
}

TEST_F(StampTest, PathReachesTheCoreUnchanged) {
  const std::wstring dict = host.AddFile(L"\x8BCD\x5178 sample.v2.dic", "<date_time>2010-02-03-4</date_time>");
  host.StartCoreRecord();
  DictDate out = {};
  EXPECT_TRUE(probe.get_dict_datetime(dict.c_str(), &out));
  EXPECT_EQ(out, (DictDate{2010, 2, 3, 4}));
  EXPECT_EQ(host.CoreCalls(), Period(dict, {"op3"}));
}

// The service object is called as ordinary virtual member functions (__thiscall on i686), as a
// core written the ordinary way expects: each slot sees its own object and its arguments intact.
TEST_F(StampTest, ServiceSlotsSeeTheirObjectAndArguments) {
  const std::wstring dict = host.AddFile(L"convention.dic", "<date_time>2011.12.13</date_time>");
  host.StartCoreRecord();
  DictDate out = {};
  EXPECT_TRUE(probe.get_dict_datetime(dict.c_str(), &out));
  EXPECT_EQ(out, (DictDate{2011, 12, 13, 0}));
  for (const std::string& call : host.CoreCalls()) EXPECT_EQ(call.find("fault"), std::string::npos) << call;
  EXPECT_EQ(host.CoreCalls(), Period(dict, {"op3"}));
}

// Whatever stops the stamp, a text without one or a stamp that does not parse, the period of use
// is closed and the caller's record stays as it was. Which texts hold a stamp, and which stamps
// parse, is the portable code's (date_stamp_test, date_text_test).
TEST_F(StampTest, StampThatCannotBeReadFailsAfterClosing) {
  for (const char* text : {"name=Sample, no stamp", "<date_time>20091113</date_time>"}) {
    SCOPED_TRACE(text);
    DictDate out = kUntouched;
    Calls calls;
    std::wstring dict;
    EXPECT_FALSE(StampOf(text, &out, &calls, &dict));
    EXPECT_EQ(out, kUntouched);
    EXPECT_EQ(calls, Period(dict, {"op3"}));
  }
}

TEST_F(StampTest, InitializeFailureCallsNothingElse) {
  for (const char* setting : {"initialize=1", "initialize=-1", "initialize=0x80004005"}) {
    SCOPED_TRACE(setting);
    host.SetCoreControl(std::string(setting) + "\n");
    DictDate out = kUntouched;
    Calls calls;
    std::wstring dict;
    EXPECT_FALSE(StampOf("<date_time>2009.11.13</date_time>", &out, &calls, &dict));
    EXPECT_EQ(out, kUntouched);
    EXPECT_EQ(calls, Calls{"Initialize"});
  }
}

struct FailureCase {
  const char* control;  // the core's control file
  bool dictionaryExists;
  enum { kNoService, kNotOpen, kNoText } stage;
};

void PrintTo(const FailureCase& c, std::ostream* os) {
  *os << "control \"" << c.control << "\"" << (c.dictionaryExists ? "" : ", no dictionary file");
}

class StampFailureTest : public StampTest, public ::testing::WithParamInterface<FailureCase> {};

TEST_P(StampFailureTest, PeriodIsClosedOnEveryPath) {
  host.SetCoreControl(GetParam().control);
  const std::wstring dict = GetParam().dictionaryExists ? host.AddFile(L"a.dic", "<date_time>2009.11.13</date_time>")
                                                        : host.dir() + L"\\absent.dic";
  host.StartCoreRecord();
  DictDate out = kUntouched;
  EXPECT_FALSE(probe.get_dict_datetime(dict.c_str(), &out));
  EXPECT_EQ(out, kUntouched);

  Calls expected;
  switch (GetParam().stage) {
    case FailureCase::kNoService:
      expected = {"Initialize", "GetService", "Uninitialize"};
      break;
    case FailureCase::kNotOpen:
      expected = Period(dict, {});
      break;
    case FailureCase::kNoText:
      expected = Period(dict, {"op3"});
      break;
  }
  EXPECT_EQ(host.CoreCalls(), expected);

  // The core is usable again at once: nothing was left open.
  host.SetCoreControl("");
  host.StartCoreRecord();
  const std::wstring good = host.AddFile(L"good.dic", "<date_time>2009.11.13</date_time>");
  EXPECT_TRUE(probe.get_dict_datetime(good.c_str(), &out));
  EXPECT_EQ(host.CoreCalls(), Period(good, {"op3"}));
}

INSTANTIATE_TEST_SUITE_P(CoreFailures, StampFailureTest,
                         ::testing::Values(FailureCase{"getservice=1\n", true, FailureCase::kNoService},
                                           FailureCase{"getservice=-2147467259\n", true, FailureCase::kNoService},
                                           FailureCase{"service=null\n", true, FailureCase::kNoService},
                                           FailureCase{"open=fail\n", true, FailureCase::kNotOpen},
                                           FailureCase{"", false, FailureCase::kNotOpen},
                                           FailureCase{"text=fail\n", true, FailureCase::kNoText},
                                           FailureCase{"text=null\n", true, FailureCase::kNoText}));

TEST_F(StampTest, NullArgumentsCallNothing) {
  const std::wstring dict = host.AddFile(L"a.dic", "<date_time>2009.11.13</date_time>");
  host.StartCoreRecord();
  DictDate out = kUntouched;
  EXPECT_FALSE(probe.get_dict_datetime(nullptr, &out));
  EXPECT_FALSE(probe.get_dict_datetime(dict.c_str(), nullptr));
  EXPECT_EQ(out, kUntouched);
  EXPECT_TRUE(host.CoreCalls().empty());
}

// --- the simulated core itself ------------------------------------------------------------------

// The guards the tests above rely on: the core's text is read-only and ends at an unreadable
// page, and a slot called on anything but the object GetService handed out fails and says so.
TEST(SimulatedCore, DescriptiveTextIsReadOnlyAndEndsAtAnUnreadablePage) {
  FakeHost host{CoreFolder()};
  HMODULE core = LoadLibraryW(host.Core().c_str());
  ASSERT_NE(core, nullptr);
  using GetServiceFn = int(__cdecl*)(CoreService**);
  auto getService = reinterpret_cast<GetServiceFn>(reinterpret_cast<void*>(GetProcAddress(core, "GetService")));
  ASSERT_NE(getService, nullptr);
  CoreService* service = nullptr;
  ASSERT_EQ(getService(&service), 0);
  ASSERT_NE(service, nullptr);

  const std::wstring dict = host.AddFile(L"a.dic", "<date_time>1.2.3</date_time>");
  service->OpenDictionary(dict.c_str(), GENERIC_READ);
  const wchar_t* text = nullptr;
  ASSERT_EQ(service->GetDescriptiveText(&text), 0);
  ASSERT_NE(text, nullptr);
  EXPECT_STREQ(text, L"<date_time>1.2.3</date_time>");

  MEMORY_BASIC_INFORMATION textPage = {}, afterText = {};
  VirtualQuery(text, &textPage, sizeof(textPage));
  VirtualQuery(text + wcslen(text) + 1, &afterText, sizeof(afterText));
  EXPECT_EQ(textPage.Protect, static_cast<DWORD>(PAGE_READONLY));
  EXPECT_EQ(afterText.Protect, static_cast<DWORD>(PAGE_NOACCESS));
  service->CloseDictionary();
}

TEST(SimulatedCore, SlotCalledOnAnotherObjectFailsAndRecordsTheFault) {
  FakeHost host{CoreFolder()};
  HMODULE core = LoadLibraryW(host.Core().c_str());
  ASSERT_NE(core, nullptr);
  using GetServiceFn = int(__cdecl*)(CoreService**);
  auto getService = reinterpret_cast<GetServiceFn>(reinterpret_cast<void*>(GetProcAddress(core, "GetService")));
  CoreService* service = nullptr;
  ASSERT_EQ(getService(&service), 0);

  // An object that shares the service's table but is not the service: what a slot sees as
  // `this` when the caller passes it where the slot does not look for it.
  alignas(void*) unsigned char impostor[sizeof(void*)];
  std::memcpy(impostor, static_cast<const void*>(service), sizeof(void*));
  CoreService* volatile wrongObject = reinterpret_cast<CoreService*>(impostor);
  host.StartCoreRecord();
  EXPECT_EQ(wrongObject->IsDictionaryOpen(), 0);
  EXPECT_EQ(host.CoreCalls(), (Calls{"convention fault: slot 17 called on another object"}));
}

}  // namespace
}  // namespace testsupport
