// What the built pakorra.exe's image fixes for the system that starts it, read from the file
// itself: the manifest (administrator rights, common controls 6) and the section that the
// single-instance check shares between processes. The dialog template is tested on real windows
// (dialog_surface_wine_test).
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <string>

#include "tests/support/files.h"

namespace {

std::wstring WizardExe() { return testsupport::BuiltFile(L"pakorra.exe"); }

TEST(WizardImage, ManifestAsksForAdministratorAndCommonControlsSix) {
  const HMODULE image =
      LoadLibraryExW(WizardExe().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
  ASSERT_NE(image, nullptr) << "cannot load " << testsupport::Narrow(WizardExe());
  const HRSRC found = FindResourceW(image, MAKEINTRESOURCEW(1), RT_MANIFEST);
  ASSERT_NE(found, nullptr);
  const char* bytes = static_cast<const char*>(LockResource(LoadResource(image, found)));
  const std::string manifest(bytes, SizeofResource(image, found));
  FreeLibrary(image);
  EXPECT_NE(manifest.find("level=\"requireAdministrator\""), std::string::npos);
  EXPECT_NE(manifest.find("uiAccess=\"false\""), std::string::npos);
  EXPECT_NE(manifest.find("name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\""), std::string::npos);
}

// The single-instance handle lives in a section of its own, shared between the processes of the
// image: initialised data, readable, writable, shared, one handle wide, initially zero.
TEST(WizardSections, SharedSectionHoldsOneHandle) {
  std::string file;
  ASSERT_TRUE(testsupport::ReadFileBytes(WizardExe(), file));
  ASSERT_GT(file.size(), 0x40u);
  uint32_t peOffset = 0;
  std::memcpy(&peOffset, file.data() + 0x3C, 4);
  ASSERT_LT(peOffset + 24u, file.size());
  ASSERT_EQ(file.compare(peOffset, 4, std::string("PE\0\0", 4)), 0);
  IMAGE_FILE_HEADER header;
  std::memcpy(&header, file.data() + peOffset + 4, sizeof(header));
  size_t at = peOffset + 4 + sizeof(header) + header.SizeOfOptionalHeader;
  int shared = 0;
  for (int i = 0; i < header.NumberOfSections; ++i, at += sizeof(IMAGE_SECTION_HEADER)) {
    ASSERT_LE(at + sizeof(IMAGE_SECTION_HEADER), file.size());
    IMAGE_SECTION_HEADER section;
    std::memcpy(&section, file.data() + at, sizeof(section));
    const std::string name(reinterpret_cast<const char*>(section.Name),
                           strnlen(reinterpret_cast<const char*>(section.Name), 8));
    if (section.Characteristics & IMAGE_SCN_MEM_SHARED) ++shared;
    if (name != "Shared_S") continue;
    EXPECT_EQ(section.Characteristics, static_cast<DWORD>(IMAGE_SCN_CNT_INITIALIZED_DATA | IMAGE_SCN_MEM_READ |
                                                          IMAGE_SCN_MEM_WRITE | IMAGE_SCN_MEM_SHARED));
    EXPECT_EQ(section.Misc.VirtualSize, sizeof(HWND));
    ASSERT_GE(section.SizeOfRawData, sizeof(HWND));
    ASSERT_LE(section.PointerToRawData + sizeof(HWND), file.size());
    EXPECT_EQ(file.compare(section.PointerToRawData, sizeof(HWND), std::string(sizeof(HWND), '\0')), 0);
  }
  EXPECT_EQ(shared, 1) << "exactly one shared section, Shared_S";
}

}  // namespace
