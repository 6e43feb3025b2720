// Texts as the bytes of files, for tests that build files by hand: UTF-16LE after its byte-order
// mark, as publishers are told to save dictconfig.ini (the test kit's), and UTF-8.
#pragma once

#include <string>

#include "tests/support/data_patterns.h"

namespace dirpacktest {

using testsupport::Utf16LeWithMark;

std::string Utf8Bytes(const std::u16string& text);

}  // namespace dirpacktest
