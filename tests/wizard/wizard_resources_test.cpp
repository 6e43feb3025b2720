// The resources and image layout of the built pakorra.exe, read from the file itself: what of
// the dialog template the code and the user rely on (ids, tab order, the styles that decide
// behaviour; not its coordinates), the icon group, the version, the manifest and the shared
// data section.
#include <windows.h>
// After windows.h:
#include <commctrl.h>
#include <gtest/gtest.h>

#include <cstring>
#include <cwchar>
#include <set>
#include <string>
#include <vector>

#include "pakorra_version.h"
#include "tests/support/files.h"
#include "tests/support/window_picture.h"
#include "wizard/res/resource.h"

namespace {

std::wstring WizardExe() { return testsupport::BuiltFile(L"pakorra.exe"); }

class WizardImage : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    module_ = LoadLibraryExW(WizardExe().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
  }
  static void TearDownTestSuite() {
    if (module_) FreeLibrary(module_);
    module_ = nullptr;
  }
  void SetUp() override { ASSERT_NE(module_, nullptr) << "cannot load " << testsupport::Narrow(WizardExe()); }

  static std::vector<uint8_t> Resource(LPCWSTR type, LPCWSTR name) {
    HRSRC found = FindResourceW(module_, name, type);
    if (!found) return {};
    HGLOBAL loaded = LoadResource(module_, found);
    const auto* bytes = static_cast<const uint8_t*>(LockResource(loaded));
    return std::vector<uint8_t>(bytes, bytes + SizeofResource(module_, found));
  }

  static HMODULE module_;
};

HMODULE WizardImage::module_ = nullptr;

// Reads the extended dialog template field by field.
class TemplateReader {
 public:
  explicit TemplateReader(const std::vector<uint8_t>& bytes) : bytes_(bytes) {}
  template <class T>
  T Get() {
    T value{};
    if (at_ + sizeof(T) > bytes_.size()) {
      failed = true;
      return value;
    }
    std::memcpy(&value, bytes_.data() + at_, sizeof(T));
    at_ += sizeof(T);
    return value;
  }
  std::wstring String() {
    std::wstring text;
    for (wchar_t c; (c = static_cast<wchar_t>(Get<uint16_t>())) != 0 && !failed;) text.push_back(c);
    return text;
  }
  // A name or an ordinal: "#<number>" for an ordinal, "" for none.
  std::wstring NameOrOrdinal() {
    const uint16_t first = Get<uint16_t>();
    if (first == 0) return L"";
    if (first == 0xFFFF) return L"#" + std::to_wstring(Get<uint16_t>());
    std::wstring text(1, static_cast<wchar_t>(first));
    return text + String();
  }
  void AlignToDword() { at_ = (at_ + 3) & ~static_cast<size_t>(3); }
  void Skip(size_t bytes) { at_ += bytes; }
  bool failed = false;

 private:
  const std::vector<uint8_t>& bytes_;
  size_t at_ = 0;
};

struct TemplateControl {
  uint32_t id;
  std::wstring className;
  uint32_t style;
};

