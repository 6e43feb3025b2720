// What the folder check found, and its two forms: lines for people, one JSON object for machines.
#pragma once

#include <string>
#include <vector>

enum class Severity { Error, Warning };

struct Finding {
  Severity severity;
  std::string file;     // relative to the folder, UTF-8
  std::string code;     // stable, for machines: "container-refused", "config-encoding", ...
  std::string message;  // what is wrong, " — ", what to do; UTF-8
};

class FolderReport {
 public:
  void Add(Severity severity, const std::string& file, const std::string& code, const std::string& message);

  // Errors first, then warnings, each in the order found.
  size_t Count(Severity severity) const;
  // 2 when there is an error, 1 when there are only warnings, 0 when the folder is clean.
  int ExitStatus() const;

  // "error: FILE: MESSAGE" per finding, then "FOLDER: clean" or "FOLDER: N errors, M warnings".
  std::vector<std::string> Lines(const std::string& folder) const;
  // {"folder", "status", "errors", "warnings", "findings": [{"severity", "file", "code", "message"}]}
  std::string Json(const std::string& folder) const;

 private:
  std::vector<Finding> m_findings;
};
