#include "wizard/dialog_surface.h"

#include <commctrl.h>

#include "engine/processes/window_station.h"
#include "wizard/window_dpi.h"

namespace {

constexpr int kTipGrowth = 30;  // pixels at 96 DPI, not dialog units: the progress bar's place

// The progress messages take signed 32-bit values; a larger total stays full at its end.
int ProgressValue(uint32_t value) { return value > 0x7FFFFFFFu ? 0x7FFFFFFF : static_cast<int>(value); }

}  // namespace

HWND DialogSurface::Handle(WizardControl control) const { return GetDlgItem(dialog_, static_cast<int>(control)); }

void DialogSurface::SetText(WizardControl control, const std::wstring& text) {
  SetWindowTextW(Handle(control), text.c_str());
}

void DialogSurface::Show(WizardControl control) { ShowWindow(Handle(control), SW_SHOWNA); }
void DialogSurface::Hide(WizardControl control) { ShowWindow(Handle(control), SW_HIDE); }
void DialogSurface::Enable(WizardControl control, bool enable) { EnableWindow(Handle(control), enable); }
void DialogSurface::Tick(WizardControl control) { SendMessageW(Handle(control), BM_SETCHECK, BST_CHECKED, 0); }

bool DialogSurface::IsTicked(WizardControl control) {
  return SendMessageW(Handle(control), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void DialogSurface::ResizeTipInfo(bool grow) {
  if (tipDpi_ == 0) tipDpi_ = GetWindowDpi(dialog_);
  const int step = ScaleForDpi(kTipGrowth, tipDpi_);
  if (!MoveTipBottom(grow ? step : -step)) return;
  tipSteps_ += grow ? 1 : -1;
  tipGrowth_ += grow ? step : -step;
}

void DialogSurface::ReleaseTipGrowth() {
  if (tipGrowth_ != 0 && MoveTipBottom(-tipGrowth_)) tipGrowth_ = 0;
}

void DialogSurface::RestoreTipGrowth(UINT dpi) {
  // Also right when called twice, or after a second change: it sets the growth, never adds to it.
  tipDpi_ = dpi;
  const int growth = tipSteps_ * ScaleForDpi(kTipGrowth, dpi);
  if (MoveTipBottom(growth - tipGrowth_)) tipGrowth_ = growth;
}

bool DialogSurface::MoveTipBottom(int pixels) {
  const HWND tip = Handle(WizardControl::TipInfo);
  RECT rect;
  if (!GetWindowRect(tip, &rect)) return false;
  rect.bottom += pixels;
  POINT topLeft = {rect.left, rect.top};
  POINT bottomRight = {rect.right, rect.bottom};
  if (ScreenToClient(dialog_, &topLeft)) ScreenToClient(dialog_, &bottomRight);
  return MoveWindow(tip, topLeft.x, topLeft.y, bottomRight.x - topLeft.x, bottomRight.y - topLeft.y, TRUE) != FALSE;
}

void DialogSurface::AddListLine(const std::wstring& text) {
  SendMessageW(Handle(WizardControl::StatusList), LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

void DialogSurface::RevealLastListLine() {
  const HWND list = Handle(WizardControl::StatusList);
  const LRESULT count = SendMessageW(list, LB_GETCOUNT, 0, 0);
  if (count > 0) SendMessageW(list, LB_SETTOPINDEX, static_cast<WPARAM>(count - 1), 0);
}

void DialogSurface::SetProgressRange(uint32_t total) {
  // The 32-bit range: the 16-bit message would cut a total above 65535 blocks.
  SendMessageW(Handle(WizardControl::Progress), PBM_SETRANGE32, 0, ProgressValue(total));
}

void DialogSurface::SetProgressPos(uint32_t pos) {
  SendMessageW(Handle(WizardControl::Progress), PBM_SETPOS, static_cast<WPARAM>(ProgressValue(pos)), 0);
}

void DialogSurface::StepProgress() { SendMessageW(Handle(WizardControl::Progress), PBM_DELTAPOS, 1, 0); }

void DialogSurface::ShowMessageBox(const std::wstring& text, const wchar_t* caption) {
  // Nobody could close it: the log holds the text already.
  if (!IsInteractiveWindowStation()) return;
  MessageBoxW(dialog_, text.c_str(), caption, MB_OK);
}

void DialogSurface::EnableSystemClose(bool enable) {
  HMENU menu = GetSystemMenu(dialog_, FALSE);
  if (menu) EnableMenuItem(menu, SC_CLOSE, MF_BYCOMMAND | (enable ? MF_ENABLED : MF_GRAYED));
}

void DialogSurface::HideDialog() { ShowWindow(dialog_, SW_HIDE); }

void DialogSurface::Quit(int code) {
  DestroyWindow(dialog_);
  PostQuitMessage(code);
}
