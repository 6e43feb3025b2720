// How the simulated core is told to fail, and where it records the calls it receives: files
// beside the library, named after it (see README.md).
#pragma once

#include <string>

struct SimSettings {
  int initializeResult = 0;
  int getServiceResult = 0;
  bool nullService = false;
  bool openFails = false;
  bool textFails = false;
  bool nullText = false;
};

// Reads "<library>.sim"; a missing file or setting keeps the default.
SimSettings ReadSimSettings();

// Appends one line to "<library>.calls" when that file exists.
void RecordCall(const std::wstring& line);
