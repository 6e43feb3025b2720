// The signed release under Wine: the wizard and library that release_reproducible built and
// signed (left in bin\release-signed) still run. The wizard, with no host installed, shows its
// page for a missing host and opens the download page the release was built with; the library
// loads and parses a date. Beside a package, unattended, the signed wizard takes only the library
// signed by the certificate it was built for, also when its own file is replaced, while it runs, by
// a copy signed by someone else, and only a package whose seal that certificate signed.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <string>

#include "probe/vintora_exports.h"
#include "tests/support/child_process.h"
#include "tests/support/container_bytes.h"
#include "tests/support/fake_host.h"
#include "tests/support/files.h"
#include "tests/support/sealed_package.h"
#include "tests/support/wizard_run.h"
#include "tests/wizard/url_recorder.h"
#include "wizard/logic/wizard_texts.h"
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
  EXPECT_EQ(testsupport::WindowText(run.Control(IDC_BTN_MAINDLG_DOWNLOAD)), wizard_text::kDownload);

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

// The signed wizard run with /S beside a package and each library as vintora.dll, on a host whose
// news.dic is newer than the package's: only a date read through the library tells to leave it.
struct LibraryCase {
  const char* name;
  const wchar_t* library;     // in release-signed; null: none beside the wizard
  const wchar_t* altered;     // the file with one byte of its DOS stub changed after signing; null: none
  const wchar_t* diagnostic;  // the log's line on the refusal, the path of `named` after it; null: taken
  const wchar_t* named;
  // Renamed away while the wizard runs, before it reads anything, and the look-alike (the same
  // wizard re-signed by the library's signer) put at its name.
  bool replacedWhileRunning;
};

// Starts the wizard suspended, so that its program file can be swapped before its first
// instruction, then lets it run; its exit code, or STILL_ACTIVE when it did not end in time.
DWORD RunWithProgramReplaced(const std::wstring& exe, const std::wstring& arguments, const std::wstring& lookalike,
                             std::string& failure) {
  std::wstring commandLine = testsupport::QuoteArgument(exe) + L" " + arguments;
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process = {};
  if (!CreateProcessW(exe.c_str(), &commandLine[0], nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr, nullptr,
                      &startup, &process)) {
    failure = "not started: " + std::to_string(GetLastError());
    return STILL_ACTIVE;
  }
  const std::wstring away = exe + L".genuine";
  if (!MoveFileW(exe.c_str(), away.c_str()) || !CopyFileW(lookalike.c_str(), exe.c_str(), TRUE)) {
    failure = "the running wizard's file could not be swapped: " + std::to_string(GetLastError());
  }
  ResumeThread(process.hThread);
  DWORD code = STILL_ACTIVE;
  if (WaitForSingleObject(process.hProcess, 120000) != WAIT_OBJECT_0) TerminateProcess(process.hProcess, 1);
  GetExitCodeProcess(process.hProcess, &code);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return code;
}

TEST(SignedRelease, WizardTakesOnlyALibrarySignedByItsOwnCertificate) {
  const LibraryCase cases[] = {
      {"signed alike", L"vintora.dll", nullptr, nullptr, nullptr, false},
      {"unsigned", L"vintora-unsigned.dll", nullptr, L"BindVersionProbe-2: not signed: ", L"vintora.dll", false},
      {"another signer", L"vintora-other-signer.dll", nullptr, L"BindVersionProbe-2: signed by another certificate: ",
       L"vintora.dll", false},
      {"altered", L"vintora.dll", L"vintora.dll", L"BindVersionProbe-2: signature does not hold (error 0x80096010): ",
       L"vintora.dll", false},
      // Without dates the package would replace even the newer installed copy.
      {"missing", nullptr, nullptr, L"BindVersionProbe-1: not pinned, missing: ", L"vintora.dll", false},
      {"wizard replaced by a look-alike", L"vintora-other-signer.dll", nullptr,
       L"BindVersionProbe-2: signed by another certificate: ", L"vintora.dll", true},
  };
  for (const LibraryCase& c : cases) {
    SCOPED_TRACE(c.name);
    testsupport::FakeHost host;
    const std::string installed = testsupport::FileBytes(host.AddInstalledDict(L"news.dic", "2010.01.01"));
    testsupport::WizardFolder wizard;
    for (const std::wstring& name : {std::wstring(L"vintora.dll"), std::wstring(L"pakorra.exe")}) {
      // The kit's folder may hold a library of its own: none at all for this case.
      if (name == L"vintora.dll" && c.library == nullptr) {
        DeleteFileW((wizard / name).c_str());
        continue;
      }
      std::string bytes;
      ASSERT_TRUE(testsupport::ReadFileBytes(SignedFile(name == L"vintora.dll" ? c.library : name.c_str()), bytes));
      if (c.altered != nullptr && name == c.altered) bytes[0x60] = static_cast<char>(bytes[0x60] ^ 1);
      ASSERT_TRUE(testsupport::WriteFileBytes(wizard / name, bytes));
    }
    ASSERT_TRUE(wizard.AddPackage(L"p.dir", {testsupport::PackageItem(L"news", L"新闻", "old news"),
                                             testsupport::PackageItem(L"sport", L"体育", "sport")}));
    // Sealed as the publisher seals: the library is checked for itself.
    ASSERT_TRUE(testsupport::SealPackageFolder(wizard.dir()));
    ASSERT_TRUE(testsupport::SignSealOnUnixSide(wizard.dir(), SignedFile(L"cert.pem"), SignedFile(L"key.pem"), true));

    const std::wstring log = wizard / L"run.log";
    DWORD exitCode = STILL_ACTIVE;
    std::string failure;
    if (c.replacedWhileRunning) {
      exitCode = RunWithProgramReplaced(wizard.Exe(), L"/S " + testsupport::QuoteArgument(L"/LOG=" + log),
                                        SignedFile(L"pakorra-lookalike.exe"), failure);
    } else {
      const testsupport::ChildRun run = testsupport::RunToEnd(wizard.Exe(), {L"/S", L"/LOG=" + log}, {}, 120000);
      failure = run.finished ? run.startFailure : "did not end " + run.startFailure;
      exitCode = run.exitCode;
    }
    const std::string logged = testsupport::FileBytes(log);
    ASSERT_EQ(failure, "");
    EXPECT_EQ(exitCode, c.diagnostic ? 4u : 0u) << logged;
    EXPECT_EQ(testsupport::FileBytes(host.DataDir() + L"\\news.dic"), installed) << "the newer installed copy";
    EXPECT_EQ(testsupport::FileBytes(host.DataDir() + L"\\sport.dic"), c.diagnostic ? "<missing>" : "sport");
    if (c.diagnostic != nullptr) {
      EXPECT_NE(logged.find(testsupport::Narrow(c.diagnostic + (wizard / c.named))), std::string::npos) << logged;
    }
  }
}