// Template order is the tab order. Predefined classes are stored as atoms: 0x80 button, 0x82
// static, 0x83 list box.
TEST_F(WizardImage, DialogTemplateHoldsTheControlsTheCodeAndTheUserRelyOn) {
  const std::vector<uint8_t> bytes = Resource(RT_DIALOG, MAKEINTRESOURCEW(IDD_MAINDLG));
  ASSERT_FALSE(bytes.empty());
  TemplateReader in(bytes);
  EXPECT_EQ(in.Get<uint16_t>(), 1) << "extended template";
  EXPECT_EQ(in.Get<uint16_t>(), 0xFFFF);
  in.Skip(2 * sizeof(uint32_t));  // help id, extended style
  const uint32_t dialogStyle = in.Get<uint32_t>();
  EXPECT_EQ(dialogStyle & WS_VISIBLE, 0u) << "hidden until the start-up check has chosen a page";
  EXPECT_EQ(dialogStyle & (WS_CAPTION | WS_SYSMENU), static_cast<uint32_t>(WS_CAPTION | WS_SYSMENU));
  EXPECT_EQ(dialogStyle & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME), 0u) << "a fixed dialog";
  const uint16_t count = in.Get<uint16_t>();
  in.Skip(4 * sizeof(int16_t));  // position and size
  in.NameOrOrdinal();            // menu
  in.NameOrOrdinal();            // class
  in.String();                   // caption, replaced at run time
  if (dialogStyle & DS_SETFONT) {
    in.Skip(2 * sizeof(uint16_t) + 2);
    in.String();
  }

  std::vector<TemplateControl> controls;
  for (uint16_t i = 0; i < count && !in.failed; ++i) {
    in.AlignToDword();
    TemplateControl c;
    in.Skip(2 * sizeof(uint32_t));  // help id, extended style
    c.style = in.Get<uint32_t>();
    in.Skip(4 * sizeof(int16_t));  // position and size
    c.id = in.Get<uint32_t>();
    c.className = in.NameOrOrdinal();
    in.NameOrOrdinal();  // placeholder text
    in.Skip(in.Get<uint16_t>());
    controls.push_back(c);
  }
  ASSERT_FALSE(in.failed);
  // Every control starts a visible child: the pages hide and show from there. The buttons are
  // plain push buttons, none the default one (Enter on another control must become IDOK); the
  // check box ticks itself; the status list scrolls.
  const uint32_t button = BS_PUSHBUTTON | WS_TABSTOP;
  const std::vector<TemplateControl> expected = {
      {IDC_STC_MAINDLG_TIPINFO, L"#130", 0},
      {IDC_PRG_MAINDLG_PROGRESS, L"msctls_progress32", 0},
      {IDC_BTN_MAINDLG_NEXT, L"#128", button},
      {IDC_BTN_MAINDLG_DOWNLOAD, L"#128", button},
      {IDC_BTN_MAINDLG_CLOSE, L"#128", button},
      {IDC_LST_MAINDLG_STATUS, L"#131", WS_VSCROLL | WS_TABSTOP},
      {IDC_CHK_MAINDLG_RUNHOST, L"#128", BS_AUTOCHECKBOX | WS_TABSTOP},
  };
  ASSERT_EQ(controls.size(), expected.size());
  for (size_t i = 0; i < expected.size(); ++i) {
    const TemplateControl& got = controls[i];
    const TemplateControl& want = expected[i];
    SCOPED_TRACE("control " + std::to_string(want.id));
    EXPECT_EQ(got.id, want.id);
    // Class names are matched without case by the system; the resource compiler may store a
    // named class in capitals.
    EXPECT_EQ(lstrcmpiW(got.className.c_str(), want.className.c_str()), 0) << testsupport::Narrow(got.className);
    const uint32_t required = WS_CHILD | WS_VISIBLE | want.style;
    EXPECT_EQ(got.style & required, required);
    if (want.className == L"#128") {
      EXPECT_EQ(got.style & BS_TYPEMASK, want.style & BS_TYPEMASK);
    }
  }
}

