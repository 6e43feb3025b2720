// Host locator and path builders against the real registry and real folders under Wine.
#include "engine/host_paths.h"

#include <gtest/gtest.h>

#include <string>

#include "engine/testing_seams.h"
#include "tests/support/win_test_support.h"

using testsupport::HostRegistry;
using testsupport::ScratchDir;

namespace {

// A host folder with its executable, as the host's setup leaves it.
struct HostFolder {
  ScratchDir dir{L"host"};
  HostFolder() { testsupport::WriteFileBytes(dir / L"Lumidex.exe", "MZ"); }
};

TEST(HostInstalled, CompleteHostIsFound) {
  HostFolder host;
  HostRegistry reg(host.dir.path().c_str(), L"Lumidex.exe");
  EXPECT_TRUE(IsHostInstalled());
}

// The host's setup writes its key from a 32-bit program, into the 32-bit registry view. A
// program reads the view of its own kind without asking for one: the 32-bit wizard finds the key
// there and only there, as on a 64-bit Windows.
TEST(HostInstalled, KeyIsReadInTheViewOfTheProgramsOwnKind) {
  HostFolder host;
  HostRegistry::Remove();
#ifdef _WIN64
  const REGSAM otherView = KEY_WOW64_32KEY;
#else
  const REGSAM otherView = KEY_WOW64_64KEY;
#endif
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, kHostRegistryKey, 0, nullptr, 0, KEY_WRITE | otherView, nullptr, &key,
                            nullptr),
            ERROR_SUCCESS);
  const std::wstring location = host.dir.path();
  RegSetValueExW(key, kHostLocationValue, 0, REG_SZ, reinterpret_cast<const BYTE*>(location.c_str()),
                 static_cast<DWORD>((location.size() + 1) * sizeof(wchar_t)));
  RegSetValueExW(key, kHostExeNameValue, 0, REG_SZ, reinterpret_cast<const BYTE*>(L"Lumidex.exe"),
                 sizeof(L"Lumidex.exe"));
  RegCloseKey(key);
  ResetHostPathCachesForTesting();
  EXPECT_FALSE(IsHostInstalled()) << "a key in the other view is not this program's";
  RegDeleteKeyExW(HKEY_LOCAL_MACHINE, kHostRegistryKey, otherView, 0);

  HostRegistry reg(location.c_str(), L"Lumidex.exe");
  EXPECT_TRUE(IsHostInstalled());
}

TEST(HostInstalled, MissingKeyOrValues) {
  HostRegistry::Remove();
  ResetHostPathCachesForTesting();
  EXPECT_FALSE(IsHostInstalled());

  HostFolder host;
  {
    HostRegistry reg(host.dir.path().c_str(), nullptr);
    EXPECT_FALSE(IsHostInstalled()) << "no ExcutableName";
    std::wstring path = L"untouched";
    EXPECT_FALSE(GetHostExePath(path));
    EXPECT_EQ(path, L"untouched");
    EXPECT_TRUE(GetDBCorePath(path)) << "the other builders need only Location";
  }
  {
    HostRegistry reg(nullptr, L"Lumidex.exe");
    EXPECT_FALSE(IsHostInstalled()) << "no Location";
    std::wstring path = L"untouched";
    EXPECT_FALSE(GetDictDataDir(path, false));
    EXPECT_FALSE(GetLocalQueryCfgPath(path));
    EXPECT_FALSE(GetHostImagePath(L"a.bmp", path));
    EXPECT_FALSE(GetRepairToolPath(path));
    EXPECT_FALSE(GetDBCorePath(path));
    EXPECT_EQ(path, L"untouched");
  }
}

TEST(HostInstalled, ExecutableMustBeAFile) {
  HostFolder host;
  {
    HostRegistry reg(host.dir.path().c_str(), L"");
    EXPECT_FALSE(IsHostInstalled()) << "an empty name makes the test path the folder itself";
  }
  {
    HostRegistry reg(host.dir.path().c_str(), L"Absent.exe");
    EXPECT_FALSE(IsHostInstalled());
    std::wstring exe;
    EXPECT_TRUE(GetHostExePath(exe)) << "the path is still built";
    EXPECT_EQ(exe, host.dir.path() + L"\\Absent.exe");
  }
}

TEST(HostInstalled, ValueTooLongCountsAsMissing) {
  HostFolder host;
  HostRegistry reg(host.dir.path().c_str(), L"Lumidex.exe");
  const std::wstring longName(300, L'x');  // 602 bytes with the terminator, over 520
  HostRegistry::SetRaw(kHostExeNameValue, longName.c_str(), static_cast<DWORD>((longName.size() + 1) * 2), REG_SZ);
  EXPECT_FALSE(IsHostInstalled());

  const std::wstring fits(259, L'y');  // exactly 520 bytes with the terminator
  HostRegistry::SetRaw(L"Probe", fits.c_str(), 520, REG_SZ);
  std::wstring text;
  EXPECT_TRUE(ReadRegistryString(HKEY_LOCAL_MACHINE, kHostRegistryKey, L"Probe", text));
  EXPECT_EQ(text, fits);
}

TEST(HostInstalled, DataWithoutTerminatorEndsAtByteCount) {
  HostRegistry reg(nullptr, nullptr);
  const wchar_t raw[] = {L'a', L'b', L'c'};
  HostRegistry::SetRaw(L"Raw", raw, sizeof(raw), REG_SZ);
  std::wstring text;
  ASSERT_TRUE(ReadRegistryString(HKEY_LOCAL_MACHINE, kHostRegistryKey, L"Raw", text));
  EXPECT_EQ(text, L"abc");
}

