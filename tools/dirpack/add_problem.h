// Notes what went wrong and answers false, so that a failing step ends in one return.
#pragma once

#include <string>
#include <utility>
#include <vector>

inline bool AddProblem(std::vector<std::string>& problems, std::string problem) {
  problems.push_back(std::move(problem));
  return false;
}
