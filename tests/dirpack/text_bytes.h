// Texts as the bytes of files, for tests that build files by hand: UTF-16LE after its byte-order
// mark, as publishers are told to save dictconfig.ini, and UTF-8.
#pragma once

#include <string>

namespace dirpacktest {

std::string Utf16LeWithMark(const std::u16string& text);

std::string Utf8Bytes(const std::u16string& text);

}  // namespace dirpacktest
