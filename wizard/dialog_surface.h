// The wizard's control surface realised on the dialog's real controls.
#pragma once

#include <windows.h>

#include "wizard/logic/wizard_surface.h"

class DialogSurface final : public WizardSurface {
 public:
  // The dialog's own window handle, set while it is created and cleared when it is destroyed; the
  // surface reads it at each call and finds each control by its id.
  explicit DialogSurface(const HWND& dialog) : dialog_(dialog) {}

  void SetText(WizardControl control, const std::wstring& text) override;
  void Show(WizardControl control) override;
  void Hide(WizardControl control) override;
  void Enable(WizardControl control, bool enable) override;
  void Tick(WizardControl control) override;
  bool IsTicked(WizardControl control) override;
  // Grows or shrinks the tip text by 30 pixels at 96 DPI, scaled to the dialog's DPI.
  void ResizeTipInfo(bool grow) override;
  void AddListLine(const std::wstring& text) override;
  void RevealLastListLine() override;
  void SetProgressRange(uint32_t total) override;
  void SetProgressPos(uint32_t pos) override;
  void StepProgress() override;
  void ShowMessageBox(const std::wstring& text, const wchar_t* caption) override;
  void EnableSystemClose(bool enable) override;
  void HideDialog() override;
  void Quit(int code) override;

  // Around a change of the dialog's DPI: the tip's growth is taken off before the controls are
  // laid out for the new DPI, and put back afterwards at that DPI's size, so that the growth is
  // always what a shrink at the current DPI takes off again.
  void ReleaseTipGrowth();
  void RestoreTipGrowth(UINT dpi);

 private:
  HWND Handle(WizardControl control) const;
  bool MoveTipBottom(int pixels);

  const HWND& dialog_;

  UINT tipDpi_ = 0;    // the DPI the tip's growth is sized for; 0 until it first grows or shrinks
  int tipSteps_ = 0;   // grows less shrinks
  int tipGrowth_ = 0;  // pixels the tip is now taller than laid out
};
