// The signed release under Wine: the wizard and library that release_reproducible built and
// signed (left in bin\release-signed) still run. The wizard, with no host installed, shows its
// page for a missing host and opens the download page the release was built with; the library
// loads and parses a date.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <string>

#include "probe/vintora_exports.h"
#include "tests/support/expected_texts.h"
#include "tests/support/fake_host.h"
#include "tests/support/files.h"
#include "tests/support/wizard_run.h"
#include "tests/wizard/url_recorder.h"
#include "wizard/res/resource.h"

namespace {

std::wstring SignedFile(const wchar_t* name) { return testsupport::ExeDir() + L"release-signed\\" + name; }

// The size of the certificate table, where an Authenticode signature lives; 0 when unsigned.
DWORD CertificateTableBytes(const std::wstring& path) {
  std::string file;
  if (!testsupport::ReadFileBytes(path, file) || file.size() < sizeof(IMAGE_DOS_HEADER)) return 0;
  IMAGE_DOS_HEADER dos;
  std::memcpy(&dos, file.data(), sizeof(dos));
  const size_t at = static_cast<size_t>(dos.e_lfanew);
  IMAGE_NT_HEADERS32 nt;
  if (at + sizeof(nt) > file.size()) return 0;
  std::memcpy(&nt, file.data() + at, sizeof(nt));
  if (nt.Signature != IMAGE_NT_SIGNATURE || nt.OptionalHeader.Magic != IMAGE_NT_OPTIONAL_HDR32_MAGIC) return 0;
  return nt.OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_SECURITY].Size;
}

std::wstring ReleaseUrl() {
  wchar_t url[1024] = {};
  const DWORD length = GetEnvironmentVariableW(L"PAKORRA_RELEASE_URL", url, 1024);
  return length > 0 && length < 1024 ? url : L"";
}

TEST(SignedRelease, WizardShowsTheMissingHostPageAndOpensItsDownloadPage) {
  const std::wstring exe = SignedFile(L"pakorra.exe");
  ASSERT_GT(CertificateTableBytes(exe), 0u) << "not the signed wizard: " << testsupport::Narrow(exe);
  const std::wstring expectedUrl = ReleaseUrl();
  ASSERT_FALSE(expectedUrl.empty()) << "PAKORRA_RELEASE_URL is not set";
  testsupport::HostRegistry::Remove();

  wizardtest::UrlRecorder recorder;
  testsupport::WizardRun run;
  ASSERT_NE(run.StartAndWait(exe), nullptr) << "no wizard dialog " << run.StartFailure();
  EXPECT_EQ(run.Page(), testsupport::WizardPage::HostMissing);
  EXPECT_EQ(testsupport::WindowText(run.Control(IDC_BTN_MAINDLG_DOWNLOAD)), expected::kDownload);

  run.Click(IDC_BTN_MAINDLG_DOWNLOAD);
  EXPECT_EQ(run.ExitCodeWithin(20000), 1u);
  std::wstring url;
  EXPECT_TRUE(recorder.WaitForUrl(url, 20000));
  EXPECT_EQ(url, expectedUrl) << "the download page the release was built with";
}

TEST(SignedRelease, ProbeLibraryLoadsAndParsesADate) {
  const std::wstring dll = SignedFile(L"vintora.dll");
  ASSERT_GT(CertificateTableBytes(dll), 0u) << "not the signed library: " << testsupport::Narrow(dll);
  HMODULE library = LoadLibraryW(dll.c_str());
  ASSERT_NE(library, nullptr) << GetLastError();
  for (const char* name : {"init_dbcore", "get_dict_datetime", "compare_date", "string_to_date"}) {
    EXPECT_NE(GetProcAddress(library, name), nullptr) << name;
  }
  const auto parse =
      reinterpret_cast<StringToDateFn>(reinterpret_cast<void*>(GetProcAddress(library, "string_to_date")));
  ASSERT_NE(parse, nullptr);
  wchar_t text[] = L"2009.11.13";
  DictDate date = {};
  EXPECT_TRUE(parse(text, &date));
  EXPECT_EQ(date.year, 2009u);
  EXPECT_EQ(date.month, 11u);
  EXPECT_EQ(date.day, 13u);
  FreeLibrary(library);
}

}  // namespace
