// Pictures of windows as they are on the (Xvfb) screen, for people to look at.
#pragma once

#include <windows.h>

#include <string>

namespace testsupport {

// Whether this process can make GDI objects (memory device contexts, icons). Wine 8's WoW64
// mode cannot for a 32-bit program: its windows exist and work but are never drawn, so the
// i686 tests have no pictures to take and no icon images to load.
bool GdiDrawsHere();

// Captures the screen area of the window into a PNG file.
bool SaveWindowPicture(HWND window, const std::wstring& path);

// A picture for the tests' record, <build>\screenshots\<name>.png. Where this build's windows
// are never drawn (GdiDrawsHere), there is none to take: nothing is written and the answer is
// true.
bool SaveScreenshot(HWND window, const std::wstring& name);

}  // namespace testsupport
