// A private-profile (INI) file read from its bytes as the system's profile functions read it: the
// wizard's dictconfig.ini, read once through its held handle, and dirpack's on every platform. The
// rules, held against the real functions by the tests under Wine:
// - After a UTF-16LE byte-order mark the file is UTF-16LE; anything else is bytes in the ANSI
//   code page. A UTF-8 byte-order mark is not recognised: Windows reads it as two ANSI
//   characters in front of the first line, which spoils a section header on that line.
// - Lines end at CR, LF or both; blanks (ASCII white space and ^Z) around a line are dropped.
// - A line that begins with "[" and holds a "]" starts a section named by what lies between the
//   "[" and the last "]", without blanks at either end. Lines before the first section belong to
//   a section with an empty name.
// - Any other line is a key: its name is what comes before the first "=", without the blanks
//   before the "="; its value what follows, without the blanks after the "=". A line without "="
//   is a key without value. Comment lines (";") are keys no caller asks for.
// - Asking for a section or key drops blanks around the name asked for, compares names without
//   case for every letter (ProfileNamesMatch), and looks only into the first section of that
//   name; its first key of that name answers. A value enclosed in matching quotes (' or ") loses
//   them.
#pragma once

#include <map>
#include <string>
#include <vector>

// The file's text as UTF-16 code units, one per wchar_t.
std::wstring DecodeProfileBytes(const std::string& bytes);

// Whether a stored section or key name answers a request for another, as the profile functions
// compare them: blanks at either end dropped, case ignored for every letter, unit by unit. On
// Windows the system's CompareStringOrdinal ignoring case; elsewhere towupper of the C.UTF-8
// locale, the same one-to-one mapping (no "ß" to "SS"), except that a unit outside ASCII never
// becomes an ASCII letter ("ı" stays apart from "I", as on Windows).
bool ProfileNamesMatch(const std::wstring& first, const std::wstring& second);

// The order that goes with ProfileNamesMatch: two names are equivalent exactly when they match.
struct ProfileNameLess {
  bool operator()(const std::wstring& first, const std::wstring& second) const;
};

class ProfileText {
 public:
  explicit ProfileText(const std::wstring& text);

  // Every section with a name, in file order, a repeated name as often as it appears.
  // Only dirpack uses this; the wizard never calls it.
  std::vector<std::wstring> SectionNames() const;
  // The value of the key, as GetPrivateProfileStringW gives it with an empty default and a
  // buffer that holds it whole; empty when the section or key is missing.
  std::wstring Value(const std::wstring& section, const std::wstring& key) const;

 private:
  struct Key {
    std::wstring name;
    std::wstring value;
    bool hasValue = false;
  };
  struct Section {
    std::wstring name;
    std::vector<Key> keys;
  };
  std::vector<Section> m_sections;
  std::map<std::wstring, size_t, ProfileNameLess> m_firstSection;  // the one the functions look into
};
