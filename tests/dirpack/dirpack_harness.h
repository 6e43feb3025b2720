// Runs the built dirpack program as a user would, and handles the files around it. Paths are
// UTF-8 here whatever the platform; the scratch folder's own name is not ASCII.
#pragma once

#include <memory>
#include <string>
#include <vector>

namespace dirpacktest {

struct RunResult {
  int status = -1;  // the exit status; -1 when the program could not be run or did not end
  std::string out;  // standard output, as bytes (UTF-8)
  std::string err;  // standard error
};

// dirpack from the folder of the running test program, with these arguments.
RunResult RunDirpack(const std::vector<std::string>& args);

// The folder of the running test program, where the build puts its programs.
std::string ProgramFolder();

// A new empty folder, removed with everything in it when the object goes away.
class Scratch {
 public:
  Scratch();
  ~Scratch();
  const std::string& path() const { return m_path; }
  std::string operator/(const std::string& name) const { return m_path + "/" + name; }

  Scratch(const Scratch&) = delete;
  Scratch& operator=(const Scratch&) = delete;

 private:
  std::string m_path;
  std::shared_ptr<void> m_dir;  // under Windows, the test kit's scratch folder that owns it
};

bool WriteBytes(const std::string& path, const std::string& bytes);
bool ReadBytes(const std::string& path, std::string& bytes);
bool Exists(const std::string& path);
bool MakeFolder(const std::string& path);
bool RemoveFile(const std::string& path);
// The names in a folder, sorted; empty when it is missing.
std::vector<std::string> ListFolder(const std::string& path);

}  // namespace dirpacktest
