// The wizard on a high-DPI screen: its manifest's DPI awareness as the system reads it, the real
// program started at 144 DPI (LogPixels, which a program reads once at its start), and the real
// dialog told of a DPI change as Windows tells it when it moves to a monitor of another DPI.
// Wine 8 cannot take per-monitor v2 from a manifest (it refuses that awareness and reads no
// further down the list), but makes every program per-monitor aware by default: the program
// runs here at that default.
#include <windows.h>
// After windows.h:
#include <gtest/gtest.h>

#include <string>

#include "tests/support/container_bytes.h"
#include "tests/support/fake_host.h"
#include "tests/support/files.h"
#include "tests/support/wait.h"
#include "tests/support/window_picture.h"
#include "tests/support/wizard_run.h"
#include "wizard/logic/wizard_texts.h"
#include "wizard/res/resource.h"

namespace testsupport {
namespace {

constexpr int kTemplateHeight = 81;  // dialog units

int ControlHeight(HWND control) {
  RECT rect = {};
  GetWindowRect(control, &rect);
  return rect.bottom - rect.top;
}

// Vertical dialog units in pixels, as the dialog maps them (-1 when they cannot be told).
// MapDialogRect works only inside the dialog's process; the vertical base unit follows from the
// client height, which the template gives as 81 dialog units.
int DialogUnitsToPixelsY(HWND dialog, int dialogUnits) {
  RECT client = {};
  GetClientRect(dialog, &client);
  for (int base = 1; base < 200; ++base) {
    if (MulDiv(kTemplateHeight, base, 8) == client.bottom) return MulDiv(dialogUnits, base, 8);
  }
  return -1;
}

// The system DPI of the programs started while it lives; 96 again afterwards.
struct SystemDpi {
  explicit SystemDpi(DWORD dpi) { Set(dpi); }
  ~SystemDpi() { Set(96); }
  static void Set(DWORD dpi) {
    RegSetKeyValueW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", L"LogPixels", REG_DWORD, &dpi, sizeof(dpi));
  }
};

// A setting of the program's manifest as the system reads it at the program's start, so that an
// element in the wrong namespace is not found.
std::wstring ManifestSetting(const wchar_t* settingsNamespace, const wchar_t* name) {
  const std::wstring exe = BuiltFile(L"pakorra.exe");
  ACTCTXW request = {};
  request.cbSize = sizeof(request);
  request.dwFlags = ACTCTX_FLAG_RESOURCE_NAME_VALID;
  request.lpSource = exe.c_str();
  request.lpResourceName = CREATEPROCESS_MANIFEST_RESOURCE_ID;
  HANDLE context = CreateActCtxW(&request);
  if (context == INVALID_HANDLE_VALUE) return L"(no manifest)";
  wchar_t value[64] = {};
  const bool found = QueryActCtxSettingsW(0, context, settingsNamespace, name, value, 64, nullptr);
  ReleaseActCtx(context);
  return found ? value : L"(not set)";
}

TEST(WizardManifestTest, DeclaresPerMonitorV2WithTheSystemDpiBehindIt) {
  EXPECT_EQ(ManifestSetting(L"http://schemas.microsoft.com/SMI/2016/WindowsSettings", L"dpiAwareness"),
            L"PerMonitorV2, System");
  EXPECT_EQ(ManifestSetting(L"http://schemas.microsoft.com/SMI/2005/WindowsSettings", L"dpiAware"), L"true");
}

int TipTop(HWND dialog) {
  RECT rect = {};
  GetWindowRect(GetDlgItem(dialog, IDC_STC_MAINDLG_TIPINFO), &rect);
  MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 1);
  return rect.top;
}

class WizardDpiTest : public ::testing::Test {
 protected:
  // Starts the wizard; the tip text's growth over its template height of 23 dialog units.
  int StartAndMeasureTipGrowth() {
    EXPECT_TRUE(run.Start(wizard.Exe()));
    if (run.WaitForDialog() == nullptr) return -1;
    return ControlHeight(run.Control(IDC_STC_MAINDLG_TIPINFO)) - DialogUnitsToPixelsY(run.dialog(), 23);
  }

