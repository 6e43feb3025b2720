#include "tests/dirpack/text_bytes.h"

#include "engine/format/utf8_text.h"

namespace dirpacktest {

std::string Utf8Bytes(const std::u16string& text) { return UnitsToUtf8(std::wstring(text.begin(), text.end())); }

}  // namespace dirpacktest
