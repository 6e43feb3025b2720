// The DPI a window is shown at, and the pixel sizes the wizard was drawn for at 96 DPI scaled to it.
#pragma once

#include <windows.h>

// The window's DPI where the system tells it per window (Windows 10 1607 on), otherwise the
// system DPI, which is then every window's.
UINT GetWindowDpi(HWND window);

// A length in pixels at 96 DPI, at the given DPI.
int ScaleForDpi(int pixelsAt96, UINT dpi);