  WizardFolder wizard;
  WizardRun run;
};

TEST_F(WizardDpiTest, DialogFontsAndTipGrowthFollowTheSystemDpiAt144) {
  testsupport::HostRegistry::Remove();  // the page for a missing host: quick, its tip grown
  SystemDpi dpi(144);
  EXPECT_EQ(StartAndMeasureTipGrowth(), 45) << "30 pixels at 96 DPI";
  EXPECT_EQ(TipTop(run.dialog()), DialogUnitsToPixelsY(run.dialog(), 17));
  Sleep(300);
  EXPECT_TRUE(testsupport::SaveScreenshot(run.dialog(), L"dpi144_host_missing"));
  // Dialog units follow the font, made at the DPI: 81 of them high are 142 pixels at 96 DPI with
  // the template's font. A 32-bit program under Wine has no font metrics (no device contexts).
  RECT client = {};
  GetClientRect(run.dialog(), &client);
  if (testsupport::GdiDrawsHere()) {
    EXPECT_NEAR(client.bottom, 142 * 3 / 2, 142 / 10);
  }
}

// WM_DPICHANGED with its suggested window rectangle in the wizard's own memory: the message
// carries a pointer, which is not copied between processes.
void AnnounceDpi(const WizardRun& run, UINT dpi, const RECT& suggested) {
  HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_WRITE, FALSE, run.pid());
  void* remote = VirtualAllocEx(process, nullptr, sizeof(suggested), MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
  ASSERT_TRUE(WriteProcessMemory(process, remote, &suggested, sizeof(suggested), nullptr));
  SendMessageW(run.dialog(), WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(remote));
  VirtualFreeEx(process, remote, 0, MEM_RELEASE);
  CloseHandle(process);
}

TEST_F(WizardDpiTest, MovedToAnotherDpiItTakesTheSuggestedPlaceAndTheTipKeepsItsGrowthForThatDpi) {
  FakeHost host;
  ASSERT_TRUE(wizard.AddPackage(L"one.dir", {testsupport::PackageItem(L"one", L"一号词典", std::string(5000, 'x'))}));
  ASSERT_EQ(StartAndMeasureTipGrowth(), 30) << "the welcome page grows it";
  HWND tip = run.Control(IDC_STC_MAINDLG_TIPINFO);
  const int laidOut = ControlHeight(tip) - 30;  // Wine lays out no controls anew for a new DPI
  const int top = TipTop(run.dialog());
  RECT suggested = {};
  GetWindowRect(run.dialog(), &suggested);
  OffsetRect(&suggested, 40, 20);
  suggested.right += 200;
  suggested.bottom += 100;
  AnnounceDpi(run, 144, suggested);
  RECT window = {};
  GetWindowRect(run.dialog(), &window);
  EXPECT_TRUE(EqualRect(&window, &suggested)) << "moved and sized as the system suggests";
  EXPECT_TRUE(WaitUntil([&] { return ControlHeight(tip) == laidOut + 45; }, 5000)) << ControlHeight(tip);
  EXPECT_EQ(TipTop(run.dialog()), top);

  run.Click(IDC_BTN_MAINDLG_NEXT);  // shrinks it by what it has grown at this DPI
  EXPECT_TRUE(WaitUntil([&] { return WindowText(run.Control(IDC_BTN_MAINDLG_CLOSE)) == wizard_text::kFinish; }, 30000));
  EXPECT_EQ(ControlHeight(tip), laidOut);
  run.Key(VK_ESCAPE);  // ends without starting the host
  EXPECT_EQ(run.ExitCodeWithin(20000), 2u);
}

}  // namespace
}  // namespace testsupport
