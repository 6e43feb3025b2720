// The wizard's only window: a modeless dialog whose pages, commands and worker reports are
// decided by WizardLogic on the dialog's real controls. An unattended run creates the same dialog
// and never shows it; the logic then clicks for itself on it.
#pragma once

#include <windows.h>

#include "engine/install/install_messages.h"
#include "engine/install_engine.h"
#include "wizard/dialog_surface.h"
#include "wizard/framework/dialog_impl.h"
#include "wizard/framework/message_loop.h"
#include "wizard/framework/update_ui.h"
#include "wizard/install_worker.h"
#include "wizard/logic/run_log.h"
#include "wizard/logic/unattended.h"
#include "wizard/logic/wizard_automation.h"
#include "wizard/logic/wizard_environment.h"
#include "wizard/logic/wizard_logic.h"
#include "wizard/logic/wizard_state.h"
#include "wizard/res/resource.h"

class CMainDlg : public CDialogImpl<CMainDlg>,
                 public CUpdateUI<CMainDlg>,
                 public CMessageFilter,
                 public CIdleHandler,
                 private WizardEnvironment,
                 private WizardAutomation {
 public:
  enum { IDD = IDD_MAINDLG };

  // Posted by the dialog to itself on WM_DPICHANGED, so that it arrives after the dialog
  // manager has laid the controls out for the new DPI. wParam the new DPI, lParam 0; no answer.
  static constexpr UINT WM_DPI_LAYOUT_DONE = WM_APP + 1;

  // `log` may be null: no log. It must outlive the dialog.
  CMainDlg(RunMode mode, RunLog* log) : m_mode(mode), m_log(log) {}
  CMainDlg(const CMainDlg&) = delete;
  CMainDlg& operator=(const CMainDlg&) = delete;

  // clang-format off
  BEGIN_MSG_MAP(CMainDlg)
    MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
    MESSAGE_HANDLER(WM_DESTROY, OnDestroy)
    MESSAGE_RANGE_HANDLER(WM_INSTALL_START, WM_INSTALL_ABORTED, OnWorkerReport)
    MESSAGE_HANDLER(WM_COMMAND, OnCommand)
    MESSAGE_HANDLER(WM_DPICHANGED, OnDpiChanged)
    MESSAGE_HANDLER(WM_DPI_LAYOUT_DONE, OnDpiLayoutDone)
  END_MSG_MAP()

  // No control's state follows the application's: every page sets its controls itself.
  BEGIN_UPDATE_UI_MAP(CMainDlg)
  END_UPDATE_UI_MAP()
  // clang-format on

  BOOL PreTranslateMessage(MSG* msg) override;
  BOOL OnIdle() override;

  // Enables the package's dictionaries, starts the host and asks it for its dictionary manager.
  // True when the host's tray window was found.
  bool HandOffToHost() override;

  // The logic's (wizard_logic.h).
  bool QuitCode(int& code) const { return m_logic.QuitCode(code); }
  DialogEnd EndWith(int quitCode) const { return m_logic.EndWith(quitCode); }

 private:
  LRESULT OnInitDialog(UINT, WPARAM, LPARAM, BOOL&);
  LRESULT OnDestroy(UINT, WPARAM, LPARAM, BOOL&);
  // Every message of the worker (engine/install/install_messages.h), decoded into the logic's calls.
  LRESULT OnWorkerReport(UINT message, WPARAM wParam, LPARAM lParam, BOOL&);
  LRESULT OnCommand(UINT, WPARAM wParam, LPARAM, BOOL& handled);
  LRESULT OnDpiChanged(UINT, WPARAM wParam, LPARAM lParam, BOOL& handled);
  LRESULT OnDpiLayoutDone(UINT, WPARAM wParam, LPARAM, BOOL&);

  void CenterOnWorkArea();
  void SetIcons();

  // WizardEnvironment: the engine, the worker and the shell.
  bool IsHostInstalled() override;
  int GetPlannedItemCount() override;
  bool HasContainer() override;
  void GetPlanSummary(std::wstring& summary) override;
  bool GetRefusedPackageFile(std::wstring& path) override;
  uint32_t GetPlannedBlockTotal() override;
  bool StartWorker() override;
  void RepairLeftovers() override;
  void OpenDownloadPage() override;

  // WizardAutomation: an unattended run's clicks, through the dialog's own message queue.
  void PostClick(WizardControl button) override;
  void SetTicked(WizardControl checkBox, bool ticked) override;

  void Log(const std::wstring& event);

  WizardState m_nState = WizardState::Initial;
  bool m_bSingleItem = false;
  // The controls, bound at initialisation. The pages reach them through the surface, by id.
  HWND m_hTipInfo = nullptr;
  HWND m_hStatusList = nullptr;
  HWND m_hProgress = nullptr;
  HWND m_hRunHost = nullptr;
  HWND m_hNext = nullptr;
  HWND m_hDownload = nullptr;
  HWND m_hClose = nullptr;
  InstallEngine m_engine;
  InstallThreadParam m_threadParam;
  // The worker's handle, closed as soon as it is started: the worker is never waited for.
  HANDLE m_hThread = nullptr;
  RunMode m_mode;
  RunLog* m_log;

  DialogSurface m_surface{m_hWnd};
  WizardLogic m_logic{m_nState, m_bSingleItem, m_surface, *this, *this, m_log, m_mode};
};
