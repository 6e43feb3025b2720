// Arguments and output on POSIX systems: both are bytes, taken to be UTF-8.
#include <cstdio>

#include "tools/dirpack/console.h"

bool CommandArgs(int argc, char** argv, std::vector<std::string>& args) {
  args.assign(argv + 1, argv + argc);
  return true;
}

void PrintLine(const std::string& utf8) {
  std::fwrite(utf8.data(), 1, utf8.size(), stdout);
  std::fputc('\n', stdout);
}

void PrintError(const std::string& utf8) {
  std::fflush(stdout);
  std::fwrite(utf8.data(), 1, utf8.size(), stderr);
  std::fputc('\n', stderr);
}
