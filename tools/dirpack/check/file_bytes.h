// Files the folder check reads as bytes: the package's description whole, the beginnings of
// images and programs. Through the reader's own file access, so wide paths work everywhere.
#pragma once

#include <cstdint>
#include <string>

// A description larger than this is not a description; it is refused rather than read.
constexpr uint64_t kMostWholeFileBytes = 64ull << 20;

// False when the file cannot be opened or read, or is larger than kMostWholeFileBytes.
bool ReadWholeFile(const std::wstring& path, std::string& bytes);

// The first `count` bytes (fewer when the file is shorter) and the file's size.
bool ReadFileStart(const std::wstring& path, uint32_t count, std::string& bytes, uint64_t& size);

// `count` bytes at `position`, fewer where the file ends; false when they cannot be read.
bool ReadFileAt(const std::wstring& path, uint64_t position, uint32_t count, std::string& bytes);

// The little-endian number of `width` bytes (at most 4) at `at`; the caller has checked the length.
uint32_t LittleEndianAt(const std::string& bytes, size_t at, size_t width);
