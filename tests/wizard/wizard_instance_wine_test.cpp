// One wizard at a time on a machine: a second start, of the same program file or of any other copy,
// at any moment of the first's life, brings the first's dialog forward and ends with 0 without
// running a wizard of its own.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <cwchar>
#include <string>

#include "tests/support/child_process.h"
#include "tests/support/fake_host.h"
#include "tests/support/files.h"
#include "tests/support/wait.h"
#include "tests/support/wizard_run.h"
#include "wizard/logic/wizard_texts.h"
#include "wizard/res/resource.h"

namespace testsupport {
namespace {

// The wizard's shared section, writable, through the file mapped as an image (the section every
// start of that file shares); null when it cannot be had. `image` must be freed afterwards.
HWND* SharedSlotOf(const std::wstring& exe, HMODULE& image) {
  image = LoadLibraryExW(exe.c_str(), nullptr, LOAD_LIBRARY_AS_IMAGE_RESOURCE);
  if (image == nullptr) return nullptr;
  auto* base = reinterpret_cast<BYTE*>(reinterpret_cast<uintptr_t>(image) & ~static_cast<uintptr_t>(3));
  const auto* nt =
      reinterpret_cast<const IMAGE_NT_HEADERS*>(base + reinterpret_cast<IMAGE_DOS_HEADER*>(base)->e_lfanew);
  HWND* slot = nullptr;
  for (WORD i = 0; i < nt->FileHeader.NumberOfSections; ++i) {
    const IMAGE_SECTION_HEADER& section = IMAGE_FIRST_SECTION(nt)[i];
    if (std::strncmp(reinterpret_cast<const char*>(section.Name), "Shared_S", 8) == 0)
      slot = reinterpret_cast<HWND*>(base + section.VirtualAddress);
  }
  DWORD was = 0;
  return slot != nullptr && VirtualProtect(slot, sizeof(HWND), PAGE_READWRITE, &was) ? slot : nullptr;
}

// A foreign dialog with the wizard's title, written into the wizard's shared section by a program
// that is not the wizard though its file is named pakorra.exe: this test program, copied under that
// name into another folder and run with only this case. The wizard's path and a folder to talk in
// come in kWriterEnv; the dialog's handle goes to "ready", and it answers its messages until "stop".
constexpr const wchar_t* kWriterEnv = L"PAKORRA_TEST_SECTION_WRITER";
TEST(SharedSectionWriter, DISABLED_WritesItsDialog) {
  wchar_t value[MAX_PATH * 2] = {};
  ASSERT_GT(GetEnvironmentVariableW(kWriterEnv, value, MAX_PATH * 2), 0u);
  const std::wstring text(value), talk = text.substr(0, text.find(L'|')), exe = text.substr(text.find(L'|') + 1);
  HWND foreign = CreateWindowExW(0, L"#32770", wizard_text::kTitle, WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr,
                                 nullptr, nullptr, nullptr);
  ASSERT_NE(foreign, nullptr);
  HMODULE image = nullptr;
  HWND* slot = SharedSlotOf(exe, image);
  ASSERT_NE(slot, nullptr);
  *slot = foreign;
  ASSERT_TRUE(testsupport::WriteFileBytes(talk + L"\\ready", std::to_string(reinterpret_cast<uintptr_t>(foreign))));
  WaitUntil(
      [&] {
        for (MSG msg; PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE);) DispatchMessageW(&msg);
        return testsupport::FileExists(talk + L"\\stop");
      },
      60000);
  *slot = nullptr;
  FreeLibrary(image);
  DestroyWindow(foreign);
}

class SingleInstanceTest : public ::testing::Test {
 protected:
  void SetUp() override { testsupport::HostRegistry::Remove(); }  // the host-missing page
  WizardFolder wizard;
};

// However the user put the first dialog away, the second start brings it back.
class PutAwayTest : public SingleInstanceTest, public ::testing::WithParamInterface<int> {};

TEST_P(PutAwayTest, SecondStartShowsTheFirstDialogAndEndsWithZero) {
  WizardRun first;
  HWND dialog = first.StartAndWait(wizard.Exe());
  ASSERT_NE(dialog, nullptr);
  ShowWindow(dialog, GetParam());
  ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(dialog) || IsIconic(dialog); }, 5000));

  WizardRun second;
  ASSERT_TRUE(second.Start(wizard.Exe()));
  EXPECT_EQ(second.ExitCodeWithin(kExitWait), 0u);
  EXPECT_TRUE(WaitUntil([&] { return IsWindowVisible(dialog) && !IsIconic(dialog); }, 5000))
      << "the first dialog is shown again";
  EXPECT_TRUE(first.Running());

  first.Click(IDC_BTN_MAINDLG_CLOSE);
  EXPECT_EQ(first.ExitCodeWithin(kExitWait), 1u);
}

