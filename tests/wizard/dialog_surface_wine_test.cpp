// The control surface on a real dialog made from the program's own template, in this process,
// so that what is private to the dialog's process (its system menu, its message queue) can be
// looked at too; and the template's styles that decide how the dialog behaves.
#include <windows.h>

#include "wizard/dialog_surface.h"
// After windows.h:
#include <commctrl.h>
#include <gtest/gtest.h>

#include <string>

#include "tests/support/files.h"
#include "wizard/res/resource.h"

namespace {

INT_PTR CALLBACK PlainDialogProc(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

class DialogSurfaceTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_BAR_CLASSES};
    InitCommonControlsEx(&controls);
    image_ = LoadLibraryExW(testsupport::BuiltFile(L"pakorra.exe").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  }
  static void TearDownTestSuite() {
    if (image_) FreeLibrary(image_);
  }

  void SetUp() override {
    ASSERT_NE(image_, nullptr);
    dialog = CreateDialogParamW(image_, MAKEINTRESOURCEW(IDD_MAINDLG), nullptr, PlainDialogProc, 0);
    ASSERT_NE(dialog, nullptr);
  }
  void TearDown() override {
    if (IsWindow(dialog)) DestroyWindow(dialog);
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    }
  }

  // A control of the dialog, by its template id.
  HWND Control(int id) const { return GetDlgItem(dialog, id); }
  LONG Style(HWND window) const { return GetWindowLongW(window, GWL_STYLE); }

  RECT TipRect() {
    const HWND tipInfo = Control(IDC_STC_MAINDLG_TIPINFO);
    RECT rect = {};
    GetWindowRect(tipInfo, &rect);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
  }
  bool SystemCloseGreyed() {
    return (GetMenuState(GetSystemMenu(dialog, FALSE), SC_CLOSE, MF_BYCOMMAND) & MF_GRAYED) != 0;
  }
  LRESULT Progress(UINT message, WPARAM wParam = 0) {
    return SendMessageW(Control(IDC_PRG_MAINDLG_PROGRESS), message, wParam, 0);
  }

  static HMODULE image_;
  HWND dialog = nullptr;
  DialogSurface surface{dialog};
};

HMODULE DialogSurfaceTest::image_ = nullptr;

// --- What the template fixes for the dialog's behaviour ---

// Hidden until the start-up check has chosen a page (an unattended run never shows it); a fixed
// frame with a system menu, whose Close item the running page greys.
TEST_F(DialogSurfaceTest, DialogStartsHiddenWithAFixedFrameAndASystemMenu) {
  EXPECT_FALSE(IsWindowVisible(dialog));
  EXPECT_EQ(Style(dialog) & (WS_CAPTION | WS_SYSMENU), WS_CAPTION | WS_SYSMENU);
  EXPECT_EQ(Style(dialog) & (WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX), 0);
}

// Enter on a control that is not a push button must reach the dialog as IDOK, never as a click.
TEST_F(DialogSurfaceTest, NoButtonIsTheDefaultOne) {
  for (int id : {IDC_BTN_MAINDLG_NEXT, IDC_BTN_MAINDLG_DOWNLOAD, IDC_BTN_MAINDLG_CLOSE}) {
    EXPECT_EQ(Style(Control(id)) & BS_TYPEMASK, BS_PUSHBUTTON) << id;
  }
}

// The user un-ticks the hand-off box by clicking it; the Finish button then reads it.
TEST_F(DialogSurfaceTest, RunHostBoxTicksItselfWhenClicked) {
  const HWND runHost = Control(IDC_CHK_MAINDLG_RUNHOST);
  surface.Tick(WizardControl::RunHost);
  SendMessageW(runHost, BM_CLICK, 0, 0);
  EXPECT_FALSE(surface.IsTicked(WizardControl::RunHost));
  SendMessageW(runHost, BM_CLICK, 0, 0);
  EXPECT_TRUE(surface.IsTicked(WizardControl::RunHost));
}

// --- The surface ---

TEST_F(DialogSurfaceTest, TipTextGrowsAndShrinksByThirtyPixelsKeepingItsPlace) {
  const RECT before = TipRect();
  surface.ResizeTipInfo(true);
  const RECT grown = TipRect();
  EXPECT_EQ(grown.bottom - grown.top, before.bottom - before.top + 30);
  EXPECT_EQ(grown.left, before.left);
  EXPECT_EQ(grown.top, before.top);
  EXPECT_EQ(grown.right, before.right);
  surface.ResizeTipInfo(false);
  const RECT back = TipRect();
  EXPECT_EQ(back.top, before.top);
  EXPECT_EQ(back.bottom, before.bottom);
}

