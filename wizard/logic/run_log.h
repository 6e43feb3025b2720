// The log of a run (/LOG) as the wizard's logic writes it: one event per call, each becoming one
// time-stamped line. Portable.
#pragma once

#include <string>

class RunLog {
 public:
  // May be called on any thread. A log that cannot be written loses the line and nothing else.
  virtual void Write(const std::wstring& event) = 0;

 protected:
  ~RunLog() = default;
};
