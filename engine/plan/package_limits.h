// How much one package may ask of a run. Each installed entry costs a rewrite of the host's
// configuration file, which grows with every entry, and each container stays held open from the
// start-up check to the end of the run: beyond these caps the start-up check refuses the package,
// saying which cap it passed, rather than hold an elevated wizard for hours. Portable.
#pragma once

#include <cstddef>
#include <string>

constexpr size_t kMostContainers = 4096;
constexpr size_t kMostPlannedEntries = 65536;

// True when `containers` containers with `plannedEntries` planned entries are within both caps;
// otherwise false, with `why` naming the cap passed (the containers' first). `why` is untouched
// when true.
bool PackageWithinLimits(size_t containers, size_t plannedEntries, std::wstring& why);
