// How much one package may ask of a run: each entry rewrites the host's growing configuration
// file, and each container stays held to the end. Beyond these caps the start-up check refuses
// the package, naming the cap, rather than hold an elevated wizard for hours. Portable.
#pragma once

#include <cstddef>
#include <string>

constexpr size_t kMostContainers = 4096;
constexpr size_t kMostPlannedEntries = 65536;

// True, `why` untouched, when `containers` and `plannedEntries` are within both caps; otherwise
// false with `why` naming the cap passed (the containers' first).
bool PackageWithinLimits(size_t containers, size_t plannedEntries, std::wstring& why);
