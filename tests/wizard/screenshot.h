// Screenshots of windows as they are on the (Xvfb) screen, saved as PNG files into
// <build>\screenshots for people to look at.
#pragma once

#include <windows.h>

#include <string>

// Has Wine draw the wizard's own window frame (caption, icon, close box) for programs started
// from now on: without a window manager on the test display nothing else would.
void PrepareScreenshots();

// Captures the screen area of the window and writes <build>\screenshots\<name>.png. Where this
// build's windows are never drawn (testsupport::GdiDrawsHere), there is no picture to take: it
// writes nothing and answers true.
bool SaveScreenshot(HWND window, const std::wstring& name);
