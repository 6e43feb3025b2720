#include "wizard/main_dlg.h"

#include "engine/host_paths.h"
#include "engine/inventory/package_seal.h"
#include "engine/processes/desktop_user_start.h"
#include "engine/processes/host_handoff.h"
#include "engine/processes/window_station.h"
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
  // Sent by the worker thread, which waits for the answer (1 lets it go on); its text is read
  // only during the send. WM_INSTALL_ABORTED alone is posted and has no answer.
  const auto text = [wParam] {
    const wchar_t* sent = reinterpret_cast<const wchar_t*>(wParam);
    return std::wstring(sent != nullptr ? sent : L"");
  };
  EntryAction action = EntryAction::Skip;
  switch (message) {
    case WM_INSTALL_START:
      m_logic.RunStarted();
      return 1;
    case WM_INSTALL_STEP:
      m_logic.Step();
      return 1;
    case WM_ITEM_START:
      if (!ReportedAction(lParam, action)) return 0;
      m_logic.ItemStarted(text(), action);
      return 1;
    case WM_ITEM_SUCCESS:
      if (!ReportedAction(lParam, action)) return 0;
      m_logic.ItemSucceeded(text(), action);
      return 1;
    case WM_ITEM_FAIL:
      if (!ReportedAction(lParam, action)) return 0;
      return m_logic.ItemFailed(text(), action) ? 1 : 0;
    case WM_UNPACK_FAIL:
      return m_logic.UnpackFailed(text()) ? 1 : 0;
    case WM_INSTALL_FINISH:
      m_logic.RunFinished(lParam > 0 ? static_cast<unsigned>(lParam) : 0);
      return 1;
    case WM_INSTALL_ABORTED:
      m_logic.RunAborted();
      return 0;
  }
  return 0;
}

LRESULT CMainDlg::OnCommand(UINT, WPARAM wParam, LPARAM, BOOL& handled) {
  intptr_t result = 0;
  if (!m_logic.OnCommand(LOWORD(wParam), HIWORD(wParam), result)) handled = FALSE;
  return result;
}

LRESULT CMainDlg::OnDpiChanged(UINT, WPARAM wParam, LPARAM lParam, BOOL& handled) {
  // Moved to a monitor of another DPI. Under per-monitor v2 the dialog manager lays out every
  // control and sets their fonts for the new DPI after this handler; the tip's growth is not part
  // of that layout, so it is taken off first and put back at the new DPI's size afterwards.
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

bool CMainDlg::GetRefusedPackageFile(std::wstring& path) { return SealRefusedFile(path); }
uint32_t CMainDlg::GetPlannedBlockTotal() { return m_engine.GetPlannedBlockTotal(); }

bool CMainDlg::StartWorker() {
  m_threadParam.hWnd = m_hWnd;
  m_threadParam.engine = &m_engine;
  DWORD threadId = 0;
  m_hThread = CreateThread(nullptr, 0, InstallThreadProc, &m_threadParam, 0, &threadId);
  if (m_hThread == nullptr) return false;
  CloseHandle(m_hThread);  // never joined: the worker reports by messages
  return true;
}

// On the dialog's thread, at an end the user confirmed: no worker is writing any more.
void CMainDlg::RepairLeftovers() { m_engine.RepairLeftovers(); }

// The browser runs as the desktop's user, never with the wizard's elevated token: when the
// desktop's shell cannot open the page, a box gives its address to copy, where a box may be shown.
void CMainDlg::OpenDownloadPage() {
  if (OpenAsDesktopUser(wizard_text::kDownloadPage, L"")) return;
  if (m_mode != RunMode::Interactive || !IsInteractiveWindowStation()) return;
  MessageBoxW(m_hWnd, FormatText(wizard_text::kDownloadPageNotOpened, wizard_text::kDownloadPage).c_str(),
              wizard_text::kTitle, MB_OK | MB_ICONINFORMATION);
}

bool CMainDlg::HandOffToHost() {
  m_engine.EnableAllDicts();  // the wait runs whether or not the host was started by it
  // Without an interactive window station no host was started, and none of the desktop's is seen.
  return IsInteractiveWindowStation() && WaitForTrayAndShowDictManager();
}

void CMainDlg::PostClick(WizardControl button) {
  const int id = static_cast<int>(button);
  PostMessageW(m_hWnd, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(m_hWnd, id)));
}

void CMainDlg::SetTicked(WizardControl checkBox, bool ticked) {
  SendDlgItemMessageW(m_hWnd, static_cast<int>(checkBox), BM_SETCHECK, ticked ? BST_CHECKED : BST_UNCHECKED, 0);
}
