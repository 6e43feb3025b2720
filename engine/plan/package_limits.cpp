#include "engine/plan/package_limits.h"

bool PackageWithinLimits(size_t containers, size_t plannedEntries, std::wstring& why) {
  if (containers > kMostContainers) {
    why = L"more than " + std::to_wstring(kMostContainers) + L" containers (*.dir) beside the wizard";
    return false;
  }
  if (plannedEntries > kMostPlannedEntries) {
    why = std::to_wstring(plannedEntries) + L" entries planned, more than the " +
          std::to_wstring(kMostPlannedEntries) + L" one run installs";
    return false;
  }
  return true;
}
