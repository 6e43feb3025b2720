#include "engine/format/utf8_text.h"

#include <cstdint>
#include <cstdio>
#include <vector>

namespace {

bool IsHighSurrogate(uint32_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(uint32_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

bool DecodeUtf8(const std::string& utf8, std::vector<uint32_t>& points) {
  points.clear();
  size_t i = 0;
  while (i < utf8.size()) {
    const uint8_t lead = static_cast<uint8_t>(utf8[i]);
    size_t extra = 0;
    uint32_t c = 0;
    uint32_t least = 0;
    if (lead < 0x80) {
      c = lead;
    } else if ((lead & 0xE0) == 0xC0) {
      extra = 1, c = lead & 0x1F, least = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
      extra = 2, c = lead & 0x0F, least = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
      extra = 3, c = lead & 0x07, least = 0x10000;
    } else {
      return false;
    }
    if (utf8.size() - i - 1 < extra) return false;
    for (size_t k = 1; k <= extra; ++k) {
      const uint8_t next = static_cast<uint8_t>(utf8[i + k]);
      if ((next & 0xC0) != 0x80) return false;
      c = c << 6 | (next & 0x3F);
    }
    if (c < least || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return false;
    points.push_back(c);
    i += extra + 1;
  }
  return true;
}

void EncodeUtf8(uint32_t c, std::string& out) {
  if (c < 0x80) {
    out.push_back(static_cast<char>(c));
  } else if (c < 0x800) {
    out.push_back(static_cast<char>(0xC0 | c >> 6));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else if (c < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | c >> 12));
    out.push_back(static_cast<char>(0x80 | (c >> 6 & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | c >> 18));
    out.push_back(static_cast<char>(0x80 | (c >> 12 & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c >> 6 & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  }
}

void AppendUnits(uint32_t c, std::wstring& units) {
  if (c < 0x10000) {
    units.push_back(static_cast<wchar_t>(c));
  } else {
    c -= 0x10000;
    units.push_back(static_cast<wchar_t>(0xD800 + (c >> 10)));
    units.push_back(static_cast<wchar_t>(0xDC00 + (c & 0x3FF)));
  }
}

// Walks the units as code points; a lone surrogate is handed on as it is.
template <typename Visit>
void ForEachPoint(const std::wstring& units, Visit visit) {
  for (size_t i = 0; i < units.size(); ++i) {
    const uint32_t c = static_cast<uint32_t>(units[i]) & 0xFFFF;
    if (IsHighSurrogate(c) && i + 1 < units.size() && IsLowSurrogate(static_cast<uint32_t>(units[i + 1]) & 0xFFFF)) {
      const uint32_t low = static_cast<uint32_t>(units[i + 1]) & 0xFFFF;
      visit(0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00), false);
      ++i;
    } else {
      visit(c, IsHighSurrogate(c) || IsLowSurrogate(c));
    }
  }
}

// The path in UTF-8, what no UTF-8 can carry written as U+FFFD; false when there was any.
bool EncodePath(const std::wstring& path, std::string& out) {
  if constexpr (sizeof(wchar_t) == 2) {
    out += UnitsToUtf8(path);
    return UnitsAreWellFormed(path);
  }
  bool whole = true;
  for (wchar_t c : path) {
    const uint32_t point = static_cast<uint32_t>(c);
    const bool carried = point <= 0x10FFFF && !(point >= 0xD800 && point <= 0xDFFF);
    whole = whole && carried;
    EncodeUtf8(carried ? point : 0xFFFD, out);
  }
  return whole;
}

}  // namespace

bool Utf8ToUnits(const std::string& utf8, std::wstring& units) {
  std::vector<uint32_t> points;
  if (!DecodeUtf8(utf8, points)) return false;
  std::wstring result;
  for (uint32_t c : points) AppendUnits(c, result);
  units.swap(result);
  return true;
}

std::string UnitsToUtf8(const std::wstring& units) {
  std::string out;
  ForEachPoint(units, [&](uint32_t c, bool lone) { EncodeUtf8(lone ? 0xFFFD : c, out); });
  return out;
}

bool UnitsAreWellFormed(const std::wstring& units) {
  bool ok = true;
  ForEachPoint(units, [&](uint32_t, bool lone) { ok = ok && !lone; });
  return ok;
}

bool Utf8ToPath(const std::string& utf8, std::wstring& path) {
  if constexpr (sizeof(wchar_t) == 2) return Utf8ToUnits(utf8, path);
  std::vector<uint32_t> points;
  if (!DecodeUtf8(utf8, points)) return false;
  path.assign(points.begin(), points.end());
  return true;
}

bool PathToUtf8(const std::wstring& path, std::string& utf8) {
  std::string out;
  if (!EncodePath(path, out)) return false;
  utf8.swap(out);
  return true;
}

std::string PathToUtf8(const std::wstring& path) {
  std::string out;
  EncodePath(path, out);
  return out;
}

bool UnitsToPath(const std::wstring& units, std::wstring& path) {
  return UnitsAreWellFormed(units) && Utf8ToPath(UnitsToUtf8(units), path);
}

std::string DisplayUnits(const std::wstring& units) {
  std::string out;
  ForEachPoint(units, [&](uint32_t c, bool lone) {
    if (lone || c < 0x20 || c == 0x7F) {
      char escape[12];
      std::snprintf(escape, sizeof(escape), lone ? "\\u%04X" : "\\x%02X", static_cast<unsigned>(c));
      out += escape;
    } else {
      EncodeUtf8(c, out);
    }
  });
  return out;
}
