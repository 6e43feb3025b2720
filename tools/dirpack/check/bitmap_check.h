// Whether an image is a BMP file the host can show: a file header "BM", an information header of
// a known kind, one plane, a known depth and compression, and pixel data inside the file.
#pragma once

#include <string>

enum class BitmapCheck { Valid, CannotRead, Invalid };

// Invalid: why says what is wrong, in words for the publisher.
BitmapCheck CheckBitmapFile(const std::wstring& path, std::string& why);
