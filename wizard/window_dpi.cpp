#include "wizard/window_dpi.h"

#include "engine/module_function.h"

UINT GetWindowDpi(HWND window) {
  // Looked up at run time: older systems lack it, and the wizard must start there too.
  using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
  static const auto getDpiForWindow = ModuleFunction<GetDpiForWindowFn>(L"user32.dll", "GetDpiForWindow");
  if (getDpiForWindow != nullptr) {
    const UINT dpi = getDpiForWindow(window);
    if (dpi != 0) return dpi;
  }
  UINT dpi = USER_DEFAULT_SCREEN_DPI;
  if (HDC screen = GetDC(nullptr)) {
    const int logPixels = GetDeviceCaps(screen, LOGPIXELSY);
    if (logPixels > 0) dpi = static_cast<UINT>(logPixels);
    ReleaseDC(nullptr, screen);
  }
  return dpi;
}

int ScaleForDpi(int pixelsAt96, UINT dpi) { return MulDiv(pixelsAt96, static_cast<int>(dpi), USER_DEFAULT_SCREEN_DPI); }
