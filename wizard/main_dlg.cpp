#include "wizard/main_dlg.h"

#include "engine/desktop_user_start.h"
#include "engine/host_handoff.h"
#include "engine/host_paths.h"
#include "engine/install_run.h"
#include "engine/window_station.h"
#include "wizard/framework/app_module.h"
#include "wizard/logic/plan_description.h"
#include "wizard/logic/run_log_texts.h"
#include "wizard/logic/text_format.h"
#include "wizard/logic/wizard_texts.h"

BOOL CMainDlg::PreTranslateMessage(MSG* msg) { return IsDialogMessageW(m_hWnd, msg); }

BOOL CMainDlg::OnIdle() { return FALSE; }

LRESULT CMainDlg::OnInitDialog(UINT, WPARAM, LPARAM, BOOL&) {
  CenterOnWorkArea();
  SetIcons();

  if (CMessageLoop* loop = g_module.GetMessageLoop()) {
    loop->AddMessageFilter(this);
    loop->AddIdleHandler(this);
  }

  m_hTipInfo = GetDlgItem(m_hWnd, IDC_STC_MAINDLG_TIPINFO);
  m_hStatusList = GetDlgItem(m_hWnd, IDC_LST_MAINDLG_STATUS);
  m_hProgress = GetDlgItem(m_hWnd, IDC_PRG_MAINDLG_PROGRESS);
  m_hRunHost = GetDlgItem(m_hWnd, IDC_CHK_MAINDLG_RUNHOST);
  m_hNext = GetDlgItem(m_hWnd, IDC_BTN_MAINDLG_NEXT);
  m_hDownload = GetDlgItem(m_hWnd, IDC_BTN_MAINDLG_DOWNLOAD);
  m_hClose = GetDlgItem(m_hWnd, IDC_BTN_MAINDLG_CLOSE);

  SetWindowTextW(m_hWnd, wizard_text::kTitle);
  m_logic.CheckEnvironment();
  return TRUE;  // the dialog manager sets the initial focus
}

LRESULT CMainDlg::OnDestroy(UINT, WPARAM, LPARAM, BOOL&) {
  if (CMessageLoop* loop = g_module.GetMessageLoop()) {
    loop->RemoveMessageFilter(this);
    loop->RemoveIdleHandler(this);
  }
  return 0;
}

LRESULT CMainDlg::OnWorkerReport(UINT message, WPARAM wParam, LPARAM lParam, BOOL&) {
  // Sent by the worker thread, which waits for this answer.
  return m_logic.OnWorkerReport(message, reinterpret_cast<const wchar_t*>(wParam), static_cast<intptr_t>(lParam));
}

LRESULT CMainDlg::OnInstallAborted(UINT, WPARAM, LPARAM, BOOL&) {
  m_logic.OnInstallAborted();
  return 0;
}

LRESULT CMainDlg::OnCommand(UINT, WPARAM wParam, LPARAM, BOOL& handled) {
  intptr_t result = 0;
  if (!m_logic.OnCommand(LOWORD(wParam), HIWORD(wParam), result)) handled = FALSE;
  return result;
}

