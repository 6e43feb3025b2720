// Simulated host application. Started by the shell without arguments, so its options come from
// hostapp.ini beside it:
//
//   [hostapp]
//   tray=1              0: never show the tray window
//   tray_delay_ms=0     create the tray window this long after the start
//   lifetime_ms=0       end by itself after this long (0: run until closed or terminated)
//
// It owns one hidden top-level window that answers the registered message
// "ShowDictManagerWindow_MsgName"; that window is titled "LXTray" once the tray is up (before
// that, or without a tray, "LXHost", so that a broadcast reaching a host without tray is still
// seen). The message shows the dictionary manager "词典管理", listing the dictionaries of the
// host's configuration file. Each step is recorded in hostapp.log beside the executable, starting
// with the program that started it and the working folder it was given.
#include <windows.h>

#include <string>
#include <vector>

#include "simhost/zrdsvc/run_log.h"
#include "simhost/zrdsvc/start_record.h"

namespace {

constexpr const wchar_t* kLogName = L"hostapp.log";
constexpr const wchar_t* kOptionsName = L"hostapp.ini";
constexpr const wchar_t* kConfigRelative = L"plugin\\localquery\\localquerydictcfg.ini";
constexpr const wchar_t* kTrayTitle = L"LXTray";
constexpr const wchar_t* kHiddenTitle = L"LXHost";
constexpr const wchar_t* kManagerTitle = L"词典管理";
constexpr const wchar_t* kListenerClass = L"PakorraSimHostListener";
constexpr const wchar_t* kManagerClass = L"PakorraSimHostDictManager";
constexpr UINT_PTR kTrayTimer = 1;
constexpr UINT_PTR kLifetimeTimer = 2;

UINT showManagerMessage = 0;
HWND managerWindow = nullptr;
HWND managerList = nullptr;

struct DictLine {
  std::wstring id;
  std::wstring name;
  std::wstring enable;
};

std::wstring ReadValue(const std::wstring& file, const std::wstring& section, const wchar_t* key) {
  wchar_t value[260] = {};
  GetPrivateProfileStringW(section.c_str(), key, L"", value, 260, file.c_str());
  return value;
}

std::vector<DictLine> ReadDictionaries() {
  const std::wstring config = RunningExeDir() + kConfigRelative;
  std::vector<wchar_t> names(32768);
  const DWORD length = GetPrivateProfileSectionNamesW(names.data(), static_cast<DWORD>(names.size()), config.c_str());
  std::vector<DictLine> dicts;
  for (DWORD at = 0; at < length && names[at] != L'\0';) {
    const std::wstring section(&names[at]);
    at += static_cast<DWORD>(section.size()) + 1;
    dicts.push_back({section, ReadValue(config, section, L"desc_name"), ReadValue(config, section, L"enable")});
  }
  return dicts;
}

void ShowDictManager(HINSTANCE instance) {
  if (managerWindow == nullptr) {
    managerWindow = CreateWindowExW(0, kManagerClass, kManagerTitle, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT,
                                    480, 320, nullptr, nullptr, instance, nullptr);
    managerList = CreateWindowExW(WS_EX_CLIENTEDGE, L"LISTBOX", nullptr, WS_CHILD | WS_VISIBLE | WS_VSCROLL, 8, 8, 448,
                                  260, managerWindow, nullptr, instance, nullptr);
    SendMessageW(managerList, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), TRUE);
  }
  SendMessageW(managerList, LB_RESETCONTENT, 0, 0);
  const std::vector<DictLine> dicts = ReadDictionaries();
  int enabled = 0;
  for (const DictLine& dict : dicts) {
    const bool on = dict.enable == L"1";
    enabled += on ? 1 : 0;
    const std::wstring line =
        (dict.name.empty() ? dict.id : dict.name) + L"  [" + dict.id + L"]  " + (on ? L"已启用" : L"未启用");
    SendMessageW(managerList, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.c_str()));
  }
  ShowWindow(managerWindow, SW_SHOWNORMAL);
  SetForegroundWindow(managerWindow);
  AppendRunLog(kLogName, L"dict manager shown, " + std::to_wstring(dicts.size()) + L" dictionaries, " +
                             std::to_wstring(enabled) + L" enabled");
  for (const DictLine& dict : dicts) AppendRunLog(kLogName, L"dictionary " + dict.id + L" enable=" + dict.enable);
}

LRESULT CALLBACK ListenerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message != 0 && message == showManagerMessage) {
    ShowDictManager(reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(window, GWLP_HINSTANCE)));
    return 0;
  }
  switch (message) {
    case WM_TIMER:
      KillTimer(window, wParam);
      if (wParam == kTrayTimer) {
        SetWindowTextW(window, kTrayTitle);
        AppendRunLog(kLogName, L"tray window up");
      } else if (wParam == kLifetimeTimer) {
        AppendRunLog(kLogName, L"lifetime over");
        DestroyWindow(window);
      }
      return 0;
    case WM_CLOSE:
      DestroyWindow(window);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcW(window, message, wParam, lParam);
  }
}

LRESULT CALLBACK ManagerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_CLOSE) {
    ShowWindow(window, SW_HIDE);  // the host keeps running in its tray
    return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

bool RegisterWindowClass(HINSTANCE instance, const wchar_t* name, WNDPROC proc) {
  WNDCLASSEXW wc = {};
  wc.cbSize = sizeof(wc);
  wc.lpfnWndProc = proc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = name;
  return RegisterClassExW(&wc) != 0;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, wchar_t*, int) {
  const std::wstring options = RunningExeDir() + kOptionsName;
  const bool tray = GetPrivateProfileIntW(L"hostapp", L"tray", 1, options.c_str()) != 0;
  const UINT trayDelayMs = GetPrivateProfileIntW(L"hostapp", L"tray_delay_ms", 0, options.c_str());
  const UINT lifetimeMs = GetPrivateProfileIntW(L"hostapp", L"lifetime_ms", 0, options.c_str());
  AppendRunLog(kLogName, L"started");
  AppendStartRecord(kLogName);

  showManagerMessage = RegisterWindowMessageW(L"ShowDictManagerWindow_MsgName");
  if (!RegisterWindowClass(instance, kListenerClass, ListenerProc) ||
      !RegisterWindowClass(instance, kManagerClass, ManagerProc))
    return 1;
  const bool trayNow = tray && trayDelayMs == 0;
  HWND listener = CreateWindowExW(0, kListenerClass, trayNow ? kTrayTitle : kHiddenTitle, WS_OVERLAPPED, 0, 0, 0, 0,
                                  nullptr, nullptr, instance, nullptr);
  if (listener == nullptr) return 1;
  AppendRunLog(kLogName, trayNow ? L"tray window up" : L"listening without tray");
  if (tray && !trayNow) SetTimer(listener, kTrayTimer, trayDelayMs, nullptr);
  if (lifetimeMs != 0) SetTimer(listener, kLifetimeTimer, lifetimeMs, nullptr);

  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return 0;
}
