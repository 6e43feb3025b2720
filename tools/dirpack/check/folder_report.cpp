#include "tools/dirpack/check/folder_report.h"

#include <algorithm>
#include <cstdio>

namespace {

const char* SeverityName(Severity severity) { return severity == Severity::Error ? "error" : "warning"; }

std::string Counted(size_t count, const char* noun) {
  return std::to_string(count) + " " + noun + (count == 1 ? "" : "s");
}

// A JSON string: quotes, backslashes and control characters escaped; everything else is UTF-8
// already and passes as it is.
std::string JsonString(const std::string& text) {
  std::string out = "\"";
  for (char c : text) {
    const unsigned char byte = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (byte < 0x20) {
      char escape[8];
      std::snprintf(escape, sizeof(escape), "\\u%04X", static_cast<unsigned>(byte));
      out += escape;
    } else {
      out += c;
    }
  }
  return out + "\"";
}

}  // namespace

void FolderReport::Add(Severity severity, const std::string& file, const std::string& code,
                       const std::string& message) {
  // An error goes after the last error, before the first warning.
  const auto at = severity == Severity::Warning
                      ? m_findings.end()
                      : std::find_if(m_findings.begin(), m_findings.end(),
                                     [](const Finding& f) { return f.severity == Severity::Warning; });
  m_findings.insert(at, Finding{severity, file, code, message});
}

size_t FolderReport::Count(Severity severity) const {
  return static_cast<size_t>(
      std::count_if(m_findings.begin(), m_findings.end(), [&](const Finding& f) { return f.severity == severity; }));
}

int FolderReport::ExitStatus() const {
  if (Count(Severity::Error) > 0) return 2;
  return m_findings.empty() ? 0 : 1;
}

std::vector<std::string> FolderReport::Lines(const std::string& folder) const {
  std::vector<std::string> lines;
  for (const Finding& f : m_findings)
    lines.push_back(std::string(SeverityName(f.severity)) + ": " + f.file + ": " + f.message);
  lines.push_back(m_findings.empty() ? folder + ": clean"
                                     : folder + ": " + Counted(Count(Severity::Error), "error") + ", " +
                                           Counted(Count(Severity::Warning), "warning"));
  return lines;
}

std::string FolderReport::Json(const std::string& folder) const {
  std::string out = "{\"folder\": " + JsonString(folder) + ", \"status\": " + std::to_string(ExitStatus()) +
                    ", \"errors\": " + std::to_string(Count(Severity::Error)) +
                    ", \"warnings\": " + std::to_string(Count(Severity::Warning)) + ", \"findings\": [";
  for (size_t i = 0; i < m_findings.size(); ++i) {
    const Finding& f = m_findings[i];
    out += std::string(i == 0 ? "" : ",") + "\n  {\"severity\": " + JsonString(SeverityName(f.severity)) +
           ", \"file\": " + JsonString(f.file) + ", \"code\": " + JsonString(f.code) +
           ", \"message\": " + JsonString(f.message) + "}";
  }
  return out + (m_findings.empty() ? "]}" : "\n]}");
}