INSTANTIATE_TEST_SUITE_P(HiddenOrMinimised, PutAwayTest, ::testing::Values(SW_HIDE, SW_MINIMIZE));

// The first wizard is still in its start-up check (its "fail" box is up, its dialog not yet
// published) while a second start waits; once the first has ended, the second runs as the wizard
// itself (here its own start-up check fails the same way).
class DuringTheStartUpCheckTest : public SingleInstanceTest {
 protected:
  // The host stays registered: the check gets as far as the broken package.
  void SetUp() override { ASSERT_TRUE(testsupport::WriteFileBytes(wizard / L"broken.dir", "no container")); }

  // The first start, held by its box.
  bool StartFirst() { return first.Start(wizard.Exe()) && (box = first.WaitForMessageBox(nullptr)) != nullptr; }
  // The first's box answered: the first ends with 2, then the second shows its own box.
  void FirstEndsThenSecondRuns() {
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    EXPECT_EQ(first.ExitCodeWithin(kExitWait), 2u);
    HWND secondBox = second.WaitForMessageBox(nullptr, 10000);
    ASSERT_NE(secondBox, nullptr) << "the second start takes over once the first has ended";
    PostMessageW(secondBox, WM_COMMAND, IDOK, 0);
    EXPECT_EQ(second.ExitCodeWithin(kExitWait), 2u);
  }

  FakeHost host;
  WizardRun first, second;
  HWND box = nullptr;
};

TEST_F(DuringTheStartUpCheckTest, SecondStartWaitsShowingNothingThenRuns) {
  ASSERT_TRUE(StartFirst());
  ASSERT_TRUE(second.Start(wizard.Exe()));
  Sleep(3000);
  EXPECT_TRUE(second.Running()) << "the second start waits for the first";
  EXPECT_EQ(testsupport::FindProcessWindow(second.pid()), nullptr) << "the second start runs a wizard of its own";
  FirstEndsThenSecondRuns();
}

// Any program can map the wizard's file and write a window of its own into the shared section,
// even a dialog with the wizard's title. A second start during the first's start-up check shows
// nothing of it and waits; once the first has ended, it runs.
TEST_F(DuringTheStartUpCheckTest, ForeignWindowInTheSharedSectionIsNotBroughtForward) {
  HWND foreign = CreateWindowExW(0, L"#32770", wizard_text::kTitle, WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr,
                                 nullptr, nullptr, nullptr);
  ASSERT_NE(foreign, nullptr);
  HMODULE image = nullptr;
  HWND* slot = SharedSlotOf(wizard.Exe(), image);
  ASSERT_NE(slot, nullptr);
  ASSERT_TRUE(StartFirst());
  *slot = foreign;
  ASSERT_TRUE(second.Start(wizard.Exe()));
  // This thread answers the foreign window's messages meanwhile, so that showing it cannot block.
  const auto shownOrEnded = [&] {
    for (MSG msg; PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE);) DispatchMessageW(&msg);
    return IsWindowVisible(foreign) || !second.Running();
  };
  EXPECT_FALSE(WaitUntil(shownOrEnded, 3000)) << "the foreign window was shown, or the second start ended";
  FirstEndsThenSecondRuns();
  EXPECT_FALSE(IsWindowVisible(foreign));
  *slot = nullptr;
  FreeLibrary(image);
  DestroyWindow(foreign);
}

