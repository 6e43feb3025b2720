#include "wizard/window_station.h"

#include <windows.h>

bool WindowStationIsVisible() {
  USEROBJECTFLAGS flags = {};
  DWORD needed = 0;
  HWINSTA station = GetProcessWindowStation();
  // Unknown: as a user's desktop, where the boxes have always been shown.
  if (station == nullptr || !GetUserObjectInformationW(station, UOI_FLAGS, &flags, sizeof(flags), &needed)) return true;
  return (flags.dwFlags & WSF_VISIBLE) != 0;
}
