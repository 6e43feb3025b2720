#include "tests/support/window_picture.h"

#include <vector>

#include "tests/support/files.h"
#include "tests/support/png_file.h"

namespace testsupport {

bool GdiDrawsHere() {
  static const bool draws = [] {
    HDC memory = CreateCompatibleDC(nullptr);
    if (memory == nullptr) return false;
    DeleteDC(memory);
    return true;
  }();
  return draws;
}

bool SaveWindowPicture(HWND window, const std::wstring& path) {
  RECT rect = {};
  if (!GetWindowRect(window, &rect)) return false;
  const int width = rect.right - rect.left;
  const int height = rect.bottom - rect.top;
  if (width <= 0 || height <= 0) return false;

  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
  HGDIOBJ old = SelectObject(memory, bitmap);
  const bool copied = BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY) != 0;
  SelectObject(memory, old);

  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // top row first
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  std::vector<uint8_t> bgra(static_cast<size_t>(width) * height * 4);
  const bool read = copied && GetDIBits(memory, bitmap, 0, height, bgra.data(), &info, DIB_RGB_COLORS) == height;
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  if (!read) return false;

  std::vector<uint8_t> rgb(static_cast<size_t>(width) * height * 3);
  for (size_t i = 0, n = static_cast<size_t>(width) * height; i < n; ++i) {
    rgb[i * 3] = bgra[i * 4 + 2];
    rgb[i * 3 + 1] = bgra[i * 4 + 1];
    rgb[i * 3 + 2] = bgra[i * 4];
  }
  return WriteFileBytes(path, EncodePng(static_cast<uint32_t>(width), static_cast<uint32_t>(height), rgb));
}

bool SaveScreenshot(HWND window, const std::wstring& name) {
  if (!GdiDrawsHere()) return true;
  const std::wstring folder = ExeDir() + L"..\\screenshots";
  CreateDirectoryW(folder.c_str(), nullptr);
  return SaveWindowPicture(window, folder + L"\\" + name + L".png");
}

}  // namespace testsupport
