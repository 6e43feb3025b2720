// Drives the real wizard the way a user would, for the headless demo: starts pakorra.exe, waits
// for each page, saves a picture of it, clicks "下一步(&N)>" and then "完成(&C)" with the start box
// ticked, and reports what it saw and the program's exit code.
//
//   wizard_driver.exe WIZARD_EXE PICTURE_FOLDER
//
// A PICTURE_FOLDER of "-" takes no pictures (Wine does not draw a 32-bit program's windows in its
// WoW64 mode, so there would be nothing on them).
// Prints one line per event ("page welcome: ..."); exit code 0 when the whole run happened as a
// user expects, 1 otherwise.
#include <windows.h>
// commctrl.h needs the types of windows.h before it.
#include <commctrl.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr const wchar_t* kTitle = L"Lumidex本地词典包安装向导";
enum ControlId {
  kTip = 1000,
  kProgress = 1001,
  kNext = 1002,
  kDownload = 1003,
  kClose = 1004,
  kList = 1006,
  kRunHost = 1008
};

std::string Utf8(const std::wstring& text) {
  const int n =
      WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
  std::string out(n, '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), out.data(), n, nullptr, nullptr);
  return out;
}

void Say(const std::string& line) {
  std::printf("%s\n", line.c_str());
  std::fflush(stdout);
}

std::wstring Text(HWND dialog, int id) {
  wchar_t buffer[1024] = {};
  GetDlgItemTextW(dialog, id, buffer, 1024);
  return buffer;
}

bool Visible(HWND dialog, int id) { return IsWindowVisible(GetDlgItem(dialog, id)) != FALSE; }
bool Enabled(HWND dialog, int id) { return IsWindowEnabled(GetDlgItem(dialog, id)) != FALSE; }

// Polls until the condition holds, pumping nothing: the wizard runs in its own process.
template <typename Condition>
bool WaitFor(Condition condition, DWORD timeoutMs) {
  const ULONGLONG end = GetTickCount64() + timeoutMs;
  while (!condition()) {
    if (GetTickCount64() > end) return false;
    Sleep(50);
  }
  return true;
}

// Saves the window's area of the screen as a 24-bit BMP; the demo script turns it into a PNG.
bool SavePicture(HWND window, const std::wstring& path) {
  RECT rect = {};
  if (!GetWindowRect(window, &rect)) return false;
  const int width = rect.right - rect.left, height = rect.bottom - rect.top;
  if (width <= 0 || height <= 0) return false;
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
  HGDIOBJ old = SelectObject(memory, bitmap);
  const BOOL copied = BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
  SelectObject(memory, old);
  BITMAPINFOHEADER header = {};
  header.biSize = sizeof(header);
  header.biWidth = width;
  header.biHeight = height;  // bottom row first, as BMP files store it
  header.biPlanes = 1;
  header.biBitCount = 24;
  header.biCompression = BI_RGB;
  const DWORD stride = (static_cast<DWORD>(width) * 3 + 3) & ~3u;
  std::vector<BYTE> pixels(static_cast<size_t>(stride) * height);
  const bool read = copied && GetDIBits(memory, bitmap, 0, height, pixels.data(),
                                        reinterpret_cast<BITMAPINFO*>(&header), DIB_RGB_COLORS) == height;
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  if (!read) return false;
  BITMAPFILEHEADER file = {};
  file.bfType = 0x4D42;
  file.bfOffBits = sizeof(file) + sizeof(header);
  file.bfSize = file.bfOffBits + static_cast<DWORD>(pixels.size());
  HANDLE out = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (out == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  bool ok = WriteFile(out, &file, sizeof(file), &written, nullptr) &&
            WriteFile(out, &header, sizeof(header), &written, nullptr) &&
            WriteFile(out, pixels.data(), static_cast<DWORD>(pixels.size()), &written, nullptr);
  CloseHandle(out);
  return ok;
}

// The page a user sees, read from the controls alone.
std::wstring PageOf(HWND dialog) {
  const std::wstring close = Text(dialog, kClose);
  if (Visible(dialog, kDownload)) return L"host-missing";
  if (Visible(dialog, kNext) && Enabled(dialog, kNext) && close == L"取消(&C)") return L"welcome";
  if (close == L"完成(&C)" && Visible(dialog, kRunHost)) return L"finished";
  if (!Enabled(dialog, kClose)) return L"running";
  if (close == L"关闭" && Visible(dialog, kTip)) return L"up-to-date";
  return L"unknown";
}

bool SeePage(HWND dialog, const std::wstring& page, const std::wstring& folder, int serial) {
  if (!WaitFor([&] { return PageOf(dialog) == page; }, 60000)) {
    Say("FAILED: the " + Utf8(page) + " page never showed (last seen: " + Utf8(PageOf(dialog)) + ")");
    return false;
  }
  Sleep(300);  // let the page finish painting
  const std::wstring picture = folder + L"\\" + std::to_wstring(serial) + L"-" + page + L".bmp";
  std::string line = "page " + Utf8(page);
  if (page != L"running" && Visible(dialog, kTip)) line += ": " + Utf8(Text(dialog, kTip));
  Say(line);
  if (folder != L"-" && !SavePicture(dialog, picture)) Say("  (no picture could be taken)");
  return true;
}

void Click(HWND dialog, int id) {
  // BM_CLICK presses and releases the button, so the dialog gets the same BN_CLICKED a mouse gives.
  SendMessageW(GetDlgItem(dialog, id), BM_CLICK, 0, 0);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 3) {
    Say("usage: wizard_driver WIZARD_EXE PICTURE_FOLDER");
    return 2;
  }
  const std::wstring exe = argv[1], folder = argv[2];
  std::wstring commandLine = L"\"" + exe + L"\"";
  const std::wstring exeDir = exe.substr(0, exe.find_last_of(L'\\'));
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process = {};
  if (!CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, exeDir.c_str(), &startup,
                      &process)) {
    Say("FAILED: the wizard could not be started");
    return 1;
  }
  CloseHandle(process.hThread);

  HWND dialog = nullptr;
  WaitFor([&] { return (dialog = FindWindowW(nullptr, kTitle)) != nullptr && IsWindowVisible(dialog); }, 60000);
  bool ok = dialog != nullptr;
  if (!ok) Say("FAILED: no wizard window appeared");

  ok = ok && SeePage(dialog, L"welcome", folder, 1);
  if (ok) {
    Click(dialog, kNext);
    // The run may be quick; the picture of the running page is taken as soon as it shows.
    if (WaitFor([&] { return PageOf(dialog) == L"running" || PageOf(dialog) == L"finished"; }, 30000) &&
        PageOf(dialog) == L"running") {
      SeePage(dialog, L"running", folder, 2);
    }
    ok = SeePage(dialog, L"finished", folder, 3);
  }
  if (ok) {
    const LRESULT lines = SendMessageW(GetDlgItem(dialog, kList), LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < lines; ++i) {
      wchar_t line[512] = {};
      if (SendMessageW(GetDlgItem(dialog, kList), LB_GETTEXTLEN, i, 0) < 512) {
        SendMessageW(GetDlgItem(dialog, kList), LB_GETTEXT, i, reinterpret_cast<LPARAM>(line));
      }
      Say("  status: " + Utf8(line));
    }
    const LRESULT position = SendMessageW(GetDlgItem(dialog, kProgress), PBM_GETPOS, 0, 0);
    const LRESULT top = SendMessageW(GetDlgItem(dialog, kProgress), PBM_GETRANGE, FALSE, 0);
    Say("  progress " + std::to_string(position) + " of " + std::to_string(top));
    const bool ticked = SendMessageW(GetDlgItem(dialog, kRunHost), BM_GETCHECK, 0, 0) == BST_CHECKED;
    Say(std::string("  start box ") + (ticked ? "ticked" : "NOT ticked"));
    ok = ticked;
    Click(dialog, kClose);
    Say("clicked 完成(&C)");
  }
  DWORD exitCode = 0;
  if (WaitForSingleObject(process.hProcess, ok ? 60000 : 5000) == WAIT_OBJECT_0) {
    GetExitCodeProcess(process.hProcess, &exitCode);
    Say("wizard ended with exit code " + std::to_string(exitCode));
  } else {
    Say("FAILED: the wizard did not end; terminating it");
    TerminateProcess(process.hProcess, 9);
    ok = false;
  }
  CloseHandle(process.hProcess);
  return ok && exitCode == 1 ? 0 : 1;
}
