// The wizard's controls as the page, state and command logic sees them: a small set of
// operations that the real dialog realises with Win32 calls and tests record. Portable.
#pragma once

#include <cstdint>
#include <string>

#include "wizard/res/resource.h"

enum class WizardControl : int {
  TipInfo = IDC_STC_MAINDLG_TIPINFO,
  Progress = IDC_PRG_MAINDLG_PROGRESS,
  Next = IDC_BTN_MAINDLG_NEXT,
  Download = IDC_BTN_MAINDLG_DOWNLOAD,
  Close = IDC_BTN_MAINDLG_CLOSE,
  StatusList = IDC_LST_MAINDLG_STATUS,
  RunHost = IDC_CHK_MAINDLG_RUNHOST,
};

class WizardSurface {
 public:
  virtual void SetText(WizardControl control, const std::wstring& text) = 0;
  virtual void Show(WizardControl control) = 0;  // without activating
  virtual void Hide(WizardControl control) = 0;
  virtual void Enable(WizardControl control, bool enable) = 0;
  virtual void Tick(WizardControl control) = 0;
  virtual bool IsTicked(WizardControl control) = 0;
  // Grows or shrinks the tip text's height by 30 pixels, over or off the progress bar's place.
  virtual void ResizeTipInfo(bool grow) = 0;
  virtual void AddListLine(const std::wstring& text) = 0;
  // Scrolls the status list so that its last line is in view.
  virtual void RevealLastListLine() = 0;
  virtual void SetProgressRange(uint32_t total) = 0;  // 0 to total
  virtual void SetProgressPos(uint32_t pos) = 0;      // clamped to the range
  virtual void StepProgress() = 0;                    // by one block
  // Modal: returns once the user has closed the box. A null caption leaves the system's default.
  virtual void ShowMessageBox(const std::wstring& text, const wchar_t* caption) = 0;
  virtual void EnableSystemClose(bool enable) = 0;  // the system menu's Close item
  virtual void HideDialog() = 0;
  // Destroys the dialog and posts the quit code that becomes the exit code.
  virtual void Quit(int code) = 0;

 protected:
  ~WizardSurface() = default;
};