// The signed wizard and library with /S beside a package whose seal is missing, unsigned, signed
// by someone else, or changed after signing to vouch for an altered container: nothing is written.
// The publisher's signed seal installs, with signed attributes (openssl's default) and without.
struct SealCase {
  const char* name;
  bool sealed;
  const wchar_t* certificate;  // of the seal's signature, beside its key; null: no signature
  const wchar_t* key;
  bool signedAttributes;
  bool alteredAfterSigning;   // a container's byte and its line in the seal changed afterwards
  const wchar_t* refused;     // the file the log names; null: installed
  const char* why;
};

TEST(SignedRelease, WizardInstallsOnlyASealItsPublisherSigned) {
  const SealCase cases[] = {
      {"no seal", false, nullptr, nullptr, false, false, L"package.sha256", "missing: a signed wizard installs only"},
      {"unsigned seal", true, nullptr, nullptr, false, false, L"package.sha256.p7s", "missing"},
      {"seal by another", true, L"other-cert.pem", L"other-key.pem", true, false, L"package.sha256.p7s", "signed by another certificate"},
      {"changed after signing", true, L"cert.pem", L"key.pem", true, true, L"package.sha256.p7s",
       "signature does not hold: its message digest is not the seal's"},
      {"changed after signing, no attributes", true, L"cert.pem", L"key.pem", false, true, L"package.sha256.p7s",
       "signature does not hold (error 0x80090006)"},
      {"publisher's seal", true, L"cert.pem", L"key.pem", true, false, nullptr, nullptr},
      {"publisher's seal, no attributes", true, L"cert.pem", L"key.pem", false, false, nullptr, nullptr},
  };
  for (const SealCase& c : cases) {
    SCOPED_TRACE(c.name);
    testsupport::FakeHost host;
    testsupport::WizardFolder wizard;
    for (const wchar_t* name : {L"vintora.dll", L"pakorra.exe"}) {
      ASSERT_TRUE(CopyFileW(SignedFile(name).c_str(), (wizard / name).c_str(), FALSE));
    }
    ASSERT_TRUE(wizard.AddPackage(L"p.dir", {testsupport::PackageItem(L"news", L"新闻", "sealed news")}));
    if (c.sealed) {
      ASSERT_TRUE(testsupport::SealPackageFolder(wizard.dir()));
    }
    if (c.certificate != nullptr) {
      ASSERT_TRUE(testsupport::SignSealOnUnixSide(wizard.dir(), SignedFile(c.certificate), SignedFile(c.key),
                                                  c.signedAttributes));
    }
    if (c.alteredAfterSigning) {
      ASSERT_TRUE(wizard.AddPackage(L"p.dir", {testsupport::PackageItem(L"news", L"新闻", "altered news")}));
      const std::string signature = testsupport::FileBytes(wizard / L"package.sha256.p7s");
      ASSERT_TRUE(testsupport::SealPackageFolder(wizard.dir()));  // the line now vouches for the altered bytes
      ASSERT_EQ(testsupport::FileBytes(wizard / L"package.sha256.p7s"), signature);
    }
    const auto before = testsupport::TreeFiles(host / L"plugin");
    const std::wstring log = wizard / L"run.log";
    const testsupport::ChildRun run = testsupport::RunToEnd(wizard.Exe(), {L"/S", L"/LOG=" + log}, {}, 120000);
    const std::string logged = testsupport::FileBytes(log);
    ASSERT_TRUE(run.finished) << run.startFailure;
    EXPECT_EQ(run.exitCode, c.refused ? 4u : 0u) << logged;
    if (c.refused != nullptr) {
      EXPECT_TRUE(testsupport::TreeFiles(host / L"plugin") == before) << "the host's folders changed";
      EXPECT_NE(logged.find(testsupport::Narrow(wizard / c.refused) + ": " + c.why), std::string::npos) << logged;
    } else {
      EXPECT_EQ(testsupport::FileBytes(host.DataDir() + L"\\news.dic"), "sealed news") << logged;
    }
  }
}

}  // namespace
