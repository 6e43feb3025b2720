// Handing the new dictionaries to the host at the end of a run: starting it, and waiting for its
// tray window to ask it for its dictionary manager.
#pragma once

// The host's tray window title and the message that makes the host show its dictionary manager.
constexpr const wchar_t* kHostTrayWindowTitle = L"LXTray";
constexpr const wchar_t* kShowDictManagerMessageName = L"ShowDictManagerWindow_MsgName";

// Starts the host's executable for the desktop's user, in its folder. True when it exists and was
// handed over (whether it started is not known); false without an interactive window station.
bool LaunchHost();

// Looks for the host's tray window with the bounded poll, then broadcasts the registered message
// to all applications. True when the tray window was found.
bool WaitForTrayAndShowDictManager();
