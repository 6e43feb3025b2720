// The console program's edges: its arguments as UTF-8, and lines of UTF-8 text to standard
// output or standard error.
#pragma once

#include <string>
#include <vector>

// False when an argument cannot be read as text (Windows: a lone surrogate).
bool CommandArgs(int argc, char** argv, std::vector<std::string>& args);

void PrintLine(const std::string& utf8);
void PrintError(const std::string& utf8);
