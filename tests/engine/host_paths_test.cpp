// Host locator and path builders against the real registry and real folders under Wine.
#include "engine/host_paths.h"

#include <gtest/gtest.h>

#include <string>

#include "engine/testing_seams.h"
#include "tests/support/fake_host.h"
#include "tests/support/files.h"

namespace testsupport {
namespace {

constexpr const wchar_t* kKey = HostRegistry::kKey;

TEST(HostInstalled, CompleteHostIsFound) {
  FakeHost host{FolderOnly()};
  HostRegistry reg(host.dir().c_str(), L"Lumidex.exe");
  EXPECT_TRUE(IsHostInstalled());
}

// The host's setup writes its key from a 32-bit program, into the 32-bit registry view. A
// program reads the view of its own kind without asking for one: the 32-bit wizard finds the key
// there and only there, as on a 64-bit Windows.
TEST(HostInstalled, KeyIsReadInTheViewOfTheProgramsOwnKind) {
  FakeHost host{FolderOnly()};
  HostRegistry::Remove();
#ifdef _WIN64
  const REGSAM otherView = KEY_WOW64_32KEY;
#else
  const REGSAM otherView = KEY_WOW64_64KEY;
#endif
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, kKey, 0, nullptr, 0, KEY_WRITE | otherView, nullptr, &key, nullptr),
            ERROR_SUCCESS);
  const std::wstring location = host.dir();
  RegSetValueExW(key, HostRegistry::kLocation, 0, REG_SZ, reinterpret_cast<const BYTE*>(location.c_str()),
                 static_cast<DWORD>((location.size() + 1) * sizeof(wchar_t)));
  RegSetValueExW(key, HostRegistry::kExeName, 0, REG_SZ, reinterpret_cast<const BYTE*>(L"Lumidex.exe"),
                 sizeof(L"Lumidex.exe"));
  RegCloseKey(key);
  ResetHostPathCachesForTesting();
  EXPECT_FALSE(IsHostInstalled()) << "a key in the other view is not this program's";
  RegDeleteKeyExW(HKEY_LOCAL_MACHINE, kKey, otherView, 0);

  HostRegistry reg(location.c_str(), L"Lumidex.exe");
  EXPECT_TRUE(IsHostInstalled());
}

TEST(HostInstalled, MissingKeyOrValues) {
  HostRegistry::Remove();
  ResetHostPathCachesForTesting();
  EXPECT_FALSE(IsHostInstalled());

  FakeHost host{FolderOnly()};
  {
    HostRegistry reg(host.dir().c_str(), nullptr);
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
  FakeHost host{FolderOnly()};
  {
    HostRegistry reg(host.dir().c_str(), L"");
    EXPECT_FALSE(IsHostInstalled()) << "an empty name makes the test path the folder itself";
  }
  {
    HostRegistry reg(host.dir().c_str(), L"Absent.exe");
    EXPECT_FALSE(IsHostInstalled());
    std::wstring exe;
    EXPECT_TRUE(GetHostExePath(exe)) << "the path is still built";
    EXPECT_EQ(exe, host.dir() + L"\\Absent.exe");
  }
}

TEST(HostInstalled, ValueTooLongCountsAsMissing) {
  FakeHost host{FolderOnly()};
  HostRegistry reg(host.dir().c_str(), L"Lumidex.exe");
  const std::wstring longName(300, L'x');  // 602 bytes with the terminator, over 520
  HostRegistry::SetRaw(HostRegistry::kExeName, longName.c_str(), static_cast<DWORD>((longName.size() + 1) * 2), REG_SZ);
  EXPECT_FALSE(IsHostInstalled());

  const std::wstring fits(259, L'y');  // exactly 520 bytes with the terminator
  HostRegistry::SetRaw(L"Probe", fits.c_str(), 520, REG_SZ);
  std::wstring text;
  EXPECT_TRUE(ReadRegistryString(HKEY_LOCAL_MACHINE, kKey, L"Probe", text));
  EXPECT_EQ(text, fits);
}

TEST(HostInstalled, DataWithoutTerminatorEndsAtByteCount) {
  HostRegistry reg(nullptr, nullptr);
  const wchar_t raw[] = {L'a', L'b', L'c'};
  HostRegistry::SetRaw(L"Raw", raw, sizeof(raw), REG_SZ);
  std::wstring text;
  ASSERT_TRUE(ReadRegistryString(HKEY_LOCAL_MACHINE, kKey, L"Raw", text));
  EXPECT_EQ(text, L"abc");
}

// An expandable Location is resolved with the system's variables only: the elevated wizard's own
// environment is the user's, who may set any variable without elevation.
TEST(HostInstalled, ExpandableLocationUsesOnlyTheSystemsVariables) {
  FakeHost host{FolderOnly()};
  const std::wstring folder = host.dir();
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

TEST(HostPaths, TrailingBackslashIsKept) {
  FakeHost host{FolderOnly()};
  const std::wstring loc = host.dir() + L"\\";
  HostRegistry reg(loc.c_str(), L"Lumidex.exe");
  EXPECT_TRUE(IsHostInstalled()) << "a doubled separator is accepted by the file functions";
  std::wstring path;
  ASSERT_TRUE(GetDBCorePath(path));
  EXPECT_EQ(path, loc + L"\\LXDBCoreplus.dll");
}

TEST(HostPaths, CacheSurvivesRegistryChangesAfterHostCheck) {
  FakeHost host{FolderOnly()};
  HostRegistry reg(host.dir().c_str(), L"Lumidex.exe");
  ASSERT_TRUE(IsHostInstalled());
  HostRegistry::SetRaw(HostRegistry::kLocation, L"C:\\elsewhere", sizeof(L"C:\\elsewhere"), REG_SZ);
  std::wstring path;
  ASSERT_TRUE(GetRepairToolPath(path));
  EXPECT_EQ(path, host.dir() + L"\\ZRDRepair.exe");
  EXPECT_FALSE(IsHostInstalled()) << "the check itself always reads the registry";
}

TEST(HostPaths, EmptyLocationIsReadAgainEachTime) {
  HostRegistry reg(L"", L"Lumidex.exe");
  std::wstring path;
  ASSERT_TRUE(GetDBCorePath(path));
  EXPECT_EQ(path, L"\\LXDBCoreplus.dll");
  HostRegistry::SetRaw(HostRegistry::kLocation, L"D:\\x", sizeof(L"D:\\x"), REG_SZ);
  ASSERT_TRUE(GetDBCorePath(path)) << "an empty text does not fill the cache";
  EXPECT_EQ(path, L"D:\\x\\LXDBCoreplus.dll");
}

TEST(HostPaths, DictDataDirCreatesMissingParentsOnlyWhenAsked) {
  FakeHost host{FolderOnly()};
  ASSERT_TRUE(testsupport::RemoveTree(host / L"plugin"));
  HostRegistry reg(host.dir().c_str(), L"Lumidex.exe");
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
}  // namespace testsupport
