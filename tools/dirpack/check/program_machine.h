// The machine a Windows program or library was built for, from its PE header: the DOS header's
// "MZ", at offset 0x3C the position of the "PE\0\0" signature, and right after it the machine.
#pragma once

#include <cstdint>
#include <string>

constexpr uint16_t kMachineI386 = 0x014C;   // what our users' 32-bit Windows runs
constexpr uint16_t kMachineAmd64 = 0x8664;  // the x86_64 twins

enum class ProgramRead { Read, CannotRead, NotProgram };

// Read: machine holds the header's machine field.
ProgramRead ReadProgramMachine(const std::wstring& path, uint16_t& machine);
