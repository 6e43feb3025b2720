// The harness on POSIX systems: fork and exec, output to files in a folder of the harness's own.
#include <dirent.h>
#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "tests/dirpack/dirpack_harness.h"

namespace dirpacktest {
namespace {

std::string ExeFolder() {
  char path[PATH_MAX] = {};
  const ssize_t n = readlink("/proc/self/exe", path, sizeof(path) - 1);
  std::string text(path, n > 0 ? static_cast<size_t>(n) : 0);
  return text.substr(0, text.find_last_of('/'));
}

void RemoveTree(const std::string& path) {
  struct stat info;
  if (lstat(path.c_str(), &info) != 0) return;
  if (S_ISDIR(info.st_mode)) {
    for (const std::string& name : ListFolder(path)) RemoveTree(path + "/" + name);
    rmdir(path.c_str());
  } else {
    unlink(path.c_str());
  }
}

}  // namespace

std::string ProgramFolder() { return ExeFolder(); }

RunResult RunDirpack(const std::vector<std::string>& args) {
  RunResult result;
  Scratch outputs;
  const std::string outPath = outputs / "out", errPath = outputs / "err";
  const std::string program = ExeFolder() + "/dirpack";
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(program.c_str()));
  for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);
  const pid_t child = fork();
  if (child < 0) return result;
  if (child == 0) {
    const int out = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (out < 0 || err < 0 || dup2(out, 1) < 0 || dup2(err, 2) < 0) _exit(127);
    execv(program.c_str(), argv.data());
    _exit(127);
  }
  int status = 0;
  if (waitpid(child, &status, 0) == child && WIFEXITED(status)) result.status = WEXITSTATUS(status);
  ReadBytes(outPath, result.out);
  ReadBytes(errPath, result.err);
  return result;
}

Scratch::Scratch() {
  char pattern[] = "/tmp/dirpack_\xE8\xAF\x8D\xE5\x85\xB8_XXXXXX";  // "词典" in the name
  if (mkdtemp(pattern) != nullptr) m_path = pattern;
}

Scratch::~Scratch() {
  if (!m_path.empty()) RemoveTree(m_path);
}

bool WriteBytes(const std::string& path, const std::string& bytes) {
  FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return false;
  const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  return std::fclose(file) == 0 && ok;
}

bool ReadBytes(const std::string& path, std::string& bytes) {
  FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) return false;
  std::string result;
  char buffer[65536];
  size_t n = 0;
  while ((n = std::fread(buffer, 1, sizeof(buffer), file)) > 0) result.append(buffer, n);
  std::fclose(file);
  bytes.swap(result);
  return true;
}

bool Exists(const std::string& path) {
  struct stat info;
  return stat(path.c_str(), &info) == 0;
}

bool MakeFolder(const std::string& path) { return mkdir(path.c_str(), 0755) == 0; }

bool RemoveFile(const std::string& path) { return unlink(path.c_str()) == 0; }

std::vector<std::string> ListFolder(const std::string& path) {
  std::vector<std::string> names;
  DIR* folder = opendir(path.c_str());
  if (folder == nullptr) return names;
  while (dirent* entry = readdir(folder)) {
    const std::string name = entry->d_name;
    if (name != "." && name != "..") names.push_back(name);
  }
  closedir(folder);
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace dirpacktest