// The sizes the shell shows a program's icon at, each image as its directory entry says.
TEST_F(WizardImage, IconGroupHoldsTheShellsSizes) {
  const std::vector<uint8_t> group = Resource(RT_GROUP_ICON, MAKEINTRESOURCEW(IDR_MAINFRAME));
  ASSERT_GE(group.size(), 6u);
  TemplateReader in(group);
  EXPECT_EQ(in.Get<uint16_t>(), 0);
  EXPECT_EQ(in.Get<uint16_t>(), 1) << "icons";
  const uint16_t count = in.Get<uint16_t>();
  std::set<int> sizes;
  for (int i = 0; i < count && !in.failed; ++i) {
    const int width = in.Get<uint8_t>();
    const int height = in.Get<uint8_t>();
    in.Skip(4);  // colours, reserved, planes
    const int bits = in.Get<uint16_t>();
    in.Skip(4);  // bytes
    const uint16_t id = in.Get<uint16_t>();
    EXPECT_EQ(width, height);
    sizes.insert(width);

    const std::vector<uint8_t> image = Resource(RT_ICON, MAKEINTRESOURCEW(id));
    ASSERT_GE(image.size(), sizeof(BITMAPINFOHEADER));
    BITMAPINFOHEADER header;
    std::memcpy(&header, image.data(), sizeof(header));
    EXPECT_EQ(header.biWidth, width);
    EXPECT_EQ(header.biHeight, 2 * height) << "colour and mask";
    EXPECT_EQ(header.biBitCount, bits);
  }
  ASSERT_FALSE(in.failed);
  EXPECT_EQ(sizes, (std::set<int>{16, 32, 48}));

  if (!testsupport::GdiDrawsHere()) return;  // the images are checked above; nothing can load them here
  for (int size : sizes) {
    HANDLE icon = LoadImageW(module_, MAKEINTRESOURCEW(IDR_MAINFRAME), IMAGE_ICON, size, size, LR_DEFAULTCOLOR);
    EXPECT_NE(icon, nullptr) << size;
    if (icon) DestroyIcon(static_cast<HICON>(icon));
  }
}

TEST_F(WizardImage, ManifestAsksForAdministratorAndCommonControlsSix) {
  const std::vector<uint8_t> bytes = Resource(RT_MANIFEST, MAKEINTRESOURCEW(1));
  ASSERT_FALSE(bytes.empty());
  const std::string manifest(bytes.begin(), bytes.end());
  EXPECT_NE(manifest.find("level=\"requireAdministrator\""), std::string::npos);
  EXPECT_NE(manifest.find("uiAccess=\"false\""), std::string::npos);
  EXPECT_NE(manifest.find("name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\""), std::string::npos);
  EXPECT_NE(manifest.find(std::string("name=\"Pakorra.Wizard\" version=\"") + PAKORRA_VERSION_TEXT + "\""),
            std::string::npos)
      << "the program's own identity carries the release version";
}

// File and product version are the project's release version (1.0.0.1 unless a release says
// otherwise), in numbers and in the texts of the US English Unicode block.
TEST_F(WizardImage, VersionIsTheReleaseVersionInTheUsEnglishUnicodeBlock) {
  const uint16_t release[4] = {PAKORRA_VERSION_NUMBERS};
  const DWORD releaseMs = static_cast<DWORD>(release[0]) << 16 | release[1];
  const DWORD releaseLs = static_cast<DWORD>(release[2]) << 16 | release[3];
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeW(WizardExe().c_str(), &ignored);
  ASSERT_GT(size, 0u);
  std::vector<uint8_t> info(size);
  ASSERT_TRUE(GetFileVersionInfoW(WizardExe().c_str(), 0, size, info.data()));
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueW(info.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
  EXPECT_EQ(fixed->dwFileVersionMS, releaseMs);
  EXPECT_EQ(fixed->dwFileVersionLS, releaseLs);
  EXPECT_EQ(fixed->dwProductVersionMS, releaseMs);
  EXPECT_EQ(fixed->dwProductVersionLS, releaseLs);
  WORD* translation = nullptr;
  ASSERT_TRUE(
      VerQueryValueW(info.data(), L"\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation), &length));
  ASSERT_EQ(length, 4u);
  EXPECT_EQ(translation[0], 0x0409);
  EXPECT_EQ(translation[1], 1200);
  const std::string releaseText = PAKORRA_VERSION_TEXT;
  for (const wchar_t* name : {L"FileVersion", L"ProductVersion"}) {
    wchar_t* text = nullptr;
    const std::wstring path = std::wstring(L"\\StringFileInfo\\040904b0\\") + name;
    ASSERT_TRUE(VerQueryValueW(info.data(), path.c_str(), reinterpret_cast<void**>(&text), &length))
        << testsupport::Narrow(name);
    EXPECT_EQ(testsupport::Narrow(text), releaseText) << testsupport::Narrow(name);
  }
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