// An expandable Location is resolved with the system's variables only: the elevated wizard's own
// environment is the user's, who may set any variable without elevation.
TEST(HostInstalled, ExpandableLocationUsesOnlyTheSystemsVariables) {
  HostFolder host;
  const std::wstring folder = host.dir.path();
  ASSERT_EQ(folder.compare(0, 2, L"C:"), 0);
  const std::wstring viaSystem = L"%SystemDrive%" + folder.substr(2);
  {
    // The process's own SystemDrive points elsewhere: the system's is the one taken.
    SetEnvironmentVariableW(L"SystemDrive", L"Z:\\elsewhere");
    HostRegistry reg(viaSystem.c_str(), L"Lumidex.exe", REG_EXPAND_SZ);
    EXPECT_TRUE(IsHostInstalled());
    std::wstring core;
    ASSERT_TRUE(GetDBCorePath(core));
    EXPECT_EQ(core, folder + L"\\LXDBCoreplus.dll");
    SetEnvironmentVariableW(L"SystemDrive", L"C:");
  }
  {
    // A variable only this process has is not followed: the reference stays as it is.
    SetEnvironmentVariableW(L"PAKORRA_TEST_HOST", folder.c_str());
    HostRegistry reg(L"%PAKORRA_TEST_HOST%", L"Lumidex.exe", REG_EXPAND_SZ);
    EXPECT_FALSE(IsHostInstalled());
    std::wstring core;
    ASSERT_TRUE(GetDBCorePath(core));
    EXPECT_EQ(core, L"%PAKORRA_TEST_HOST%\\LXDBCoreplus.dll");
    SetEnvironmentVariableW(L"PAKORRA_TEST_HOST", nullptr);
  }
}

TEST(HostPaths, BuiltByPlainConcatenation) {
  HostFolder host;
  const std::wstring loc = host.dir.path();
  HostRegistry reg(loc.c_str(), L"Lumidex.exe");
  std::wstring path;
  ASSERT_TRUE(GetDictDataDir(path, false));
  EXPECT_EQ(path, loc + L"\\plugin\\localquery\\dictdata");
  ASSERT_TRUE(GetLocalQueryCfgPath(path));
  EXPECT_EQ(path, loc + L"\\plugin\\localquery\\localquerydictcfg.ini");
  ASSERT_TRUE(GetHostImagePath(L"news.bmp", path));
  EXPECT_EQ(path, loc + L"\\plugin\\image\\news.bmp");
  ASSERT_TRUE(GetRepairToolPath(path));
  EXPECT_EQ(path, loc + L"\\ZRDRepair.exe");
  ASSERT_TRUE(GetHostExePath(path));
  EXPECT_EQ(path, loc + L"\\Lumidex.exe");
  ASSERT_TRUE(GetPackageImagePath(L"news.bmp", path));
  EXPECT_EQ(path, testsupport::ExeDir() + L"\\dict_image\\news.bmp");
}

TEST(HostPaths, TrailingBackslashIsKept) {
  HostFolder host;
  const std::wstring loc = host.dir.path() + L"\\";
  HostRegistry reg(loc.c_str(), L"Lumidex.exe");
  EXPECT_TRUE(IsHostInstalled()) << "a doubled separator is accepted by the file functions";
  std::wstring path;
  ASSERT_TRUE(GetDBCorePath(path));
  EXPECT_EQ(path, loc + L"\\LXDBCoreplus.dll");
}

TEST(HostPaths, CacheSurvivesRegistryChangesAfterHostCheck) {
  HostFolder host;
  HostRegistry reg(host.dir.path().c_str(), L"Lumidex.exe");
  ASSERT_TRUE(IsHostInstalled());
  HostRegistry::SetRaw(kHostLocationValue, L"C:\\elsewhere", sizeof(L"C:\\elsewhere"), REG_SZ);
  std::wstring path;
  ASSERT_TRUE(GetRepairToolPath(path));
  EXPECT_EQ(path, host.dir.path() + L"\\ZRDRepair.exe");
  EXPECT_FALSE(IsHostInstalled()) << "the check itself always reads the registry";
}

TEST(HostPaths, EmptyLocationIsReadAgainEachTime) {
  HostRegistry reg(L"", L"Lumidex.exe");
  std::wstring path;
  ASSERT_TRUE(GetDBCorePath(path));
  EXPECT_EQ(path, L"\\LXDBCoreplus.dll");
  HostRegistry::SetRaw(kHostLocationValue, L"D:\\x", sizeof(L"D:\\x"), REG_SZ);
  ASSERT_TRUE(GetDBCorePath(path)) << "an empty text does not fill the cache";
  EXPECT_EQ(path, L"D:\\x\\LXDBCoreplus.dll");
}

TEST(HostPaths, DictDataDirCreatesMissingParentsOnlyWhenAsked) {
  HostFolder host;
  HostRegistry reg(host.dir.path().c_str(), L"Lumidex.exe");
  std::wstring dir;
  ASSERT_TRUE(GetDictDataDir(dir, false));
  EXPECT_EQ(GetFileAttributesW(dir.c_str()), INVALID_FILE_ATTRIBUTES);
  ASSERT_TRUE(GetDictDataDir(dir, true));
  const DWORD attributes = GetFileAttributesW(dir.c_str());
  ASSERT_NE(attributes, INVALID_FILE_ATTRIBUTES);
  EXPECT_TRUE(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

TEST(ModuleDir, EndsWithBackslash) {
  std::wstring dir;
  ASSERT_TRUE(GetModuleDir(dir));
  ASSERT_FALSE(dir.empty());
  EXPECT_EQ(dir.back(), L'\\');
  EXPECT_EQ(dir, testsupport::ExeDir());
}

}  // namespace