LRESULT CMainDlg::OnDpiChanged(UINT, WPARAM wParam, LPARAM lParam, BOOL& handled) {
  // Moved to a monitor of another DPI. Under per-monitor v2 the dialog manager then lays out
  // every control and sets their fonts for the new DPI, in its default processing after this
  // handler; the tip's growth is not part of that layout, so it is taken off first and put back
  // at the new DPI's size once the layout is done.
  m_surface.ReleaseTipGrowth();
  const RECT& suggested = *reinterpret_cast<const RECT*>(lParam);
  SetWindowPos(m_hWnd, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
               suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
  PostMessageW(m_hWnd, WM_DPI_LAYOUT_DONE, HIWORD(wParam), 0);
  handled = FALSE;
  return 0;
}

LRESULT CMainDlg::OnDpiLayoutDone(UINT, WPARAM wParam, LPARAM, BOOL&) {
  m_surface.RestoreTipGrowth(static_cast<UINT>(wParam));
  return 0;
}

void CMainDlg::CenterOnWorkArea() {
  RECT work;
  RECT window;
  if (!SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0) || !GetWindowRect(m_hWnd, &window)) return;
  const LONG width = window.right - window.left;
  const LONG height = window.bottom - window.top;
  LONG x = work.left + (work.right - work.left - width) / 2;
  LONG y = work.top + (work.bottom - work.top - height) / 2;
  // Inside the work area, its top-left corner first when the dialog is larger.
  if (x + width > work.right) x = work.right - width;
  if (y + height > work.bottom) y = work.bottom - height;
  if (x < work.left) x = work.left;
  if (y < work.top) y = work.top;
  SetWindowPos(m_hWnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CMainDlg::SetIcons() {
  const HINSTANCE instance = g_module.GetModuleInstance();
  HANDLE big = LoadImageW(instance, MAKEINTRESOURCEW(IDR_MAINFRAME), IMAGE_ICON, GetSystemMetrics(SM_CXICON),
                          GetSystemMetrics(SM_CYICON), LR_DEFAULTCOLOR);
  if (big) SendMessageW(m_hWnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big));
  HANDLE small = LoadImageW(instance, MAKEINTRESOURCEW(IDR_MAINFRAME), IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                            GetSystemMetrics(SM_CYSMICON), LR_DEFAULTCOLOR);
  if (small) SendMessageW(m_hWnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small));
}

void CMainDlg::Log(const std::wstring& event) {
  if (m_log != nullptr) m_log->Write(event);
}

bool CMainDlg::IsHostInstalled() {
  // Why the host is missing, the check's own diagnostics tell.
  if (!::IsHostInstalled()) return false;
  std::wstring exe;
  if (GetHostExePath(exe)) Log(FormatText(log_text::kHostFound, exe.c_str()));
  return true;
}

int CMainDlg::GetPlannedItemCount() {
  const int planned = m_engine.GetPlannedItemCount();
  if (planned >= 0 && m_log != nullptr) {
    std::vector<std::wstring> lines;
    DescribePlan(m_engine.packageFiles, m_engine.installedDicts, lines);
    for (const std::wstring& line : lines) m_log->Write(line);
  }
  return planned;
}

bool CMainDlg::HasContainer() { return !m_engine.packageFiles.empty(); }

void CMainDlg::GetPlanSummary(std::wstring& summary) { m_engine.GetPlanSummary(summary); }
uint32_t CMainDlg::GetPlannedBlockTotal() { return m_engine.GetPlannedBlockTotal(); }

bool CMainDlg::StartWorker() {
  m_threadParam.hWnd = m_hWnd;
  m_threadParam.engine = &m_engine;
  DWORD threadId = 0;
  const HANDLE thread = CreateThread(nullptr, 0, InstallThreadProc, &m_threadParam, 0, &threadId);
  if (thread == nullptr) return false;
  CloseHandle(thread);  // never joined: the worker reports by messages
  return true;
}

// The browser runs as the desktop's user, not with the wizard's elevated token.
void CMainDlg::OpenDownloadPage() { OpenAsDesktopUser(wizard_text::kDownloadPage, L""); }

bool CMainDlg::HandOffToHost() {
  m_engine.EnableAllDicts();  // the wait runs whether or not the host was started by it
  // Without an interactive window station no host was started, and none of the desktop's is seen.
  if (!IsInteractiveWindowStation()) return false;
  return WaitForTrayAndShowDictManager();
}

void CMainDlg::PostClick(WizardControl button) {
  const int id = static_cast<int>(button);
  PostMessageW(m_hWnd, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(m_hWnd, id)));
}

void CMainDlg::SetTicked(WizardControl checkBox, bool ticked) {
  SendDlgItemMessageW(m_hWnd, static_cast<int>(checkBox), BM_SETCHECK, ticked ? BST_CHECKED : BST_UNCHECKED, 0);
}