// The same window written by a program named pakorra.exe in another folder, which is not the
// wizard's file: the second start shows nothing of it. (Every process is elevated under Wine, so
// this is the file identity at work.)
TEST_F(DuringTheStartUpCheckTest, NamesakeProgramsWindowIsNotBroughtForward) {
  testsupport::ScratchDir elsewhere{L"namesake"}, talk{L"talk"};
  const std::wstring namesake = elsewhere / L"pakorra.exe";
  wchar_t self[MAX_PATH * 2] = {};
  ASSERT_GT(GetModuleFileNameW(nullptr, self, MAX_PATH * 2), 0u);
  ASSERT_TRUE(CopyFileW(self, namesake.c_str(), TRUE));
  ASSERT_TRUE(StartFirst());
  ASSERT_TRUE(SetEnvironmentVariableW(kWriterEnv, (talk.path() + L"|" + wizard.Exe()).c_str()));
  testsupport::ChildProcess writer;
  ASSERT_TRUE(writer.Start(namesake, {L"--gtest_also_run_disabled_tests", L"--gtest_filter=SharedSectionWriter.*"}));
  SetEnvironmentVariableW(kWriterEnv, nullptr);
  std::string handle;
  ASSERT_TRUE(WaitUntil([&] { return testsupport::ReadFileBytes(talk / L"ready", handle) && !handle.empty(); }, 20000));
  const HWND foreign = reinterpret_cast<HWND>(static_cast<uintptr_t>(std::stoull(handle)));
  ASSERT_TRUE(second.Start(wizard.Exe()));
  EXPECT_FALSE(WaitUntil([&] { return IsWindowVisible(foreign) || !second.Running(); }, 3000))
      << "the namesake's window was shown, or the second start ended";
  FirstEndsThenSecondRuns();
  EXPECT_FALSE(IsWindowVisible(foreign));
  ASSERT_TRUE(testsupport::WriteFileBytes(talk / L"stop", ""));
  EXPECT_EQ(writer.ExitCodeWithin(kExitWait), 0u);
}

TEST_F(SingleInstanceTest, StartAfterTheFirstHasEndedRunsTheWizard) {
  {
    WizardRun first;
    ASSERT_NE(first.StartAndWait(wizard.Exe()), nullptr);
    first.Key(VK_ESCAPE);
    EXPECT_EQ(first.ExitCodeWithin(kExitWait), 2u);
  }
  WizardRun again;
  EXPECT_NE(again.StartAndWait(wizard.Exe()), nullptr);
  again.Click(IDC_BTN_MAINDLG_CLOSE);
  EXPECT_EQ(again.ExitCodeWithin(kExitWait), 1u);
}

// One wizard per machine: a copy delivered in another folder (another program file, another
// shared section) brings the running wizard forward and ends with 0, as does a start of the same
// file through its short 8.3 path.
TEST_F(SingleInstanceTest, CopyInAnotherFolderOrAnotherSpellingBringsTheFirstForward) {
  WizardFolder other;
  WizardRun first;
  HWND dialog = first.StartAndWait(wizard.Exe());
  ASSERT_NE(dialog, nullptr);

  wchar_t shortPath[MAX_PATH] = {};
  ASSERT_NE(GetShortPathNameW(wizard.Exe().c_str(), shortPath, MAX_PATH), 0u);
  for (const std::wstring& exe : {other.Exe(), std::wstring(shortPath)}) {
    ShowWindow(dialog, SW_MINIMIZE);
    WizardRun second;
    ASSERT_TRUE(second.Start(exe)) << second.StartFailure();
    EXPECT_EQ(second.ExitCodeWithin(kExitWait), 0u) << testsupport::Narrow(exe);
    EXPECT_EQ(testsupport::FindProcessWindow(second.pid()), nullptr);
    EXPECT_TRUE(testsupport::WaitUntil([&] { return !IsIconic(dialog) && IsWindowVisible(dialog); }, 5000));
  }
  first.Click(IDC_BTN_MAINDLG_CLOSE);
  EXPECT_EQ(first.ExitCodeWithin(kExitWait), 1u);
}

// A mutex of the name earlier versions used (keyed on the program file's path), held by another
// process, stops nothing: the wizard's claim is not a name anyone could take first from the path.
TEST_F(SingleInstanceTest, MutexUnderThePathKeyedNameDoesNotStopTheWizard) {
  wchar_t path[MAX_PATH] = {};
  GetFullPathNameW(wizard.Exe().c_str(), MAX_PATH, path, nullptr);
  uint64_t hash = 1469598103934665603ull;
  for (const wchar_t* c = path; *c; ++c) {
    const wchar_t lower = *c >= L'A' && *c <= L'Z' ? static_cast<wchar_t>(*c - L'A' + L'a') : *c;
    hash = (hash ^ static_cast<uint16_t>(lower)) * 1099511628211ull;
  }
  wchar_t name[64] = {};
  swprintf(name, 64, L"Pakorra.Wizard.%016llx", static_cast<unsigned long long>(hash));
  HANDLE squatter = CreateMutexW(nullptr, TRUE, name);
  ASSERT_NE(squatter, nullptr);

  WizardRun run;
  ASSERT_TRUE(run.Start(wizard.Exe())) << run.StartFailure();
  EXPECT_NE(run.WaitForDialog(5000), nullptr) << "the wizard shows its page at once";
  run.Click(IDC_BTN_MAINDLG_CLOSE);
  EXPECT_EQ(run.ExitCodeWithin(kExitWait), 1u);
  CloseHandle(squatter);
}

}  // namespace
}  // namespace testsupport
