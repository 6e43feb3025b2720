// How the package's dictconfig.ini is saved, judged by what the wizard's profile reads make of it:
// they read UTF-16LE after its byte-order mark, and everything else as bytes in the ANSI code page
// (936 on our users' systems), so a file saved as UTF-8 reaches the host with garbled Chinese.
#pragma once

#include <string>

enum class ConfigEncoding {
  Ascii,              // read faithfully in any code page
  Utf16LittleEndian,  // with its byte-order mark: read as Unicode
  Ansi,               // non-ASCII text in the ANSI code page, read as saved
  Utf8,               // non-ASCII text in UTF-8, no byte-order mark
  Utf8WithMark,       // a UTF-8 byte-order mark, whatever follows: Windows reads the mark as text
  Utf16BigEndian,     // big-endian byte-order mark
  Utf16WithoutMark,   // NUL bytes without a byte-order mark: UTF-16 saved without its mark
  Undefined,          // bytes the ANSI code page does not define
};

ConfigEncoding ClassifyConfigBytes(const std::string& bytes);