TEST_F(DialogSurfaceTest, SystemMenuCloseIsGreyedAndEnabledAgain) {
  EXPECT_FALSE(SystemCloseGreyed());
  surface.EnableSystemClose(false);
  EXPECT_TRUE(SystemCloseGreyed());
  surface.EnableSystemClose(true);
  EXPECT_FALSE(SystemCloseGreyed());
}

TEST_F(DialogSurfaceTest, ProgressRangeTakesTotalsBeyondSixteenBits) {
  for (uint32_t total : {1u, 65535u, 65536u, 70000u, 0x7FFFFFFFu}) {
    surface.SetProgressRange(total);
    EXPECT_EQ(Progress(PBM_GETRANGE, FALSE), static_cast<LRESULT>(total));
    EXPECT_EQ(Progress(PBM_GETRANGE, TRUE), 0);
    surface.SetProgressPos(total);
    EXPECT_EQ(Progress(PBM_GETPOS), static_cast<LRESULT>(total)) << "ends full";
  }
  // Totals past the control's signed range stay full at their end rather than wrapping.
  surface.SetProgressRange(0xFFFFFFFFu);
  EXPECT_EQ(Progress(PBM_GETRANGE, FALSE), 0x7FFFFFFF);
  surface.SetProgressPos(0xFFFFFFFFu);
  EXPECT_EQ(Progress(PBM_GETPOS), 0x7FFFFFFF);
}

TEST_F(DialogSurfaceTest, StepsStopAtTheEnd) {
  surface.SetProgressRange(2);
  surface.SetProgressPos(0);
  for (int i = 0; i < 5; ++i) surface.StepProgress();
  EXPECT_EQ(Progress(PBM_GETPOS), 2);
}

TEST_F(DialogSurfaceTest, ListKeepsOrderAndRevealsItsLastLine) {
  const HWND statusList = Control(IDC_LST_MAINDLG_STATUS);
  for (int i = 0; i < 30; ++i) surface.AddListLine(L"第" + std::to_wstring(i) + L"行");
  EXPECT_EQ(SendMessageW(statusList, LB_GETCOUNT, 0, 0), 30);
  EXPECT_EQ(SendMessageW(statusList, LB_GETTOPINDEX, 0, 0), 0) << "adding lines does not scroll";
  wchar_t text[16] = {};
  SendMessageW(statusList, LB_GETTEXT, 29, reinterpret_cast<LPARAM>(text));
  EXPECT_STREQ(text, L"第29行");
  surface.RevealLastListLine();
  RECT item = {};
  RECT client = {};
  SendMessageW(statusList, LB_GETITEMRECT, 29, reinterpret_cast<LPARAM>(&item));
  GetClientRect(statusList, &client);
  EXPECT_GE(item.top, client.top);
  EXPECT_LE(item.bottom, client.bottom) << "the last line is in view";
}

TEST_F(DialogSurfaceTest, TextsVisibilityEnablingAndTick) {
  const HWND next = Control(IDC_BTN_MAINDLG_NEXT);
  const HWND close = Control(IDC_BTN_MAINDLG_CLOSE);
  surface.SetText(WizardControl::Download, L"下载 “甲”");
  wchar_t text[64] = {};
  GetWindowTextW(Control(IDC_BTN_MAINDLG_DOWNLOAD), text, 64);
  EXPECT_STREQ(text, L"下载 “甲”");
  surface.Hide(WizardControl::Next);
  EXPECT_FALSE(GetWindowLongW(next, GWL_STYLE) & WS_VISIBLE);
  surface.Show(WizardControl::Next);
  EXPECT_TRUE(GetWindowLongW(next, GWL_STYLE) & WS_VISIBLE);
  surface.Enable(WizardControl::Close, false);
  EXPECT_FALSE(IsWindowEnabled(close));
  surface.Enable(WizardControl::Close, true);
  EXPECT_TRUE(IsWindowEnabled(close));
  EXPECT_FALSE(surface.IsTicked(WizardControl::RunHost));
  surface.Tick(WizardControl::RunHost);
  EXPECT_TRUE(surface.IsTicked(WizardControl::RunHost));
  SendMessageW(Control(IDC_CHK_MAINDLG_RUNHOST), BM_SETCHECK, BST_UNCHECKED, 0);
  EXPECT_FALSE(surface.IsTicked(WizardControl::RunHost));
}

TEST_F(DialogSurfaceTest, QuitDestroysTheDialogAndPostsTheCode) {
  surface.Quit(2);
  EXPECT_FALSE(IsWindow(dialog));
  MSG msg = {};
  ASSERT_TRUE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(msg.wParam, 2u);
}

}  // namespace
