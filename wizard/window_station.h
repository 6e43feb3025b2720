// Whether anyone can see what the wizard shows: a process of a start-up script or a service runs in
// a window station that is not interactive, where a message box waits for a click that never comes.
#pragma once

// True when the process's window station is the visible, interactive one (or cannot be told).
bool WindowStationIsVisible();
